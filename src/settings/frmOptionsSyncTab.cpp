#include "settings/frmOptionsSyncTab.h"

#include "app/AppContext.h"
#include "sync/GuiSyncMethodChoice.h"
#include "sync/GuiSyncRuleFrame.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

frmOptionsSyncTab::frmOptionsSyncTab(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx)
{
    const CSyncSettings& sync = ctx.SyncSettings();
    m_method = new GuiSyncMethodChoice(
        this, sync.SyncMethod(),
        QStringLiteral(" Specify the actions to be performed on each type by selecting values from the options below."));
    m_fraCustomSync = new GuiSyncRuleFrame(QStringLiteral("Custom Settings"), this);

    auto* top = new QGridLayout;
    auto* methodLabel = new QLabel(QStringLiteral("Synchronization &Method:"), this);
    methodLabel->setBuddy(m_method->List());
    top->addWidget(methodLabel, 0, 0);
    top->addWidget(m_method->List(), 1, 0);
    top->addWidget(m_method->Description(), 2, 0);
    top->addWidget(m_method->Picture(), 0, 1, 3, 1, Qt::AlignTop);
    top->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_fraCustomSync);
    layout->addStretch();

    m_fraCustomSync->ShowRules(sync.AllRules());
    connect(m_method, &GuiSyncMethodChoice::MethodChanged, this, &frmOptionsSyncTab::MethodChanged);
    MethodChanged();
}

void frmOptionsSyncTab::MethodChanged()
{
    const int32_t method = m_method->SelectedMethod();
    const bool custom = method == CSyncSettings::Custom;
    // The greyed combos show what the chosen method will do, and are the start of a custom set.
    CSyncSettings::Rules rules;
    if (!custom && CSyncSettings::PredefinedRules(method, &rules))
        m_fraCustomSync->ShowRules(rules);
    m_fraCustomSync->setEnabled(custom);
}

void frmOptionsSyncTab::Apply()
{
    CSyncSettings& sync = m_ctx.SyncSettings();
    const int32_t method = m_method->SelectedMethod();
    sync.SetSyncMethod(method);
    if (method == CSyncSettings::Custom)
        sync.SetAllRules(m_fraCustomSync->ChosenRules());
}
