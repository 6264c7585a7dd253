#include "settings/frmOptionsSyncTab.h"

#include "app/AppContext.h"
#include "settings/GuiOptionWidgets.h"
#include "settings/MainOptions.h"
#include "sync/GuiSyncMethodChoice.h"
#include "sync/GuiSyncRuleFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
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
    layout->addWidget(MakeSafetyBox());
    layout->addStretch();

    m_fraCustomSync->ShowRules(sync.AllRules());
    m_fraCustomSync->ShowFollowDeletions(sync.FollowDeletions());
    connect(m_method, &GuiSyncMethodChoice::MethodChanged, this, &frmOptionsSyncTab::MethodChanged);
    MethodChanged();
}

QWidget* frmOptionsSyncTab::MakeSafetyBox()
{
    const MainOptions& o = m_ctx.MainOptions();
    auto* box = new QGroupBox(QStringLiteral("Undo and Deletion Guard"), this);
    m_chkKeepForUndo = MakeCheck(box, "chkKeepForUndo", QStringLiteral("&Keep replaced and deleted objects for undo"));
    m_chkKeepForUndo->setToolTip(QStringLiteral("What a synchronization replaces or deletes goes to the trash, so that "
                                                "\"Undo Last Synchronization\" can bring it back."));
    m_chkKeepForUndo->setChecked(o.KeepForUndo);

    const auto spin = [box](const char* name, int low, int high, int value) {
        auto* s = new QSpinBox(box);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(low, high);
        s->setValue(value);
        return s;
    };
    m_spnGuardShare = spin("spnDeletionGuardShare", MainOptions::MinDeletionGuardShare, MainOptions::MaxDeletionGuardShare,
                           o.DeletionGuardShare);
    m_spnGuardShare->setSuffix(QStringLiteral(" %"));
    m_spnGuardFloor = spin("spnDeletionGuardFloor", 0, MainOptions::MaxDeletionGuardFloor, o.DeletionGuardFloor);

    auto* shareLabel = new QLabel(QStringLiteral("&Ask before a synchronization deletes more than"), box);
    shareLabel->setBuddy(m_spnGuardShare);
    auto* floorLabel = new QLabel(QStringLiteral("... when that side holds at &least"), box);
    floorLabel->setBuddy(m_spnGuardFloor);
    auto* grid = new QGridLayout(box);
    grid->addWidget(m_chkKeepForUndo, 0, 0, 1, 3);
    grid->addWidget(shareLabel, 1, 0);
    grid->addWidget(m_spnGuardShare, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("of the objects on a side"), box), 1, 2);
    grid->addWidget(floorLabel, 2, 0);
    grid->addWidget(m_spnGuardFloor, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("objects"), box), 2, 2);
    grid->setColumnStretch(3, 1);
    return box;
}

void frmOptionsSyncTab::MethodChanged()
{
    const int32_t method = m_method->SelectedMethod();
    const bool custom = method == CSyncSettings::Custom;
    // The greyed combos show what the chosen method will do, and are the start of a custom set.
    CSyncSettings::Rules rules;
    if (!custom && CSyncSettings::PredefinedRules(method, &rules)) {
        m_fraCustomSync->ShowRules(rules);
        m_fraCustomSync->ShowFollowDeletions(CSyncSettings::PredefinedFollowDeletions(method));
    }
    m_fraCustomSync->setEnabled(custom);
}

void frmOptionsSyncTab::Apply()
{
    CSyncSettings& sync = m_ctx.SyncSettings();
    const int32_t method = m_method->SelectedMethod();
    sync.SetSyncMethod(method);
    if (method == CSyncSettings::Custom) {
        sync.SetAllRules(m_fraCustomSync->ChosenRules());
        sync.SetFollowDeletions(m_fraCustomSync->ChosenFollowDeletions());
    }
    MainOptions& o = m_ctx.MainOptions();
    o.KeepForUndo = m_chkKeepForUndo->isChecked();
    o.DeletionGuardShare = m_spnGuardShare->value();
    o.DeletionGuardFloor = m_spnGuardFloor->value();
}
