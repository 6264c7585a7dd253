#include "sync/GuiSyncRuleFrame.h"

#include "compare/ResultList.h"
#include "sync/SyncMethodTexts.h"
#include "views/GuiCategoryPictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace {

constexpr int PictureSize = 16;

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

constexpr CSyncSettings::Side Sides[] = {CSyncSettings::Left, CSyncSettings::Right};

} // namespace

GuiSyncRuleFrame::GuiSyncRuleFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    setObjectName(QStringLiteral("fraCustomSync"));
    auto* grid = new QGridLayout(this);
    auto* left = new QLabel(QStringLiteral("  Left Folder"), this);
    left->setObjectName(QStringLiteral("lblLeftFolder"));
    auto* right = new QLabel(QStringLiteral("  Right Folder"), this);
    right->setObjectName(QStringLiteral("lblRightFolder"));
    grid->addWidget(left, 0, 1);
    grid->addWidget(right, 0, 2);
    int row = 1;
    for (const CategoryRow& r : Rows) {
        auto* picture = new QLabel(this);
        picture->setObjectName(QString::fromLatin1(r.picture));
        picture->setPixmap(CategoryPixmap(r.shown, true, PictureSize));
        grid->addWidget(picture, row, 0);
        for (const CSyncSettings::Side side : Sides) {
            auto* combo = new QComboBox(this);
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
    m_chkFollowDeletions = new QCheckBox(
        QStringLiteral("&Follow deletions: delete on the other side what was deleted since the last synchronization"), this);
    m_chkFollowDeletions->setObjectName(QStringLiteral("chkFollowDeletions"));
    m_chkFollowDeletions->setToolTip(
        QStringLiteral("An object deleted on one side since the last synchronization of the two folders goes to the "
                       "trash on the other side too, instead of being copied back; files changed on both sides are "
                       "left as they are."));
    grid->addWidget(m_chkFollowDeletions, row, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

void GuiSyncRuleFrame::ShowFollowDeletions(bool on) { m_chkFollowDeletions->setChecked(on); }

bool GuiSyncRuleFrame::ChosenFollowDeletions() const { return m_chkFollowDeletions->isChecked(); }

QComboBox* GuiSyncRuleFrame::Combo(CSyncSettings::Side side, CSyncSettings::Category category) const
{
    return m_rules[CSyncSettings::RuleIndex(side, category)];
}

void GuiSyncRuleFrame::ShowRules(const CSyncSettings::Rules& rules)
{
    for (const CategoryRow& r : Rows) {
        for (const CSyncSettings::Side side : Sides) {
            QComboBox* combo = Combo(side, r.category);
            const QString text = SyncRuleChoices::TextForAction(r.category, rules[CSyncSettings::RuleIndex(side, r.category)]);
            combo->setCurrentIndex(text.isEmpty() ? -1 : combo->findText(text, Qt::MatchExactly));
        }
    }
}

CSyncSettings::Rules GuiSyncRuleFrame::ChosenRules() const
{
    CSyncSettings::Rules rules{};
    for (size_t i = 0; i < rules.size(); ++i)
        rules[i] = SyncRuleChoices::ActionForText(m_rules[i]->currentText());
    return rules;
}

void GuiSyncRuleFrame::RuleChosen(CSyncSettings::Side side, CSyncSettings::Category category)
{
    CSyncSettings::Side partnerSide;
    CSyncSettings::Category partnerCategory;
    if (!SyncRuleChoices::Partner(side, category, &partnerSide, &partnerCategory))
        return;
    QComboBox* partner = Combo(partnerSide, partnerCategory);
    const QString text = SyncRuleChoices::CoupledPartnerText(Combo(side, category)->currentText(), partnerCategory,
                                                             partner->currentText());
    // A partner without that item keeps what it shows.
    const int index = partner->findText(text, Qt::MatchExactly);
    if (index >= 0)
        partner->setCurrentIndex(index);
}
