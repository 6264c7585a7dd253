#pragma once

#include <QTreeView>

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
    // The visible row under a point of the viewport, or -1.
    int RowAtViewport(const QPoint& pos) const;
    // The index of the first visible row, or -1 when the pane is empty.
    int TopRow() const;

Q_SIGNALS:
    void FocusTaken();
    // A double click on a row (the row is selected by then).
    void RowDoubleClicked(int row);
    void RowContextMenu(int row, const QPoint& globalPos);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ResultTableModel* m_model;
};
