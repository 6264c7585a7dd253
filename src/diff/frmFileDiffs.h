#pragma once

#include "diff/DiffMerge.h"
#include "diff/DiffNavigator.h"
#include "diff/DiffRun.h"

#include <QDialog>
#include <QHash>

class AppContext;
class GuiDiffGridModel;
class LineDiffEngine;
class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QSplitter;
class QTableView;
class QTextEdit;
class QToolBar;

// "View File Differences": the two files of one run side by side, line against line (the visual
// format), or diff's own output text (the unix format). The window owns the run it shows; everything
// (bookmarks, search history, the marked row, the changes and their undo) belongs to this opening.
//
// In the visual format the two sides can be merged: a difference block copied to either side, a line
// edited in place, undone and redone, and each side saved (see DiffMerge). After every change the rows
// are aligned anew. Closing with unsaved changes asks whether to save them.
//
// Widgets by name: mnuOptions and its items (mnuOptionsShowPreviousDiff ... mnuOptionsExit), mnuMerge and
// its items (mnuMergeCopyBlockToLeft ... mnuMergeSaveRight), Toolbar1, chkTooltip, Splitter, grdFileOne,
// grdFileTwo, rtfLineDiff0, rtfLineDiff1, rtfUnixDiffs, lblStatus.
class frmFileDiffs final : public QDialog
{
    Q_OBJECT

public:
    // engine is read while the window is built: the unix text, and the program and options with which the
    // rows are aligned again after each merge step.
    frmFileDiffs(AppContext& ctx, DiffRunResult run, const LineDiffEngine& engine, QWidget* parent = nullptr);
    ~frmFileDiffs() override;
    Q_DISABLE_COPY_MOVE(frmFileDiffs)

    static QString InitialDetailText()
    {
        return QStringLiteral("Click on a line in either file to see how it differs from its counterpart in the other file.");
    }

    // The commands of the Options menu and the toolbar.
    void ShowNextDiff();
    void ShowPreviousDiff();
    void FindCommand();
    void FindNext();
    void FindPrevious();
    void ToggleBookmark();
    void ShowNextBookmark();
    void ShowPreviousBookmark();
    void ClearAllBookmarks();
    void PrintDifferences();
    void GoToFirstRow();
    void GoToLastRow();
    void ShowHelpTopic();

    // Merging. The copy and edit commands act on the current row; Save acts on the side that has (or last
    // had) the focus. Save answers whether the side is saved now.
    void CopyBlockToLeft();
    void CopyBlockToRight();
    void EditCurrentLine();
    void Undo();
    void Redo();
    bool Save(DiffSide side);
    void SaveFocused();
    // What the line editor does once the user accepts it: the line of side at row gets text.
    void EditLine(DiffSide side, int32_t row, const QString& text);
    const DiffMerge& Merge() const { return m_merge; }
    DiffSide FocusSide() const { return m_focusSide; }
    void SetFocusSide(DiffSide side) { m_focusSide = side; }
    // A side was saved while the window was open.
    bool SavedAFile() const { return m_savedAFile; }
    // The status line under the grids (a search that went past an end, a save, a row not in a block).
    QString StatusText() const;

    // The current row (aligned numbering: 1 is the first line row); 0 when none.
    int32_t CurrentRow() const;
    // Makes row current in both grids, marks it and shows the pair's detail (as a click does).
    void SelectRow(int32_t row);
    // The marker a row shows now (Arrow, OrphanArrow, DifferArrow, BookmarkArrow, Bookmark; -1 none).
    int MarkerOf(int32_t row) const;
    const DiffNavigator& Navigator() const { return m_nav; }
    const QStringList& SearchHistory() const { return m_searchHistory; }
    QAction* Command(const QString& name) const { return m_actions.value(name); }
    // The first grid row shown at the top of the left grid (aligned numbering).
    int32_t TopRow() const;

    // Closing (the close box, Escape, Close This Window) asks first when a side has unsaved changes.
    void reject() override;

Q_SIGNALS:
    // A merge step (copy, edit, undo, redo) changed the rows; they are shown anew.
    void MergeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenuAndToolbar();
    void BuildVisual();
    void BuildUnix(const LineDiffEngine& engine);
    void BuildMergeMenu(QMenuBar* bar);
    QAction* AddCommand(const QString& name, const QString& caption, const QString& tip, const QIcon& icon,
                        const QKeySequence& key, void (frmFileDiffs::*slot)());
    void CopyBlock(DiffSide from);
    // After a merge step: the rows anew, the current row kept at row (clamped), commands and caption.
    void AfterChange(int32_t row);
    void UpdateMergeCommands();
    void UpdateCaption();
    void ApplyPalette();
    void SizeNumberColumns();
    void SetStatus(const QString& text);
    QTableView* Grid(DiffSide side) const { return side == DiffSide::Left ? m_grdFileOne : m_grdFileTwo; }
    void OnCurrentChanged(QTableView* grid, int modelRow);
    void GoToRow(int32_t row);
    void MarkCurrentRow();
    void ShowRowPairDetail();
    void DisplaySelectedLinesInRTF(const QString& left, const QString& right);
    void DisplaySelectedLinesDiffsInRTF(const QString& left, const QString& right);
    void UpdateBookmarkCommands();
    void UpdateFindCommands(bool found);
    bool FindAndGo(const QString& text, DiffNavigator::Direction direction);
    void Navigate(int32_t row, const QString& noneText, const QString& title);

    AppContext& m_ctx;
    DiffRunResult m_run;
    DiffMerge m_merge;
    DiffNavigator m_nav{m_merge};
    GuiDiffGridModel* m_leftModel = nullptr;
    GuiDiffGridModel* m_rightModel = nullptr;
    QTableView* m_grdFileOne = nullptr;
    QTableView* m_grdFileTwo = nullptr;
    QSplitter* m_splitter = nullptr;
    QTextEdit* m_rtfLineDiff[2] = {nullptr, nullptr};
    QPlainTextEdit* m_rtfUnixDiffs = nullptr;
    QCheckBox* m_chkTooltip = nullptr;
    QLabel* m_lblStatus = nullptr;
    QMenu* m_mnuMerge = nullptr;
    DiffSide m_focusSide = DiffSide::Left;
    QToolBar* m_toolbar = nullptr;
    QMenu* m_mnuOptions = nullptr;
    QHash<QString, QAction*> m_actions;
    QStringList m_searchHistory;
    int32_t m_markedRow = 0;
    bool m_busy = false;
    bool m_savedAFile = false;
    bool m_syncing = false;
};
