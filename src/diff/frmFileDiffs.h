#pragma once

#include "diff/DiffNavigator.h"
#include "diff/DiffRun.h"

#include <QDialog>
#include <QHash>

class AppContext;
class GuiDiffGridModel;
class LineDiffEngine;
class QAction;
class QCheckBox;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTableView;
class QTextEdit;
class QToolBar;

// "View File Differences": the two files of one run side by side, line against line (the visual
// format), or diff's own output text (the unix format). The window owns the run it shows; everything
// (bookmarks, search history, the marked row) belongs to this opening.
//
// Widgets by name: mnuOptions and its items (mnuOptionsShowPreviousDiff ... mnuOptionsExit), Toolbar1,
// chkTooltip, Splitter, grdFileOne, grdFileTwo, rtfLineDiff0, rtfLineDiff1, rtfUnixDiffs.
class frmFileDiffs final : public QDialog
{
    Q_OBJECT

public:
    // engine is read only while the window is built (the unix text).
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenuAndToolbar();
    void BuildVisual();
    void BuildUnix(const LineDiffEngine& engine);
    QAction* AddCommand(const QString& name, const QString& caption, const QString& tip, int picture,
                        const QKeySequence& key, void (frmFileDiffs::*slot)());
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
    DiffNavigator m_nav{m_run};
    GuiDiffGridModel* m_leftModel = nullptr;
    GuiDiffGridModel* m_rightModel = nullptr;
    QTableView* m_grdFileOne = nullptr;
    QTableView* m_grdFileTwo = nullptr;
    QSplitter* m_splitter = nullptr;
    QTextEdit* m_rtfLineDiff[2] = {nullptr, nullptr};
    QPlainTextEdit* m_rtfUnixDiffs = nullptr;
    QCheckBox* m_chkTooltip = nullptr;
    QToolBar* m_toolbar = nullptr;
    QMenu* m_mnuOptions = nullptr;
    QHash<QString, QAction*> m_actions;
    QStringList m_searchHistory;
    int32_t m_markedRow = 0;
    bool m_busy = false;
    bool m_syncing = false;
};
