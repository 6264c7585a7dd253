#include "GuiWidgets.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTableView>

namespace {

// The first row whose top shows in the viewport, counted among the rows of the pane's root; -1 when none.
int TopRow(QAbstractItemView* view)
{
    if (view->model() == nullptr)
        return -1;
    if (auto* table = qobject_cast<QTableView*>(view))
        return table->rowAt(0);
    QModelIndex index = view->indexAt(QPoint(0, 0));
    while (index.isValid() && index.parent() != view->rootIndex())
        index = index.parent();
    return index.isValid() ? index.row() : -1;
}

// A cell of the row that scrollTo accepts: a table ignores cells of hidden columns.
QModelIndex RowIndex(QAbstractItemView* view, int row)
{
    const QAbstractItemModel* model = view->model();
    int column = 0;
    if (auto* table = qobject_cast<QTableView*>(view)) {
        const int columns = model->columnCount(view->rootIndex());
        while (column < columns && table->isColumnHidden(column))
            ++column;
        if (column == columns)
            return {};
    }
    return model->index(row, column, view->rootIndex());
}

void ScrollRowToTop(QAbstractItemView* view, int row)
{
    const QModelIndex index = RowIndex(view, row);
    if (!index.isValid())
        return;
    // Only the vertical position changes: the user's horizontal scroll stays where it is.
    QScrollBar* horizontal = view->horizontalScrollBar();
    const int across = horizontal->value();
    view->scrollTo(index, QAbstractItemView::PositionAtTop);
    if (TopRow(view) != row) {
        // Rows added since the last layout are not yet in the scroll range; lay out once and retry.
        view->doItemsLayout();
        view->scrollTo(index, QAbstractItemView::PositionAtTop);
    }
    horizontal->setValue(across);
}

} // namespace

namespace parvexlib::gui {

void SetTopItem(void* pane, int32_t index)
{
    auto* view = static_cast<QAbstractItemView*>(pane);
    if (view == nullptr || view->model() == nullptr)
        return;
    if (index < 0 || index >= view->model()->rowCount(view->rootIndex()))
        return;
    if (TopRow(view) == index)
        return;
    ScrollRowToTop(view, index);
}

void SyncTopItem(void* source, void* target)
{
    auto* from = static_cast<QAbstractItemView*>(source);
    auto* to = static_cast<QAbstractItemView*>(target);
    if (from == nullptr || to == nullptr || from == to)
        return;
    const int top = TopRow(from);
    if (top >= 0)
        SetTopItem(to, top);
}

} // namespace parvexlib::gui
