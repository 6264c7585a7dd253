#include "compare/NameLists.h"
#include "compare/RowFormat.h"
#include "compare/TimeRules.h"
#include "TimeZoneScope.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

struct Pair
{
    QString left;
    QString right;
    bool operator==(const Pair& o) const { return left == o.left && right == o.right; }
};

void PrintTo(const Pair& p, std::ostream* os) { *os << "(" << qPrintable(p.left) << " | " << qPrintable(p.right) << ")"; }

std::vector<Pair> Paired(const QStringList& left, const QStringList& right)
{
    std::vector<Pair> out;
    for (const NamePair& p : PairNames(left, right))
        out.push_back(Pair{p.left >= 0 ? left.at(p.left) : QString(), p.right >= 0 ? right.at(p.right) : QString()});
    return out;
}

QString S(const char* text) { return QString::fromUtf8(text); }


qint64 TicksOf(const QDateTime& utc) { return utc.toMSecsSinceEpoch() * 10000 + UnixEpochTicks; }

} // namespace

TEST(NamePairing, CaseVariantsOfOneFolderAllStayAndPairExactSpellingFirst)
{
    const QStringList left = {S("README"), S("Readme"), S("a.txt")};
    const QStringList right = {S("readme"), S("Readme"), S("B.txt")};
    const std::vector<Pair> expected = {
        {S("a.txt"), {}}, {{}, S("B.txt")}, {S("README"), S("readme")}, {S("Readme"), S("Readme")}};
    EXPECT_EQ(Paired(left, right), expected);
}

TEST(NamePairing, LeftoverCaseVariantsPairInListingOrderAndTheRestAreOrphans)
{
    const std::vector<Pair> expected = {{S("README"), S("Readme")}, {{}, S("readme")}};
    EXPECT_EQ(Paired({S("README")}, {S("Readme"), S("readme")}), expected);
    const std::vector<Pair> mirrored = {{S("README"), {}}, {S("Readme"), S("readme")}};
    EXPECT_EQ(Paired({S("Readme"), S("README")}, {S("readme")}), mirrored);
}

TEST(NamePairing, EmptySidesAndCancellation)
{
    EXPECT_TRUE(PairNames({}, {}).empty());
    const std::vector<Pair> onlyRight = {{{}, S("x")}};
    EXPECT_EQ(Paired({}, {S("x")}), onlyRight);
    std::atomic<bool> cancel{true};
    EXPECT_TRUE(PairNames({S("a")}, {S("a")}, &cancel).empty());
}

TEST(NamePairing, TwoHundredThousandNamesPairQuickly)
{
    QStringList left;
    QStringList right;
    for (int i = 0; i < 200000; ++i) {
        left.append(QStringLiteral("file_%1_Name.txt").arg(i * 7919 % 1000003));
        right.append(i % 10 == 0 ? QStringLiteral("FILE_%1_name.txt").arg(i * 7919 % 1000003) : left.last());
    }
    QElapsedTimer timer;
    timer.start();
    const std::vector<NamePair> pairs = PairNames(left, right);
    const qint64 ms = timer.elapsed();
    ASSERT_EQ(pairs.size(), size_t(200000));
    for (const NamePair& p : pairs)
        ASSERT_TRUE(p.left >= 0 && p.right >= 0);
    EXPECT_LT(ms, 3000) << "pairing took " << ms << " ms";
}

TEST(SortOrder, CaseInsensitiveCollationWithExactTextBreakingTies)
{
    const NameOrder order;
    QStringList list = {S("b"), S("Readme"), S("A"), S("README"), S("a"), S("B"), S("readme"), S("c")};
    order.Sort(list);
    EXPECT_EQ(list, (QStringList{S("A"), S("a"), S("B"), S("b"), S("c"), S("README"), S("Readme"), S("readme")}));

    QStringList one = {S("only")};
    order.Sort(one);
    EXPECT_EQ(one, QStringList{S("only")});
    QStringList none;
    order.Sort(none);
    EXPECT_TRUE(none.isEmpty());
}

// Large lists of plain ASCII names are keyed without the collator; the order must be the very one the
// collator gives, in locales that order punctuation and digits their own way, in one whose contractions
// ("ch") rule the shortcut out, and with non-ASCII names mixed in.
TEST(SortOrder, LargeListsSortExactlyAsTheCollatorDoes)
{
    const QLocale saved;
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::Czech, QLocale::CzechRepublic), QLocale(QLocale::Swedish, QLocale::Sweden)};
    const QString alphabet = S(" !#$%&'()+,-.0123456789;=@[]^_`{}~aAbBcChHzZ\u00e9\u00c9\u00f6\u00df");
    QRandomGenerator random(4711);
    QStringList names;
    for (int i = 0; i < 30000; ++i) {
        QString name;
        const int length = 1 + int(random.bounded(10));
        // One name in twenty carries a non-ASCII letter; the rest use only the first part of the alphabet.
        const int letters = i % 20 == 0 ? int(alphabet.size()) : int(alphabet.size()) - 4;
        for (int j = 0; j < length; ++j)
            name += alphabet.at(int(random.bounded(letters)));
        names << name;
    }
    names.removeDuplicates();
    for (const QLocale& locale : locales) {
        QLocale::setDefault(locale);
        NameOrder order;
        QStringList fast = names;
        order.Sort(fast);
        QStringList slow = names;
        order.Sort(slow, false);
        ASSERT_EQ(fast, slow) << qPrintable(locale.name());
        for (qsizetype i = 1; i < slow.size(); ++i)
            ASSERT_LT(order.Compare(slow.at(i - 1), slow.at(i)), 0) << qPrintable(locale.name());
    }
    QLocale::setDefault(saved);
}

TEST(ResultRowIndex, RowsOfAHoldListWithPlaceholdersAndFolderRows)
{
    ResultList rows;
    for (const char* text : {"", "a.txt", "", "", "b.txt", "README", "Readme", "", "z", "/docs", "", "/Src"}) {
        ResultRow row;
        row.text = S(text);
        rows.push_back(row);
    }
    const ResultRowIndex index(rows);
    const auto check = [&](const char* text, qsizetype expected) {
        EXPECT_EQ(index.Find(S(text)), expected) << text;
    };
    check("a.txt", 1);
    check("A.TXT", 1);
    check("b.txt", 4);
    check("Readme", 6);
    check("README", 5);
    check("readme", 5);
    check("z", 8);
    check("/docs", 9);
    check("/src", 11);
    check("docs", -1);
    check("c", -1);
    check("", -1);
    EXPECT_EQ(ResultRowIndex(ResultList()).Find(S("a")), -1);
}

TEST(RowTexts, SizesWithTheLocalesDigitGrouping)
{
    const RowFormatter us(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.SizeText(0), S("0"));
    EXPECT_EQ(us.SizeText(999), S("999"));
    EXPECT_EQ(us.SizeText(1000), S("1,000"));
    EXPECT_EQ(us.SizeText(Q_INT64_C(5368709120)), S("5,368,709,120"));
    EXPECT_EQ(RowFormatter(QLocale(QLocale::German, QLocale::Germany)).SizeText(1234567), S("1.234.567"));
    // Grouped also where the locale omits separators by default, and in locales with other group sizes.
    EXPECT_EQ(RowFormatter(QLocale::c()).SizeText(1234567), S("1,234,567"));
    EXPECT_EQ(RowFormatter(QLocale(QLocale::English, QLocale::India)).SizeText(1234567), S("12,34,567"));
}

TEST(RowTexts, DatesInTheLocalTimeOfTheirMoment)
{
    TimeZoneScope zone("Europe/Berlin");
    RowFormatter us(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.DateText(TicksOf(QDateTime(QDate(2024, 1, 5), QTime(14, 4, 5), Qt::UTC))), S("1/5/24 3:04:05 PM"));
    // Summer time as it was in July, whatever the season now.
    EXPECT_EQ(us.DateText(TicksOf(QDateTime(QDate(2023, 7, 1), QTime(22, 0, 9), Qt::UTC))), S("7/2/23 12:00:09 AM"));
    // Before 1970 too.
    EXPECT_EQ(us.DateText(TicksOf(QDateTime(QDate(1969, 12, 31), QTime(22, 59, 59), Qt::UTC))),
              S("12/31/69 11:59:59 PM"));

    const ResultRow row = us.FileRow(S("a.txt"), 1234, TicksOf(QDateTime(QDate(2024, 1, 5), QTime(14, 4, 5), Qt::UTC)),
                                     Category::Newer);
    EXPECT_EQ(row.text, S("a.txt"));
    EXPECT_EQ(row.sizeText, S("1,234"));
    EXPECT_EQ(row.dateText, S("1/5/24 3:04:05 PM"));
    EXPECT_EQ(row.icon, Category::Newer);
    EXPECT_EQ(row.size, 1234);
}

TEST(RowTexts, HandBuiltDatesMatchTheLocaleInManyLocales)
{
    TimeZoneScope zone("America/New_York");
    const QLocale locales[] = {QLocale::c(),
                               QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::English, QLocale::UnitedKingdom),
                               QLocale(QLocale::German, QLocale::Germany),
                               QLocale(QLocale::French, QLocale::France),
                               QLocale(QLocale::Japanese, QLocale::Japan),
                               QLocale(QLocale::Korean, QLocale::SouthKorea),
                               QLocale(QLocale::Finnish, QLocale::Finland),
                               QLocale(QLocale::Arabic, QLocale::Egypt),
                               QLocale(QLocale::Chinese, QLocale::China)};
    QRandomGenerator random(42);
    for (const QLocale& locale : locales) {
        RowFormatter formatter(locale);
        const QString format = formatter.DateTimeFormat();
        EXPECT_TRUE(format.contains(QLatin1Char('s'))) << qPrintable(locale.name()) << " " << qPrintable(format);
        for (int i = 0; i < 200; ++i) {
            const qint64 seconds = qint64(random.bounded(2000000000)) + (i % 2 == 0 ? 0 : 1000000000);
            const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
            const QDateTime fields(local.date(), local.time(), Qt::UTC);
            ASSERT_EQ(formatter.DateText(seconds * TicksPerSecond + UnixEpochTicks), locale.toString(fields, format))
                << qPrintable(locale.name()) << " " << seconds;
        }
    }
}

TEST(RowTexts, AMillionRowsTakeAboutASecond)
{
    RowFormatter formatter(QLocale(QLocale::English, QLocale::UnitedStates));
    const qint64 base = TicksOf(QDateTime(QDate(2023, 3, 1), QTime(0, 0), Qt::UTC));
    const QString name = S("file.txt");
    QElapsedTimer timer;
    timer.start();
    qint64 length = 0;
    for (int i = 0; i < 200000; ++i) {
        const ResultRow row = formatter.FileRow(name, qint64(i) * 977, base + qint64(i) * 37 * TicksPerSecond, Category::Same);
        length += row.dateText.size();
    }
    const qint64 ms = timer.elapsed();
    EXPECT_GT(length, 0);
    EXPECT_LT(ms, 1000) << "200,000 rows took " << ms << " ms";
}
