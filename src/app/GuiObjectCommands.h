#pragma once

#include <QString>
#include <functional>

class AppContext;
class GuiCommandRegistry;
class GuiResultPane;
class GuiResultsFrame;
class QUrl;

// The commands that hand the selected object to the desktop or move the folder boxes to it: open,
// properties, explore, the two "Go to the sub-folder" commands; and the window's own commands: the error
// log, help, about, the toolbar styles and exit.
class GuiObjectCommands final
{
public:
    GuiObjectCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiObjectCommands)

    // How files and folders are handed to the desktop (default handler, file manager); tests replace it.
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }

private:
    void OpenFile();
    void ShowFileProperties();
    void ExploreCurrentFolder();
    void GoToSubFolder(bool bothSidesAndCompare);
    void CompareSubFolderToOtherFolder();
    // The current folder row's name with a trailing "/" ("Docs/"); empty when the row is not a folder.
    QString SubFolderName(const GuiResultPane* pane) const;
    bool CanGoToSubFolder(bool bothSides) const;
    void ViewErrorLog();
    // The help, at topic (an anchor of the help file) when one is given.
    void HelpContents(const QString& topic = {});
    void AboutBox();
    void OpenRow(GuiResultPane* pane, int row);
    // Hands a file or folder to the desktop; says so when nothing there takes it.
    bool HandToDesktop(const QString& path, const QString& title);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    std::function<bool(const QUrl&)> m_openUrl;
};
