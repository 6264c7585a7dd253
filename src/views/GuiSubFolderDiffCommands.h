#pragma once

#include <QString>
#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// "Show Sub-Folder Differences" of the folder pop-up and the double-click menu, on the selected
// "DifferentFolder" row of the current pane, and "Show Sub-Folder Differences..." of the File menu,
// which asks for the sub-folder first.
class GuiSubFolderDiffCommands final
{
public:
    GuiSubFolderDiffCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiSubFolderDiffCommands)

    void ShowSelected();
    void ChooseAndShow();

private:
    // Opens the window on the sub-folder name, or says why its differences cannot be shown.
    void Show(const QString& name);
    // The selected "DifferentFolder" row's sub-folder name; empty when the selected row is none.
    QString SelectedDifferentFolder() const;

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
};
