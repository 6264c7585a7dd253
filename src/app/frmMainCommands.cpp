#include "app/frmMain.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "app/frmErrorLog.h"
#include "app/frmHelp.h"
#include "app/frmObjectProperties.h"
#include "model/CDir.h"
#include "settings/frmMaintainFolderLists.h"
#include "views/GuiResultPane.h"
#include "views/PaneCommands.h"
#include "views/ResultTableModel.h"

#include <QApplication>
#include <QComboBox>
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
} // namespace

void frmMain::mnuFileCompareDirectories_Click() { CompareDirs(true, false); }

void frmMain::mnuFileCompareParents_Click()
{
    if (!MenusEnabled())
        return;
    try {
        m_replacingFolderTexts = true;
        for (QComboBox* box : {m_cboSource, m_cboTarget})
            box->setEditText(CDir::GetParentDir(box->currentText()));
        m_replacingFolderTexts = false;
        CompareDirs(true, false);
    } catch (...) {
        m_replacingFolderTexts = false;
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileCompareParents_Click"));
    }
}

void frmMain::mnuFileOpenFile_Click()
{
    try {
        const int row = ChosenRow(m_current);
        if (row < 0) {
            m_ctx.Dialogs().Message(QStringLiteral("No object has been selected."), QStringLiteral("Open Object"),
                                    UserDialogs::Icon::Information);
            return;
        }
        OpenRowWithDefaultHandler(m_current, row);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileOpenFile_Click"));
    }
}

void frmMain::OpenRowWithDefaultHandler(GuiResultPane* pane, int row)
{
    const ResultRow* r = pane == nullptr ? nullptr : pane->ResultModel()->RowAt(row);
    if (r == nullptr)
        return;
    const QString path = RowObjectPath(PaneFolder(pane), *r);
    if (path.isEmpty())
        return;
    HandToDesktop(path, QStringLiteral("Open Object"));
}

bool frmMain::HandToDesktop(const QString& path, const QString& title)
{
    bool opened = false;
    {
        BusyPointer busy(m_ctx.Dialogs());
        opened = m_openUrl(QUrl::fromLocalFile(path));
    }
    // Without a word the user would take the silence for a program still starting.
    if (!opened)
        m_ctx.Dialogs().Message(QStringLiteral("Unable to open \"") + path + QStringLiteral("\".\r\n")
                                    + QStringLiteral("No program on this computer is set up to open it."),
                                title, UserDialogs::Icon::Warning);
    return opened;
}

void frmMain::ExploreFolderRow(GuiResultPane* pane, int row)
{
    const ResultRow* r = pane == nullptr ? nullptr : pane->ResultModel()->RowAt(row);
    if (r == nullptr || !r->IsFolder())
        return;
    const QString path = RowObjectPath(PaneFolder(pane), *r);
    if (path.isEmpty())
        return;
    if (HandToDesktop(path, QStringLiteral("Explore this sub-folder")))
        m_ctx.Lib().ShowExplorerNotice();
}

void frmMain::mnuFileShowFileProperties_Click()
{
    try {
        const int row = ChosenRow(m_current);
        const ResultRow* r = m_current->ResultModel()->RowAt(row);
        const QString path = r == nullptr ? QString() : RowObjectPath(PaneFolder(m_current), *r);
        if (path.isEmpty()) {
            m_ctx.Dialogs().Message(QStringLiteral("Unable to display property page. No valid file is selected."),
                                    QStringLiteral("Show Property Page"), UserDialogs::Icon::Information);
            return;
        }
        ShowObjectProperties(path, this);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileShowFileProperties_Click"));
    }
}

void frmMain::mnuViewErrorLog_Click()
{
    try {
        ShowErrorLogWindow(m_ctx, this);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewErrorLog_Click"));
    }
}

void frmMain::mnuHelpContents_Click()
{
    try {
        ShowHelp(m_ctx.AppFile(HelpFileName()), this);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuHelpContents_Click"));
    }
}

void frmMain::mnuHelpAboutBox_Click()
{
    m_ctx.Dialogs().Message(Caption() + QStringLiteral("\r\n\r\nCompares two folders and brings them into step."),
                            QStringLiteral("About Parvex"), UserDialogs::Icon::Information);
}

// The folder pop-up's "Go to the sub-folder" commands: this pane's folder (or both) moves down into the
// folder row's sub-folder. Both sides compare at once; one side only clears the results as any change of
// a folder does.
void frmMain::GoToSubFolder(bool bothSidesAndCompare)
{
    if (!MenusEnabled())
        return;
    try {
        const ResultRow* r = m_current->ResultModel()->RowAt(m_current->currentIndex().row());
        if (r == nullptr || !r->IsFolder())
            return;
        const QString name = r->text.mid(1) + QLatin1Char('/');
        if (!bothSidesAndCompare) {
            (m_current == m_lvwTarget ? m_cboTarget : m_cboSource)->setEditText(PaneFolder(m_current) + name);
            return;
        }
        const QString left = PaneFolder(m_lvwSource) + name;
        const QString right = PaneFolder(m_lvwTarget) + name;
        m_replacingFolderTexts = true;
        m_cboSource->setEditText(left);
        m_cboTarget->setEditText(right);
        m_replacingFolderTexts = false;
        CompareDirs(true, false);
    } catch (...) {
        m_replacingFolderTexts = false;
        m_ctx.Errors().HandleUnexpectedError(bothSidesAndCompare ? QStringLiteral("frmMain.mnuGoToFolderBothSidesRunCompare_Click")
                                                                 : QStringLiteral("frmMain.mnuGoToFolderThisSide_Click"));
    }
}

void frmMain::mnuOptionsMaintainFolderLists_Click()
{
    try {
        frmMaintainFolderLists window(m_ctx, FolderBoxes(), this);
        window.exec();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuOptionsMaintainFolderLists_Click"));
    }
}
