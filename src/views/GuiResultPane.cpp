#include "views/GuiResultPane.h"

#include "views/ResultTableModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

GuiResultPane::GuiResultPane(ResultTableModel* model, QWidget* parent) : QTreeView(parent), m_model(model)
{
    setModel(model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTextElideMode(Qt::ElideMiddle);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    setIconSize(QSize(16, 16));
}

QList<int> GuiResultPane::SelectedRows() const
{
    QList<int> rows;
    if (selectionModel() == nullptr)
        return rows;
    // Ranges, not indexes: selecting every row of a million-row pane must not build a million indexes.
    // Ranges may span placeholder rows (select all, shift-click across them); those never count.
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            if (m_model->flags(m_model->index(r, 0)).testFlag(Qt::ItemIsSelectable))
                rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int GuiResultPane::RowAtViewport(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

int GuiResultPane::TopRow() const
{
    const QModelIndex index = indexAt(QPoint(0, 0));
    return index.isValid() ? index.row() : -1;
}

void GuiResultPane::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    Q_EMIT FocusTaken();
}

void GuiResultPane::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = RowAtViewport(event->position().toPoint());
    QTreeView::mouseDoubleClickEvent(event);
    if (row >= 0)
        Q_EMIT RowDoubleClicked(row);
}

void GuiResultPane::contextMenuEvent(QContextMenuEvent* event)
{
    Q_EMIT RowContextMenu(RowAtViewport(event->pos()), event->globalPos());
}
