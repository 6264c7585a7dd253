#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

// The synchronisation method and the eight rules it stands for: one action per side (left, right) and
// file category (new, old, orphan, binary). Setting a predefined method overwrites the eight rules with
// that method's rule set, so the rules always describe what a synchronisation will do; the method Custom
// keeps whatever rules are there.
class CSyncSettings final
{
public:
    enum Method : int32_t {
        MakeRightSameAsLeft = 0,
        MakeLeftSameAsRight = 1,
        ReplaceOlderCopyOrphans = 2,
        Custom = 3,
        AddOrphansToLeft = 4,
        AddOrphansToRight = 5,
        ReplaceOlderOnLeft = 6,
        ReplaceOlderOnRight = 7,
    };
    static constexpr int MethodCount = 8;

    enum Action : int32_t { Leave = 0, Copy = 1, Replace = 2, Delete = 3 };

    enum Side : int { Left = 0, Right = 1 };
    enum Category : int { New = 0, Old = 1, Orphan = 2, Binary = 3 };
    // Rules in the stored order: left new, old, orphan, binary, then right new, old, orphan, binary.
    using Rules = std::array<int32_t, 8>;
    static constexpr int RuleIndex(Side side, Category category) { return side * 4 + category; }

    CSyncSettings();
    Q_DISABLE_COPY_MOVE(CSyncSettings)

    int32_t SyncMethod() const { return m_syncMethod; }
    void SetSyncMethod(int32_t method);

    int32_t LeftFolderNewFilesAction() const { return m_rules[0]; }
    void SetLeftFolderNewFilesAction(int32_t v) { m_rules[0] = v; }
    int32_t LeftFolderOldFilesAction() const { return m_rules[1]; }
    void SetLeftFolderOldFilesAction(int32_t v) { m_rules[1] = v; }
    int32_t LeftFolderOrphanFilesAction() const { return m_rules[2]; }
    void SetLeftFolderOrphanFilesAction(int32_t v) { m_rules[2] = v; }
    int32_t LeftFolderBinaryFilesAction() const { return m_rules[3]; }
    void SetLeftFolderBinaryFilesAction(int32_t v) { m_rules[3] = v; }
    int32_t RightFolderNewFilesAction() const { return m_rules[4]; }
    void SetRightFolderNewFilesAction(int32_t v) { m_rules[4] = v; }
    int32_t RightFolderOldFilesAction() const { return m_rules[5]; }
    void SetRightFolderOldFilesAction(int32_t v) { m_rules[5] = v; }
    int32_t RightFolderOrphanFilesAction() const { return m_rules[6]; }
    void SetRightFolderOrphanFilesAction(int32_t v) { m_rules[6] = v; }
    int32_t RightFolderBinaryFilesAction() const { return m_rules[7]; }
    void SetRightFolderBinaryFilesAction(int32_t v) { m_rules[7] = v; }

    int32_t Action(Side side, Category category) const { return m_rules[RuleIndex(side, category)]; }
    void SetAction(Side side, Category category, int32_t v) { m_rules[RuleIndex(side, category)] = v; }
    const Rules& AllRules() const { return m_rules; }
    void SetAllRules(const Rules& rules) { m_rules = rules; }

    // Overwrites the eight rules with the rule set of the current method; Custom and unknown numbers
    // change nothing.
    void ConvertPredefinedToCustom();

    // The rule set of a predefined method; none for Custom and unknown numbers.
    static bool PredefinedRules(int32_t method, Rules* rules);

private:
    int32_t m_syncMethod = ReplaceOlderCopyOrphans;
    Rules m_rules{};
};

// The eight method descriptions, indexed by method number.
QStringList GetSyncMethodDescriptions();

// One entry of a method list: the text shown and the method number carried as item data.
struct SyncMethodItem
{
    QString text;
    int32_t method;
};
// The method list of the wizard and of the Options window, in display order.
QList<SyncMethodItem> SyncMethodListItems();

// The item texts of the rule combo boxes and the coupling between the two sides. Left new is the partner
// of right old, right new of left old, and left binary of right binary; orphans have no partner.
namespace SyncRuleChoices {

QStringList Items(CSyncSettings::Category category);
// The item that shows an action code in a category's combo; empty when that combo has none for it.
QString TextForAction(CSyncSettings::Category category, int32_t action);
// The action code of an item text; unknown texts are Leave.
int32_t ActionForText(const QString& text);

// The partner of a combo, or false when the category has none.
bool Partner(CSyncSettings::Side side, CSyncSettings::Category category, CSyncSettings::Side* partnerSide,
             CSyncSettings::Category* partnerCategory);
// What the partner shows after chosen was picked, given what it shows now.
QString CoupledPartnerText(const QString& chosen, CSyncSettings::Category partnerCategory,
                           const QString& partnerCurrent);

} // namespace SyncRuleChoices
