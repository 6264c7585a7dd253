#include "views/GuiResultPane.h"

#include "compare/RowFormat.h"
#include "views/ResultTableModel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Room around a column's text: the header's margins and the gap the view leaves.
int ColumnPadding(const QWidget* pane) { return 2 * pane->style()->pixelMetric(QStyle::PM_HeaderMargin) + 12; }

// Every row is as high as a row with a picture, whatever it shows itself. Uniform row heights take the
// height of the first row for all: a placeholder row first (no picture) would otherwise make the whole
// pane shorter-rowed than its neighbour, and the two panes would drift apart row by row.
class FixedRowHeightDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        QStyleOptionViewItem pictured = option;
        initStyleOption(&pictured, index);
        pictured.features |= QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay;
        if (const auto* view = qobject_cast<const QAbstractItemView*>(parent()))
            pictured.decorationSize = view->iconSize();
        pictured.text = QStringLiteral("Ag");
        const QWidget* widget = option.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        size.setHeight(style->sizeFromContents(QStyle::CT_ItemViewItem, &pictured, QSize(), widget).height());
        return size;
    }
};

} // namespace

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
    setItemDelegate(new FixedRowHeightDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
}

QStringList GuiResultPane::DroppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(url.toLocalFile());
    return paths;
}

void GuiResultPane::startDrag(Qt::DropActions)
{
    const QStringList paths = m_dragPaths ? m_dragPaths() : QStringList();
    if (paths.isEmpty())
        return;
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.push_back(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // Offered as a copy only: whoever takes the drop does the work, and no receiver deletes our files
    // because it believes it moved them.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void GuiResultPane::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void GuiResultPane::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void GuiResultPane::dropEvent(QDropEvent* event)
{
    const QStringList paths = DroppedPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    // Taken as a copy, so that a file manager never deletes its side of a move: the move, when it is
    // one, is ours.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT ObjectsDropped(paths, event->modifiers());
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

void GuiResultPane::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    // The view repaints a change by the region of every range: for a selection of scattered rows (every
    // tenth of a million) that region costs minutes to build. Past a few ranges, repaint what shows.
    constexpr qsizetype ManyRanges = 64;
    if (selected.size() + deselected.size() > ManyRanges) {
        viewport()->update();
        return;
    }
    QTreeView::selectionChanged(selected, deselected);
}

std::vector<int> GuiResultPane::SelectedHoldRows() const
{
    std::vector<int> rows;
    const PaneRows& shown = m_model->Rows();
    for (const int visible : SelectedRows())
        if (visible >= 0 && size_t(visible) < shown.size() && shown[size_t(visible)] != EmptyRow)
            rows.push_back(shown[size_t(visible)]);
    std::sort(rows.begin(), rows.end());
    return rows;
}

int GuiResultPane::CurrentSelectedHoldRow() const
{
    const std::vector<int> rows = SelectedHoldRows();
    if (rows.empty())
        return -1;
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isSelected(current)) {
        const QVariant hold = model()->data(current.siblingAtColumn(0), ResultTableModel::HoldIndexRole);
        if (hold.isValid() && std::binary_search(rows.begin(), rows.end(), hold.toInt()))
            return hold.toInt();
    }
    return rows.front();
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

int GuiResultPane::MinimumSizeColumnWidth() const
{
    return fontMetrics().horizontalAdvance(FormatSizeText(Q_INT64_C(999999999999))) + ColumnPadding(this);
}

int GuiResultPane::MinimumDateColumnWidth() const
{
    // A late-December evening (2023-12-28 20:58:58 UTC): a two-digit month and day in the locale's form.
    return fontMetrics().horizontalAdvance(FormatDateText(Q_INT64_C(133482707380000000))) + ColumnPadding(this);
}

void GuiResultPane::FitDataColumnsToFont()
{
    QHeaderView* h = header();
    if (h->sectionSize(ResultTableModel::SizeColumn) < MinimumSizeColumnWidth())
        h->resizeSection(ResultTableModel::SizeColumn, MinimumSizeColumnWidth());
    if (h->sectionSize(ResultTableModel::DateColumn) < MinimumDateColumnWidth())
        h->resizeSection(ResultTableModel::DateColumn, MinimumDateColumnWidth());
}
