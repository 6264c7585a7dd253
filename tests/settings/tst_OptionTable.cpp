#include "SettingsFixture.h"
#include "SettingsSnapshot.h"
#include "compare/CompareMethod.h"
#include "settings/OptionTable.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

template <class... Visitors>
struct Overloaded : Visitors...
{
    using Visitors::operator()...;
};

QString Name(const OptionRow& row)
{
    return QString::fromLatin1(row.section) + QLatin1Char('/') + QString::fromLatin1(row.key);
}

// What every row would write for the settings in memory, in table order.
QList<std::optional<QString>> StoredTexts(AppContext& ctx)
{
    QList<std::optional<QString>> texts;
    for (const OptionRow& row : OptionRows())
        texts << StoredText(row, ctx.SettingOwners());
    return texts;
}

// Some rows are only read under a condition of the rows read before them.
void MakeRowReadable(const OptionRow& row, AppContext& ctx)
{
    if (std::holds_alternative<SyncRuleForm>(row.form) || qstrcmp(row.key, "FollowDeletions") == 0)
        ctx.SyncSettings().SetSyncMethod(CSyncSettings::Custom);
    if (std::holds_alternative<CustomViewForm>(row.form))
        ctx.ViewSelections().SetViewType(CViewSelections::Custom);
}

// Rows whose stored text follows another row's value: the rules (and "follow the deletion") follow the
// method, the view flags the view type, and the window's place is written only for a normal window.
bool Follows(const OptionRow& row, const OptionRow& leader)
{
    if (std::holds_alternative<SyncRuleForm>(row.form) || qstrcmp(row.key, "FollowDeletions") == 0)
        return qstrcmp(leader.key, "SyncMethod") == 0;
    if (std::holds_alternative<CustomViewForm>(row.form))
        return qstrcmp(leader.key, "ViewType") == 0;
    if (std::holds_alternative<WindowSizeForm>(row.form) || std::holds_alternative<WindowEdgeForm>(row.form))
        return std::holds_alternative<WindowStateForm>(leader.form);
    return false;
}

// Moves one row's value away from the one it has, through the row's own property.
void ChangeRow(const OptionRow& row, AppContext& ctx)
{
    const SettingsOwners o = ctx.SettingOwners();
    std::visit(Overloaded{
                   [&](const FlagForm& f) { f.value.set(o, !f.value.get(o)); },
                   [&](const WholeForm& f) { f.value.set(o, f.value.get(o) + 7); },
                   [&](const TextForm& f) { f.value.set(o, f.value.get(o) + QStringLiteral(" changed")); },
                   [&](const WordForm& f) { f.value.set(o, (f.value.get(o) + 1) % static_cast<int>(f.words->size())); },
                   [&](const SoundForm& f) { f.value.set(o, QStringLiteral("/sounds/changed.wav")); },
                   [&](const SyncRuleForm& f) {
                       CSyncSettings::Rules rules = o.sync.AllRules();
                       // Two steps on: orphans never get the Replace they cannot have.
                       rules[static_cast<size_t>(f.rule)] = (rules[static_cast<size_t>(f.rule)] + 2) % 4;
                       o.sync.SetAllRules(rules);
                   },
                   [&](const CustomViewForm& f) { o.views.*f.flag = !(o.views.*f.flag); },
                   [&](const FontSizeForm& f) { o.main.*f.value += 1.5; },
                   [&](const WindowStateForm& f) { o.main.*f.value = MainOptions::WindowState::Maximized; },
                   [&](const WindowSizeForm& f) { o.main.*f.value += 15; },
                   [&](const WindowEdgeForm& f) { o.main.*f.value += 15; },
               },
               row.form);
}

} // namespace

TEST(OptionTableTest, EveryKeyHasOneRowAndEverySectionAFullWritingOrder)
{
    QSet<QString> names;
    QHash<QString, QList<int>> places;
    QSet<QString> items;
    for (const OptionRow& row : OptionRows()) {
        SCOPED_TRACE(Name(row).toStdString());
        EXPECT_FALSE(names.contains(Name(row).toLower())) << "the file's keys match without regard to case";
        names.insert(Name(row).toLower());
        if (row.writePlace > 0)
            places[QString::fromLatin1(row.section)] << row.writePlace;

        EXPECT_EQ(row.menuItems.empty(), row.mirror == MenuMirror::None);
        if (std::holds_alternative<FlagForm>(row.form) && !row.menuItems.empty()) {
            EXPECT_EQ(row.menuItems.size(), 1U);
        } else if (const auto* word = std::get_if<WordForm>(&row.form); word != nullptr && !row.menuItems.empty()) {
            EXPECT_EQ(row.menuItems.size(), static_cast<size_t>(word->words->size()));
        } else {
            EXPECT_TRUE(row.menuItems.empty()) << "only flags and words have menu items";
        }
        for (const char* item : row.menuItems) {
            if (item == nullptr)
                continue;
            EXPECT_FALSE(items.contains(QString::fromLatin1(item))) << item;
            items.insert(QString::fromLatin1(item));
        }
    }
    for (auto it = places.cbegin(); it != places.cend(); ++it) {
        QList<int> sorted = it.value();
        std::sort(sorted.begin(), sorted.end());
        QList<int> full;
        for (int place = 1; place <= sorted.size(); ++place)
            full << place;
        EXPECT_EQ(sorted, full) << it.key().toStdString();
    }
    EXPECT_EQ(RowsInWritingOrder().size(), static_cast<size_t>(places.value(QStringLiteral("Options")).size()
                                                                + places.value(QStringLiteral("Form Dimensions")).size()
                                                                + places.value(QStringLiteral("ColumnWidths")).size()));

    // The comparison methods' items are also named where the method is chosen.
    const auto compareType = std::find_if(OptionRows().begin(), OptionRows().end(),
                                          [](const OptionRow& row) { return qstrcmp(row.key, "CompareType") == 0; });
    ASSERT_NE(compareType, OptionRows().end());
    for (size_t method = 0; method < compareType->menuItems.size(); ++method)
        EXPECT_EQ(QString::fromLatin1(compareType->menuItems[method]), CompareMethodMenuName(static_cast<int>(method)));
}

// Each row alone away from its default: the file brings back that row, and nothing else changes. A row
// that reads or writes another row's property, or reads what it does not write, fails here by name.
TEST(OptionTableTest, EveryRowComesBackAloneFromTheFile)
{
    const std::vector<OptionRow>& rows = OptionRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const OptionRow& row = rows[i];
        if (row.writePlace == 0)
            continue;
        SCOPED_TRACE(Name(row).toStdString());
        SettingsFixture first;
        first.Load();
        MakeRowReadable(row, first.ctx);
        const QList<std::optional<QString>> before = StoredTexts(first.ctx);
        ChangeRow(row, first.ctx);
        const QList<std::optional<QString>> changed = StoredTexts(first.ctx);
        EXPECT_NE(changed[static_cast<qsizetype>(i)], before[static_cast<qsizetype>(i)]);
        for (qsizetype other = 0; other < changed.size(); ++other)
            if (other != static_cast<qsizetype>(i) && !Follows(rows[static_cast<size_t>(other)], row)) {
                EXPECT_EQ(changed[other], before[other]) << Name(rows[static_cast<size_t>(other)]).toStdString();
            }
        first.Save();

        SettingsFixture next;
        QFile::copy(first.IniPath(), next.IniPath());
        next.Load();
        EXPECT_EQ(StoredTexts(next.ctx), changed);
        EXPECT_EQ(Snapshot(next.ctx), Snapshot(first.ctx));
    }
}
