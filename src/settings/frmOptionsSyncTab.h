#pragma once

#include <QWidget>

class AppContext;
class GuiSyncMethodChoice;
class GuiSyncRuleFrame;
class QCheckBox;
class QSpinBox;

// The "Synchronize" tab: the method list (item data = method number), its description and picture,
// and the eight rule combos (cboNew_0 .. cboBinary_1, index 0 the left folder) with the rule "follow the
// deletion" (chkFollowDeletions), which are enabled only for Custom (a predefined method shows its own)
// and keep a copy on one side paired with a replace on the other. Below them, what keeps a
// synchronisation safe: whether it keeps what it replaces and deletes for undo (chkKeepForUndo, the
// option KeepForUndo) and the deletion guard's share of a side and its smallest side
// (spnDeletionGuardShare, spnDeletionGuardFloor).
class frmOptionsSyncTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsSyncTab(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsSyncTab)

    void Apply();

private:
    QWidget* MakeSafetyBox();
    void MethodChanged();

    AppContext& m_ctx;
    GuiSyncMethodChoice* m_method = nullptr;
    GuiSyncRuleFrame* m_fraCustomSync = nullptr;
    QCheckBox* m_chkKeepForUndo = nullptr;
    QSpinBox* m_spnGuardShare = nullptr;
    QSpinBox* m_spnGuardFloor = nullptr;
};
