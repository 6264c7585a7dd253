#include "app/GuiObjectCommands.h"

#include "app/AppContext.h"
#include "base/DesktopOpener.h"
#include "app/GuiCommandRegistry.h"
#include "app/frmAbout.h"
#include "app/frmErrorLog.h"
#include "app/frmHelp.h"
#include "app/frmMain.h"
#include "app/frmObjectProperties.h"
#include "base/UserDialogs.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "compare/ResultList.h"
#include "views/ResultTableModel.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// The row a single-object command acts on: the current row when it is selected, else the first selected.
int ChosenRow(const GuiResultPane* pane)
{
    const QList<int> selected = pane->SelectedRows();
    if (selected.isEmpty())
        return -1;
    const int current = pane->currentIndex().row();
    return selected.contains(current) ? current : selected.front();
}

const ResultRow* CurrentRow(const GuiResultPane* pane)
{
    return pane == nullptr ? nullptr : pane->ResultModel()->RowAt(pane->currentIndex().row());
}

} // namespace

GuiObjectCommands::GuiObjectCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    registry.SetHandler(QStringLiteral("mnuFileOpenFile"), [this] { OpenFile(); });
    registry.SetHandler(QStringLiteral("mnuFileShowFileProperties"), [this] { ShowFileProperties(); });
    registry.SetHandler(QStringLiteral("mnuFolderPopupExplore"), [this] { ExploreCurrentFolder(); });
    registry.SetHandler(QStringLiteral("mnuGoToFolderThisSide"), [this] { GoToSubFolder(false); },
                        [this] { return CanGoToSubFolder(false); });
    registry.SetHandler(QStringLiteral("mnuGoToFolderBothSidesRunCompare"), [this] { GoToSubFolder(true); },
                        [this] { return CanGoToSubFolder(true); });
    registry.SetHandler(QStringLiteral("mnuCompareSubFolderToOtherFolder"), [this] { CompareSubFolderToOtherFolder(); },
                        [this] { return CanGoToSubFolder(false); });
    registry.SetHandler(QStringLiteral("mnuViewErrorLog"), [this] { ViewErrorLog(); });
    registry.SetHandler(QStringLiteral("mnuHelpContents"), [this] { HelpContents(); });
    registry.SetHandler(QStringLiteral("mnuHelpTroubleshooting"), [this] { HelpContents(HelpTroubleshootingTopic()); });
    registry.SetHandler(QStringLiteral("mnuHelpAboutBox"), [this] { AboutBox(); });
    registry.SetHandler(QStringLiteral("mnuFileExit"), [this] { m_frame.ExitWithoutAsking(); });
    registry.SetHandler(QStringLiteral("mnuOptionsToolbarShowToolbar"),
                        [this] { m_frame.SetToolbarStyle(frmMain::ToolbarSmall); });
    registry.SetHandler(QStringLiteral("mnuOptionsToolbarShowCoolbar"),
                        [this] { m_frame.SetToolbarStyle(frmMain::ToolbarLarge); });
    registry.SetHandler(QStringLiteral("mnuOptionsToolbarHide"),
                        [this] { m_frame.SetToolbarStyle(frmMain::ToolbarHidden); });
}

void GuiObjectCommands::OpenFile()
{
    try {
        GuiResultPane* pane = m_frame.CurrentListview();
        const int row = ChosenRow(pane);
        if (row < 0) {
            m_ctx.Dialogs().Message(QStringLiteral("No object has been selected."), QStringLiteral("Open Object"),
                                    UserDialogs::Icon::Information);
            return;
        }
        OpenRow(pane, row);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileOpenFile_Click"));
    }
}

void GuiObjectCommands::OpenRow(GuiResultPane* pane, int row)
{
    const ResultRow* r = pane == nullptr ? nullptr : pane->ResultModel()->RowAt(row);
    if (r == nullptr)
        return;
    const QString path = RowObjectPath(m_frame.PaneFolder(pane), *r);
    if (path.isEmpty())
        return;
    HandToDesktop(path, QStringLiteral("Open Object"));
}

bool GuiObjectCommands::HandToDesktop(const QString& path, const QString& title)
{
    return ::HandToDesktop(m_ctx.Dialogs(), m_openUrl, path, title);
}

void GuiObjectCommands::ExploreCurrentFolder()
{
    GuiResultPane* pane = m_frame.CurrentListview();
    const ResultRow* r = CurrentRow(pane);
    if (r == nullptr || !r->IsFolder())
        return;
    const QString path = RowObjectPath(m_frame.PaneFolder(pane), *r);
    if (path.isEmpty())
        return;
    if (HandToDesktop(path, QStringLiteral("Explore this sub-folder")))
        m_ctx.Lib().ShowExplorerNotice();
}

void GuiObjectCommands::ShowFileProperties()
{
    try {
        GuiResultPane* pane = m_frame.CurrentListview();
        const ResultRow* r = pane->ResultModel()->RowAt(ChosenRow(pane));
        const QString path = r == nullptr ? QString() : RowObjectPath(m_frame.PaneFolder(pane), *r);
        if (path.isEmpty()) {
            m_ctx.Dialogs().Message(QStringLiteral("Unable to display property page. No valid file is selected."),
                                    QStringLiteral("Show Property Page"), UserDialogs::Icon::Information);
            return;
        }
        ShowObjectProperties(path, m_frame.FrameWindow());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileShowFileProperties_Click"));
    }
}

bool GuiObjectCommands::CanGoToSubFolder(bool bothSides) const
{
    const ResultRow* r = CurrentRow(m_frame.CurrentListview());
    if (r == nullptr || !r->IsFolder())
        return false;
    // An orphan folder has no counterpart to move the other side into.
    return !bothSides || r->icon != Category::OrphanFolder;
}

// The folder pop-up's "Go to the sub-folder" commands: this pane's folder (or both) moves down into the
// folder row's sub-folder. Both sides compare at once; one side only clears the results as any change of
// a folder does.
void GuiObjectCommands::GoToSubFolder(bool bothSidesAndCompare)
{
    if (!m_frame.MenusEnabled())
        return;
    try {
        GuiResultPane* current = m_frame.CurrentListview();
        const QString name = SubFolderName(current);
        if (name.isEmpty())
            return;
        if (!bothSidesAndCompare) {
            m_frame.SetFolderText(current != m_frame.TargetPane(), m_frame.PaneFolder(current) + name);
            return;
        }
        m_frame.ReplaceFolderTexts(m_frame.PaneFolder(m_frame.SourcePane()) + name,
                                   m_frame.PaneFolder(m_frame.TargetPane()) + name);
        m_frame.CompareDirs(true, false);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(bothSidesAndCompare
                                                 ? QStringLiteral("frmMain.mnuGoToFolderBothSidesRunCompare_Click")
                                                 : QStringLiteral("frmMain.mnuGoToFolderThisSide_Click"));
    }
}

QString GuiObjectCommands::SubFolderName(const GuiResultPane* pane) const
{
    const ResultRow* r = CurrentRow(pane);
    return r == nullptr || !r->IsFolder() ? QString() : r->text.mid(1) + QLatin1Char('/');
}

// "Compare this sub-folder with another folder...": the selected folder row's sub-folder on its own side
// against a folder the user picks on the other side, compared at once.
void GuiObjectCommands::CompareSubFolderToOtherFolder()
{
    if (!m_frame.MenusEnabled())
        return;
    try {
        GuiResultPane* current = m_frame.CurrentListview();
        const QString name = SubFolderName(current);
        if (name.isEmpty())
            return;
        const bool left = current != m_frame.TargetPane();
        const QString subFolder = m_frame.PaneFolder(current) + name;
        const QString other = m_ctx.Dialogs().PickFolder(QStringLiteral("Browse for Folder"),
                                                         m_frame.PaneFolder(left ? m_frame.TargetPane() : m_frame.SourcePane()));
        if (other.isEmpty())
            return;
        m_frame.ReplaceFolderTexts(left ? subFolder : other, left ? other : subFolder);
        m_frame.CompareDirs(true, false);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuCompareSubFolderToOtherFolder_Click"));
    }
}

void GuiObjectCommands::ViewErrorLog()
{
    try {
        ShowErrorLogWindow(m_ctx, m_frame.FrameWindow());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewErrorLog_Click"));
    }
}

void GuiObjectCommands::HelpContents(const QString& topic)
{
    try {
        ShowHelp(m_ctx.AssetFile(HelpFileName()), m_frame.FrameWindow(), topic);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(topic.isEmpty() ? QStringLiteral("frmMain.mnuHelpContents_Click")
                                                             : QStringLiteral("frmMain.mnuHelpTroubleshooting_Click"));
    }
}

void GuiObjectCommands::AboutBox()
{
    try {
        frmAbout about(m_ctx, m_frame.FrameWindow());
        about.exec();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuHelpAboutBox_Click"));
    }
}
