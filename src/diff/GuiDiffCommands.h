#pragma once

#include <QString>
#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;
class GuiResultPane;
struct ResultRow;

// "Show File Differences" (File menu, the file pop-up and the double-click menu) of the main window and the sub-folder window:
// the selected row's file on its own side against its counterpart, each side's path made from that side's
// own row; and "Compare F&iles..." (the menu, the file pop-up and the toolbar), after which a file the
// two-file window synchronised makes the results compared again or cleared.
class GuiDiffCommands final
{
public:
    GuiDiffCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiDiffCommands)

    void ShowFileDiffs();
    // "Compare F&iles...": the two-file window, started from the folders and the selected row.
    void CompareFiles();

private:
    // Off on a file row that has nothing to compare with; on otherwise, where the command says why not.
    bool CurrentRowMayHaveDiffs() const;
    void RefreshMarks();
    // A file of the compared folders changed here: compared again, or the results cleared.
    void ResultsOutdated();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
};
