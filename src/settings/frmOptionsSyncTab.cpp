#include "settings/frmOptionsSyncTab.h"

#include "app/AppContext.h"
#include "compare/ResultList.h"
#include "settings/GuiSyncMethodPicture.h"
#include "views/GuiCategoryPictures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct CategoryRow
{
    CSyncSettings::Category category;
    const char* name;
    const char* picture;
    Category shown;
};

const CategoryRow Rows[] = {
    {CSyncSettings::New, "cboNew", "imgSyncIconNew", Category::Newer},
    {CSyncSettings::Old, "cboOld", "imgSyncIconOld", Category::Older},
    {CSyncSettings::Orphan, "cboOrphan", "imgSyncIconOrphan", Category::Orphan},
    {CSyncSettings::Binary, "cboBinary", "imgSyncIconBinary", Category::Binary},
};

} // namespace

frmOptionsSyncTab::frmOptionsSyncTab(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_descriptions(GetSyncMethodDescriptions())
{
    const CSyncSettings& sync = ctx.SyncSettings();

    m_cboSyncMethod = new QComboBox(this);
    m_cboSyncMethod->setObjectName(QStringLiteral("cboSyncMethod"));
    for (const SyncMethodItem& item : SyncMethodListItems())
        m_cboSyncMethod->addItem(item.text, item.method);

    m_lblDescription = new QLabel(this);
    m_lblDescription->setObjectName(QStringLiteral("lblSyncMethodDescription"));
    m_lblDescription->setWordWrap(true);
    m_lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblDescription->setMinimumHeight(m_lblDescription->fontMetrics().lineSpacing() * 3);
    m_imgSyncMethod = new QLabel(this);
    m_imgSyncMethod->setObjectName(QStringLiteral("imgSyncMethod"));
    m_imgSyncMethod->setFixedSize(SyncMethodPictureSize());

    m_fraCustomSync = new QGroupBox(QStringLiteral("Custom Settings"), this);
    m_fraCustomSync->setObjectName(QStringLiteral("fraCustomSync"));
    auto* grid = new QGridLayout(m_fraCustomSync);
    auto* left = new QLabel(QStringLiteral("  Left Folder"), m_fraCustomSync);
    left->setObjectName(QStringLiteral("lblLeftFolder"));
    auto* right = new QLabel(QStringLiteral("  Right Folder"), m_fraCustomSync);
    right->setObjectName(QStringLiteral("lblRightFolder"));
    grid->addWidget(left, 0, 1);
    grid->addWidget(right, 0, 2);
    int row = 1;
    for (const CategoryRow& r : Rows) {
        auto* picture = new QLabel(m_fraCustomSync);
        picture->setObjectName(QString::fromLatin1(r.picture));
        picture->setPixmap(CategoryPixmap(r.shown, true, 16));
        grid->addWidget(picture, row, 0);
        for (const CSyncSettings::Side side : {CSyncSettings::Left, CSyncSettings::Right}) {
            auto* combo = new QComboBox(m_fraCustomSync);
            combo->setObjectName(QString::fromLatin1(r.name) + QLatin1Char('_') + QString::number(side));
            combo->addItems(SyncRuleChoices::Items(r.category));
            m_rules[CSyncSettings::RuleIndex(side, r.category)] = combo;
            grid->addWidget(combo, row, 1 + side);
            const CSyncSettings::Category category = r.category;
            // Only the user's choice couples the partner; the partner's own change must not bounce back.
            connect(combo, &QComboBox::activated, this, [this, side, category] { RuleChosen(side, category); });
        }
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    auto* top = new QGridLayout;
    auto* methodLabel = new QLabel(QStringLiteral("Synchronization &Method:"), this);
    methodLabel->setBuddy(m_cboSyncMethod);
    top->addWidget(methodLabel, 0, 0);
    top->addWidget(m_cboSyncMethod, 1, 0);
    top->addWidget(m_lblDescription, 2, 0);
    top->addWidget(m_imgSyncMethod, 0, 1, 3, 1, Qt::AlignTop);
    top->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_fraCustomSync);
    layout->addStretch();

    ShowRules(sync.AllRules());
    int index = m_cboSyncMethod->findData(sync.SyncMethod());
    if (index < 0)
        index = 2;
    m_cboSyncMethod->setCurrentIndex(index);
    connect(m_cboSyncMethod, &QComboBox::currentIndexChanged, this, &frmOptionsSyncTab::MethodChanged);
    MethodChanged();
}

QComboBox* frmOptionsSyncTab::Combo(CSyncSettings::Side side, CSyncSettings::Category category) const
{
    return m_rules[CSyncSettings::RuleIndex(side, category)];
}

int frmOptionsSyncTab::SelectedMethod() const { return m_cboSyncMethod->currentData().toInt(); }

void frmOptionsSyncTab::ShowRules(const CSyncSettings::Rules& rules)
{
    for (const CategoryRow& r : Rows) {
        for (const CSyncSettings::Side side : {CSyncSettings::Left, CSyncSettings::Right}) {
            QComboBox* combo = Combo(side, r.category);
            // A rule the combo has no item for (a replaced orphan) shows no selection.
            const QString text = SyncRuleChoices::TextForAction(r.category, rules[CSyncSettings::RuleIndex(side, r.category)]);
            combo->setCurrentIndex(text.isEmpty() ? -1 : combo->findText(text, Qt::MatchExactly));
        }
    }
}

void frmOptionsSyncTab::MethodChanged()
{
    const int method = SelectedMethod();
    const bool custom = method == CSyncSettings::Custom;
    if (custom) {
        m_lblDescription->setText(m_descriptions.at(CSyncSettings::Custom)
                                  + QStringLiteral(" Specify the actions to be performed on each type by selecting "
                                                   "values from the options below."));
        m_imgSyncMethod->clear();
    } else {
        m_lblDescription->setText(method >= 0 && method < m_descriptions.size() ? m_descriptions.at(method) : QString());
        m_imgSyncMethod->setPixmap(SyncMethodPicture(method));
        // The greyed combos show what the chosen method will do, and are the start of a custom set.
        CSyncSettings::Rules rules;
        if (CSyncSettings::PredefinedRules(method, &rules))
            ShowRules(rules);
    }
    m_fraCustomSync->setEnabled(custom);
}

void frmOptionsSyncTab::RuleChosen(CSyncSettings::Side side, CSyncSettings::Category category)
{
    CSyncSettings::Side partnerSide;
    CSyncSettings::Category partnerCategory;
    if (!SyncRuleChoices::Partner(side, category, &partnerSide, &partnerCategory))
        return;
    QComboBox* partner = Combo(partnerSide, partnerCategory);
    const QString text = SyncRuleChoices::CoupledPartnerText(Combo(side, category)->currentText(), partnerCategory,
                                                             partner->currentText());
    const int index = partner->findText(text, Qt::MatchExactly);
    if (index >= 0)
        partner->setCurrentIndex(index);
}

void frmOptionsSyncTab::Apply()
{
    CSyncSettings& sync = m_ctx.SyncSettings();
    const int method = SelectedMethod();
    sync.SetSyncMethod(method);
    if (method != CSyncSettings::Custom)
        return;
    CSyncSettings::Rules rules{};
    for (int i = 0; i < 8; ++i)
        rules[i] = SyncRuleChoices::ActionForText(m_rules[i]->currentText());
    sync.SetAllRules(rules);
}
