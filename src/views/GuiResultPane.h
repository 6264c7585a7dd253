#pragma once

#include <QStringList>
#include <QTreeView>
#include <functional>
#include <vector>

class QMimeData;
class ResultTableModel;

// A visible result pane: a flat, three-column report view over a ResultTableModel. Rows keep the
// comparison's order (no sorting by header, so both panes stay aligned row by row), all rows have the same
// height (a million rows lay out at once), and the pane tells its window when it takes the focus, so that
// commands act on the pane the user last worked in.
class GuiResultPane final : public QTreeView
{
    Q_OBJECT

public:
    GuiResultPane(ResultTableModel* model, QWidget* parent = nullptr);

    ResultTableModel* ResultModel() const { return m_model; }
    // Visible rows currently selected, ascending.
    QList<int> SelectedRows() const;
    // The selected rows as positions in the hold list, ascending; empty rows never count.
    std::vector<int> SelectedHoldRows() const;
    // The hold-list row of "the selected row": the current row when it is selected, else the first
    // selected row; -1 when no row is selected.
    int CurrentSelectedHoldRow() const;
    // Widens the size and date columns to their widest texts in the pane's font (a size in the terabytes,
    // a two-digit day), so a larger font never cuts a date short; wider columns stay as they are.
    void FitDataColumnsToFont();
    // The narrowest widths of the size and the date column for the pane's font.
    int MinimumSizeColumnWidth() const;
    int MinimumDateColumnWidth() const;
    // The visible row under a point of the viewport, or -1.
    int RowAtViewport(const QPoint& pos) const;
    // The index of the first visible row, or -1 when the pane is empty.
    int TopRow() const;

    // The paths a drag out of this pane carries: the objects of the selected rows. Without it, or when it
    // answers none, no drag starts.
    void SetDragPaths(std::function<QStringList()> paths) { m_dragPaths = std::move(paths); }
    // The local paths of a drop's data; empty when it carries no file.
    static QStringList DroppedPaths(const QMimeData* data);

Q_SIGNALS:
    void FocusTaken();
    // A double click on a row (the row is selected by then).
    void RowDoubleClicked(int row);
    void RowContextMenu(int row, const QPoint& globalPos);
    // Files or folders were dropped onto the pane, with the keys held at the moment of the drop. The
    // receiver should act after the drop has ended (a queued connection), not inside it.
    void ObjectsDropped(const QStringList& paths, Qt::KeyboardModifiers modifiers);

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ResultTableModel* m_model;
    std::function<QStringList()> m_dragPaths;
};
