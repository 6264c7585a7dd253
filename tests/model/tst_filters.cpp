#include "ModelFixture.h"

#include "model/FilterCriteria.h"
#include "model/Filters.h"

#include <algorithm>
#include <string>

namespace {

struct MatchCase
{
    const char* label;
    const char* pattern;
    const char* name;
    bool folder;
    bool expected;
};

const MatchCase matchCases[] = {
    {"star-matches-anything", "*", "anything at all", false, true},
    {"extension-ignores-case", "*.txt", "Notes.TXT", false, true},
    {"extension-is-the-whole-tail", "*.txt", "notes.txt.bak", false, false},
    {"star-dot-star-needs-a-dot", "*.*", "README", false, false},
    {"question-is-one-character", "a?c", "abc", false, true},
    {"question-is-not-zero-characters", "a?c", "ac", false, false},
    {"hash-is-a-digit", "file#.log", "file7.log", false, true},
    {"hash-is-not-a-letter", "file#.log", "fileX.log", false, false},
    {"set-ignores-case", "[abc]*", "Banana", false, true},
    {"set-misses", "[abc]*", "dog", false, false},
    {"negated-set", "[!abc]*", "dog", false, true},
    {"negated-set-misses", "[!abc]*", "Apple", false, false},
    {"range-ignores-case", "[a-f]x", "Dx", false, true},
    {"range-misses", "[a-f]x", "gx", false, false},
    {"bracketed-star-is-literal", "[*]", "*", false, true},
    {"bracketed-star-is-not-wild", "[*]", "a", false, false},
    {"unclosed-bracket-is-literal", "a[", "a[", false, true},
    {"two-stars-backtrack", "*a*b", "xxaYYb", false, true},
    {"two-stars-need-order", "*a*b", "xxbYa", false, false},
    {"prefix", "rep*", "Report.doc", false, true},
    {"literal-whole-name", "makefile", "Makefile", false, true},
    {"literal-not-a-part", "make", "Makefile", false, false},
    {"empty-pattern-matches-no-name", "", "a", false, false},
    {"non-ascii-is-one-character", "??", "\xC3\xA9" "1", false, true},
    {"non-ascii-ignores-case", "\xC3\x89T\xC3\x89*", "\xC3\xA9t\xC3\xA9.txt", false, true},
    {"folder-pattern-matches-folder", "/Docs", "docs", true, true},
    {"backslash-folder-pattern-matches-folder", "\\Docs", "DOCS", true, true},
    {"folder-pattern-never-matches-file", "\\Docs", "Docs", false, false},
    {"file-pattern-can-match-folder-text", "*.txt", "notes.txt", true, true},
    {"plain-name-does-not-match-folder-text", "Docs", "Docs", true, false},
};

class WildcardTable : public ::testing::TestWithParam<MatchCase>
{
};

} // namespace

TEST_P(WildcardTable, Matches)
{
    const MatchCase& c = GetParam();
    const FilterSet set(QStringList{QString::fromUtf8(c.pattern)});
    const QString name = QString::fromUtf8(c.name);
    EXPECT_EQ(c.folder ? set.MatchesAnyFolder(name) : set.MatchesAny(name), c.expected);
}

static std::string CaseLabel(const ::testing::TestParamInfo<MatchCase>& param)
{
    std::string label = param.param.label;
    std::replace(label.begin(), label.end(), '-', '_');
    return label;
}

INSTANTIATE_TEST_SUITE_P(Patterns, WildcardTable, ::testing::ValuesIn(matchCases), CaseLabel);

TEST(FilterLists, ParseTrimsAndKeepsEmptyPieces)
{
    QStringList list{QStringLiteral("first")};
    ParseFilterList(list, QStringLiteral(" *.txt ,*.doc,, \\temp"));
    EXPECT_EQ(list, (QStringList{QStringLiteral("first"), QStringLiteral("*.txt"), QStringLiteral("*.doc"), QString(),
                                 QStringLiteral("\\temp")}));
    QStringList none;
    ParseFilterList(none, QString());
    EXPECT_TRUE(none.isEmpty());
}

TEST(FilterLists, MatchesAnyStopsAtFirstMatchAndEmptyListMatchesNothing)
{
    EXPECT_TRUE(MatchesAnyFilter(QStringLiteral("a.doc"), {QStringLiteral("*.txt"), QStringLiteral("*.DOC")}));
    EXPECT_FALSE(MatchesAnyFilter(QStringLiteral("a.doc"), {}));
    EXPECT_TRUE(IsFolderPattern(u"/x"));
    EXPECT_TRUE(IsFolderPattern(u"\\x"));
    EXPECT_FALSE(IsFolderPattern(u"*x"));
}

TEST(FilterLists, AppendAddsCommaOnlyWhereNeeded)
{
    EXPECT_EQ(AppendToFilterText(QString(), {QStringLiteral("a.txt"), QStringLiteral("/Docs")}),
              QStringLiteral("a.txt,/Docs"));
    EXPECT_EQ(AppendToFilterText(QStringLiteral("*.bak,"), {QStringLiteral("b")}), QStringLiteral("*.bak,b"));
    EXPECT_EQ(AppendToFilterText(QStringLiteral("*.bak"), {QStringLiteral("*.bak")}), QStringLiteral("*.bak,*.bak"));
}

class Criteria : public ModelFixture
{
};

TEST_F(Criteria, SizeComparesAllSixtyFourBits)
{
    const qint64 fiveGb = 5LL * 1024 * 1024 * 1024;
    EXPECT_TRUE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral("5368709120"), fiveGb, 0));
    EXPECT_FALSE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral("5368709121"), fiveGb, 0));
    EXPECT_TRUE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral("100"), 101, 1));
    EXPECT_FALSE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral("100"), 100, 1));
    EXPECT_TRUE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral(" 100 "), 99, 2));
    EXPECT_FALSE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral("100"), 100, 3));
    EXPECT_FALSE(FileMatchesSizeCriteria(ctx->Errors(), QString(), 0, 0));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Criteria, SizeThatIsNotANumberIsReported)
{
    EXPECT_FALSE(FileMatchesSizeCriteria(ctx->Errors(), QStringLiteral("12 KB"), 12, 0));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: modParvex.FileMatchesSizeCriteria\r\n")));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
}

TEST_F(Criteria, DateComparesToTheSecond)
{
    const QDateTime file(QDate(2024, 3, 5), QTime(14, 30, 15, 700));
    EXPECT_TRUE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("2024-03-05T14:30:15"), file, 0));
    EXPECT_TRUE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("2024-03-05 14:30:15"), file, 0));
    EXPECT_FALSE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("2024-03-05 14:30:16"), file, 0));
    EXPECT_TRUE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("2024-03-05"), file, 1));
    EXPECT_TRUE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("2024-03-06"), file, 2));
    EXPECT_FALSE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("2024-03-06"), file, 1));
    EXPECT_FALSE(FileMatchesDateCriteria(ctx->Errors(), QString(), file, 0));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Criteria, DateInTheLocalesShortForm)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QDateTime file(QDate(2024, 3, 5), QTime(14, 30, 0));
    const QString text = QLocale().toString(file, QLocale::ShortFormat); // "3/5/24 2:30 PM"
    const bool equal = FileMatchesDateCriteria(ctx->Errors(), text, file, 0);
    const bool dateOnly = FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("3/5/24"), file, 1);
    QLocale::setDefault(saved);
    EXPECT_TRUE(equal) << qPrintable(text);
    EXPECT_TRUE(dateOnly);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Criteria, UnreadableDateIsReported)
{
    EXPECT_FALSE(FileMatchesDateCriteria(ctx->Errors(), QStringLiteral("next tuesday"), QDateTime::currentDateTime(), 1));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: modParvex.FileMatchesDateCriteria\r\n")));
}
