#pragma once

#include <QDialog>

class GuiResultsFrame;
class QListWidget;
class QPushButton;
class UserDialogs;

// "View Sub-Folder Differences" chooser: the differing sub-folders of the frame's current pane
// (lstSubFolders, cmdOK, cmdCancel). OK selects the chosen folder's row in that pane and closes.
class frmSpecifySubFolder final : public QDialog
{
    Q_OBJECT

public:
    frmSpecifySubFolder(UserDialogs& dialogs, GuiResultsFrame& frame, QWidget* parent = nullptr);

    // Fills the list; says so when there is nothing to choose.
    void Load();
    // The chosen row's text ("/Docs") once OK closed the window; empty otherwise.
    const QString& Chosen() const { return m_chosen; }

private:
    void Ok();

    UserDialogs& m_dialogs;
    GuiResultsFrame& m_frame;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QString m_chosen;
};
