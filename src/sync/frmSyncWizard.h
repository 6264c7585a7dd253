#pragma once

#include "settings/GuiOptionMarks.h"

#include <QDialog>

class AppContext;
class GuiSyncMethodChoice;
class QCheckBox;
class QPushButton;

// "Folder Synchronization Method", shown before a synchronisation while the prompt flag is set. It offers
// the method list with its description and picture, the custom rule editor for Custom, the two folders
// being synchronised, the prompt flag and "selected objects only". OKButton takes the choices (the prompt
// flag, the method and the menu marks that mirror them) and answers proceed; CancelButton, Escape and the
// title bar answer cancel and change nothing, except what the custom editor already stored.
class frmSyncWizard final : public QDialog
{
    Q_OBJECT

public:
    // menuItems finds the main window's menu items whose check marks follow the prompt flag and the
    // method; without it no marks are set.
    frmSyncWizard(AppContext& ctx, const QString& leftFolder, const QString& rightFolder, bool selectedOnly,
                  ActionByName menuItems = {}, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmSyncWizard)

    // Shows the wizard modally; true when the user pressed OK. selectedOnly is the state of "Sync Selected
    // Objects Only" going in and, after OK, coming out.
    static bool Ask(AppContext& ctx, QWidget* parent, const QString& leftFolder, const QString& rightFolder,
                    bool& selectedOnly, const ActionByName& menuItems = {});

    bool Proceed() const { return m_proceed; }
    bool SelectedOnly() const { return m_selectedOnly; }

private:
    void MethodChanged(int32_t method);
    void ShowCustomSettings();
    void Confirm();

    AppContext& m_ctx;
    ActionByName m_menuItems;
    GuiSyncMethodChoice* m_method = nullptr;
    QPushButton* m_cmdCustomSettings = nullptr;
    QCheckBox* m_chkPromptForSyncMethod = nullptr;
    QCheckBox* m_chkSyncSelectedOnly = nullptr;
    bool m_proceed = false;
    bool m_selectedOnly = false;
};
