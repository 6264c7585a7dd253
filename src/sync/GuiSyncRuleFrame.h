#pragma once

#include "sync/CSyncSettings.h"

#include <QGroupBox>
#include <array>

class QCheckBox;
class QComboBox;

// The eight rules of the custom method in the frame "fraCustomSync": a column per side headed
// lblLeftFolder "  Left Folder" and lblRightFolder "  Right Folder", a row per category with its picture
// (imgSyncIconNew, imgSyncIconOld, imgSyncIconOrphan, imgSyncIconBinary) and a combo per side named
// cboNew_0 .. cboBinary_1, 0 being the left folder. A choice the user makes moves its partner on the other
// side, so that a copy on one side and the replace on the other stay paired. Below the combos the rule
// "follow the deletion" (chkFollowDeletions), enabled and disabled with them.
class GuiSyncRuleFrame final : public QGroupBox
{
    Q_OBJECT

public:
    GuiSyncRuleFrame(const QString& title, QWidget* parent);
    Q_DISABLE_COPY_MOVE(GuiSyncRuleFrame)

    // Selects each combo's item by its exact text; a rule the combo has no item for (a replaced orphan)
    // shows no selection.
    void ShowRules(const CSyncSettings::Rules& rules);
    // The codes of what the combos show; a combo without a selection is Leave.
    CSyncSettings::Rules ChosenRules() const;
    // The rule "follow the deletion" (CSyncSettings::FollowDeletions).
    void ShowFollowDeletions(bool on);
    bool ChosenFollowDeletions() const;

    QComboBox* Combo(CSyncSettings::Side side, CSyncSettings::Category category) const;

private:
    void RuleChosen(CSyncSettings::Side side, CSyncSettings::Category category);

    std::array<QComboBox*, 8> m_rules{}; // in CSyncSettings::RuleIndex order
    QCheckBox* m_chkFollowDeletions = nullptr;
};
