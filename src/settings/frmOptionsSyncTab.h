#pragma once

#include "sync/CSyncSettings.h"

#include <QWidget>
#include <array>

class AppContext;
class QComboBox;
class QGroupBox;
class QLabel;

// The "Synchronize" tab: the method list (item data = method number), its description and picture,
// and the eight rule combos (cboNew_0 .. cboBinary_1, index 0 the left folder), which are enabled only
// for Custom and keep a copy on one side paired with a replace on the other.
class frmOptionsSyncTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsSyncTab(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsSyncTab)

    void Apply();

private:
    QComboBox* Combo(CSyncSettings::Side side, CSyncSettings::Category category) const;
    int SelectedMethod() const;
    void ShowRules(const CSyncSettings::Rules& rules);
    void MethodChanged();
    void RuleChosen(CSyncSettings::Side side, CSyncSettings::Category category);

    AppContext& m_ctx;
    QComboBox* m_cboSyncMethod = nullptr;
    QLabel* m_lblDescription = nullptr;
    QLabel* m_imgSyncMethod = nullptr;
    QGroupBox* m_fraCustomSync = nullptr;
    std::array<QComboBox*, 8> m_rules{}; // in CSyncSettings::RuleIndex order
    QStringList m_descriptions;
};
