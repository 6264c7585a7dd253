#include "sync/CSyncSettings.h"
#include "sync/SyncMethodTexts.h"
#include "views/CViewSelections.h"
#include "../sync/SyncRuleTexts.h"

#include <gtest/gtest.h>

namespace {
using S = CSyncSettings;
using namespace SyncRuleText;
} // namespace

TEST(SyncSettingsTest, PredefinedMethodsExpandIntoTheirRules)
{
    // Rules in the order left new, old, orphan, binary, right new, old, orphan, binary.
    const std::pair<int, S::Rules> table[] = {
        {0, {1, 1, 1, 1, 2, 2, 3, 2}}, {1, {2, 2, 3, 2, 1, 1, 1, 1}}, {2, {1, 2, 1, 0, 1, 2, 1, 0}},
        {4, {0, 0, 0, 0, 0, 0, 1, 0}}, {5, {0, 0, 1, 0, 0, 0, 0, 0}}, {6, {0, 2, 0, 0, 1, 0, 0, 0}},
        {7, {1, 0, 0, 0, 0, 2, 0, 0}},
    };
    S sync;
    for (const auto& [method, rules] : table) {
        SCOPED_TRACE(method);
        sync.SetAllRules({3, 3, 3, 3, 3, 3, 3, 3});
        sync.SetSyncMethod(method);
        EXPECT_EQ(sync.AllRules(), rules);
    }
    // Custom and unknown numbers keep the rules of whatever came before.
    sync.SetSyncMethod(S::MakeLeftSameAsRight);
    sync.SetSyncMethod(S::Custom);
    EXPECT_EQ(sync.AllRules(), (S::Rules{2, 2, 3, 2, 1, 1, 1, 1}));
    sync.SetSyncMethod(12);
    EXPECT_EQ(sync.AllRules(), (S::Rules{2, 2, 3, 2, 1, 1, 1, 1}));
    // Setting a rule leaves the method alone.
    sync.SetSyncMethod(S::ReplaceOlderCopyOrphans);
    sync.SetRightFolderBinaryFilesAction(S::Copy);
    EXPECT_EQ(sync.SyncMethod(), S::ReplaceOlderCopyOrphans);
}

TEST(SyncSettingsTest, MethodListAndDescriptions)
{
    const QList<SyncMethodItem> items = SyncMethodListItems();
    ASSERT_EQ(items.size(), 8);
    QList<int> order;
    for (const SyncMethodItem& item : items)
        order << item.method;
    EXPECT_EQ(order, (QList<int>{0, 1, 2, 4, 5, 6, 7, 3}));
    EXPECT_EQ(items.last().text, QStringLiteral("Custom"));
    const QStringList descriptions = GetSyncMethodDescriptions();
    ASSERT_EQ(descriptions.size(), 8);
    EXPECT_TRUE(descriptions[2].contains(QStringLiteral("counterparts.  Copy orphan")));
    EXPECT_EQ(descriptions[3], QStringLiteral("Create your own custom sync method."));
}

TEST(SyncSettingsTest, ComboTextsAndCodes)
{
    EXPECT_EQ(SyncRuleChoices::Items(S::Orphan), (QStringList{Leave, Copy, Delete}));
    EXPECT_EQ(SyncRuleChoices::TextForAction(S::New, S::Replace), ReplaceOlder);
    EXPECT_EQ(SyncRuleChoices::TextForAction(S::Old, S::Replace), ReplaceNewer);
    EXPECT_EQ(SyncRuleChoices::TextForAction(S::Binary, S::Replace), ReplaceObject);
    // A replaced orphan (only possible from a hand-edited file) has no item and is stored back as Leave.
    EXPECT_EQ(SyncRuleChoices::TextForAction(S::Orphan, S::Replace), QString());
    EXPECT_EQ(SyncRuleChoices::ActionForText(QString()), S::Leave);
    EXPECT_EQ(SyncRuleChoices::ActionForText(ReplaceObject), S::Replace);
    EXPECT_EQ(SyncRuleChoices::ActionForText(Delete), S::Delete);
}

TEST(SyncSettingsTest, ChoosingARuleCouplesItsPartner)
{
    S::Side side;
    S::Category category;
    ASSERT_TRUE(SyncRuleChoices::Partner(S::Left, S::New, &side, &category));
    EXPECT_EQ(side, S::Right);
    EXPECT_EQ(category, S::Old);
    ASSERT_TRUE(SyncRuleChoices::Partner(S::Right, S::Binary, &side, &category));
    EXPECT_EQ(side, S::Left);
    EXPECT_EQ(category, S::Binary);
    EXPECT_FALSE(SyncRuleChoices::Partner(S::Left, S::Orphan, &side, &category));

    struct Case
    {
        QString chosen;
        S::Category partner;
        QString partnerNow;
        QString expected;
    };
    const Case cases[] = {
        {Copy, S::Old, Leave, ReplaceNewer},
        {Copy, S::New, Delete, ReplaceOlder},
        {Copy, S::Binary, Leave, ReplaceObject},
        {ReplaceOlder, S::Old, Leave, Copy},
        {Leave, S::Old, ReplaceNewer, Leave},
        {Leave, S::Old, Delete, Delete},
        {Delete, S::New, Copy, Leave},
        {Delete, S::New, Leave, Leave},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SyncRuleChoices::CoupledPartnerText(c.chosen, c.partner, c.partnerNow), c.expected)
            << qPrintable(c.chosen) << " / " << qPrintable(c.partnerNow);
}

TEST(ViewSelectionsTest, ViewTypesSetTheFlagsAndFlagsNameTheirType)
{
    CViewSelections v;
    v.SetViewType(CViewSelections::Different);
    EXPECT_FALSE(v.ViewIdenticalFiles || v.ViewIdenticalFolders);
    EXPECT_TRUE(v.ViewNewerFiles && v.ViewOlderFiles && v.ViewOrphanFiles && v.ViewBinaryDiffFiles
                && v.ViewDifferentFolders && v.ViewOrphanFolders);
    EXPECT_TRUE(v.AreCustomSettingsSameAsDifferencesViewType());
    EXPECT_FALSE(v.AreCustomSettingsSameAsAllViewType());

    v.SetViewType(CViewSelections::Similar);
    EXPECT_TRUE(v.AreCustomSettingsSameAsSimilaritiesViewType());
    EXPECT_EQ(v.ViewTypeOfFlags(), CViewSelections::Similar);

    // Custom leaves the flags as they are; so does a number the program does not know.
    v.ViewOrphanFiles = true;
    v.SetViewType(CViewSelections::Custom);
    EXPECT_TRUE(v.ViewOrphanFiles && v.ViewIdenticalFiles && !v.ViewNewerFiles);
    EXPECT_EQ(v.ViewTypeOfFlags(), CViewSelections::Custom);
    v.SetViewType(9);
    EXPECT_EQ(v.ViewType(), 9);
    EXPECT_TRUE(v.ViewOrphanFiles && !v.ViewNewerFiles);

    v.SetViewType(CViewSelections::All);
    for (int k = 1; k <= 8; ++k)
        EXPECT_TRUE(v.ShowsCategory(k));
    EXPECT_FALSE(v.ShowsCategory(0)); // placeholder rows
    v.SetShowsCategory(3, false);
    v.SetShowsCategory(6, false);
    EXPECT_EQ(v.ViewTypeOfFlags(), CViewSelections::Different);
}
