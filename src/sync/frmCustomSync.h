#pragma once

#include <QDialog>

class CSyncSettings;
class ErrorHandler;
class GuiSyncRuleFrame;

// "Specify Custom Synchronization Options": the eight rules of the custom method in the frame
// fraCustomSync (see GuiSyncRuleFrame) and its rule "follow the deletion" (chkFollowDeletions), loaded
// from the settings. OKButton stores what the combos show as the eight actions, and the rule, and closes; CancelButton, Escape and the title bar close without storing anything.
// The method itself is not changed here.
class frmCustomSync final : public QDialog
{
    Q_OBJECT

public:
    frmCustomSync(CSyncSettings& sync, ErrorHandler& errors, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmCustomSync)

private:
    void Store();

    CSyncSettings& m_sync;
    ErrorHandler& m_errors;
    GuiSyncRuleFrame* m_fraCustomSync;
};
