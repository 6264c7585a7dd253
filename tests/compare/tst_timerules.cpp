#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "compare/CCompare.h"
#include "compare/CompareMethod.h"
#include "compare/TimeRules.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr qint64 Second = TicksPerSecond;
// 2023-06-01 12:00:00 UTC.
constexpr qint64 Base = Q_INT64_C(1685620800) * Second + UnixEpochTicks;

struct DiffRow
{
    const char* name;
    qint64 ticksApart; // stamp 1 minus stamp 2
    qint64 seconds;
};

struct AllowanceRow
{
    const char* name;
    qint64 d;
    bool twoSec;
    bool daylight;
    qint64 answer;
};

} // namespace

TEST(FileTimeDiffSeconds, RoundsHalvesToTheEvenNeighbour)
{
    const DiffRow rows[] = {
        {"equal", 0, 0},
        {"half-second-to-zero", Second / 2, 0},
        {"minus-half-to-zero", -Second / 2, 0},
        {"one-and-a-half-to-two", Second * 3 / 2, 2},
        {"two-and-a-half-to-two", Second * 5 / 2, 2},
        {"minus-one-and-a-half", -Second * 3 / 2, -2},
        {"just-over-half", Second / 2 + 1, 1},
        {"just-under-one-and-a-half", Second * 3 / 2 - 1, 1},
        {"two-seconds", 2 * Second, 2},
        {"an-hour-later", 3600 * Second, 3600},
        {"an-hour-earlier", -3600 * Second, -3600},
        {"centuries", Q_INT64_C(400) * 365 * 86400 * Second, Q_INT64_C(400) * 365 * 86400},
    };
    for (const DiffRow& row : rows)
        EXPECT_EQ(FileTimeDiffSeconds(Base + row.ticksApart, Base), row.seconds) << row.name;
}

TEST(FileTimeDiffSeconds, SameAnswersAsTheHelperLibrary)
{
    FakeUserDialogs dialogs;
    TempDir tmp;
    AppContext ctx(tmp.path(), dialogs);
    BindTestLibrary(ctx);
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        const qint64 a = Base + qint64(random.bounded(1 << 30)) * (i % 3 == 0 ? 5000000 : 7);
        const qint64 b = Base - qint64(random.bounded(1 << 30)) * (i % 2 == 0 ? 5000000 : 3);
        ASSERT_EQ(FileTimeDiffSeconds(a, b), static_cast<qint64>(std::nearbyint(ctx.Lib().CalcDateDiffLocalFT(a, b))));
        ASSERT_EQ(LocalFileTimeToVBTime(a), ctx.Lib().CalcLocalFileTimeToVBTime(a));
    }
    // Extremes that overflow a plain subtraction.
    const qint64 top = std::numeric_limits<qint64>::max();
    const qint64 bottom = std::numeric_limits<qint64>::min();
    EXPECT_EQ(FileTimeDiffSeconds(top, bottom), static_cast<qint64>(std::nearbyint(ctx.Lib().CalcDateDiffLocalFT(top, bottom))));
}

TEST(TimeDiffAllowance, TheWholeTable)
{
    const AllowanceRow rows[] = {
        {"no-options-keep-1", 1, false, false, 1},
        {"no-options-keep-3600", 3600, false, false, 3600},
        {"zero-stays-zero", 0, false, false, 0},
        {"two-sec-forgives-1", 1, true, false, 0},
        {"two-sec-forgives-2", 2, true, false, 0},
        {"two-sec-forgives-minus-2", -2, true, false, 0},
        {"two-sec-keeps-3", 3, true, false, 3},
        {"two-sec-keeps-3600", 3600, true, false, 3600},
        {"daylight-forgives-3600", 3600, false, true, 0},
        {"daylight-forgives-minus-3600", -3600, false, true, 0},
        {"daylight-keeps-3601", 3601, false, true, 3601},
        {"daylight-keeps-2", 2, false, true, 2},
        {"both-forgive-1", -1, true, true, 0},
        {"both-forgive-2", 2, true, true, 0},
        {"both-keep-3", 3, true, true, 3},
        {"both-keep-3597", 3597, true, true, 3597},
        {"both-forgive-3598", 3598, true, true, 0},
        {"both-forgive-3599", -3599, true, true, 0},
        {"both-forgive-3600", 3600, true, true, 0},
        {"both-forgive-3601", 3601, true, true, 0},
        {"both-forgive-3602", -3602, true, true, 0},
        {"both-keep-3603", 3603, true, true, 3603},
        {"both-keep-sign", -3603, true, true, -3603},
        {"most-negative-has-no-absolute-value", std::numeric_limits<qint64>::min(), true, true,
         std::numeric_limits<qint64>::min()},
    };
    for (const AllowanceRow& row : rows)
        EXPECT_EQ(FAT_NTFS_TimeDiffAllowance(row.d, row.twoSec, row.daylight), row.answer) << row.name;

    CCompare compare;
    compare.SetIgnoreFAT_NTFS_DaylightSavings(true);
    EXPECT_EQ(FAT_NTFS_TimeDiffAllowance(-3600, compare), 0);
    EXPECT_EQ(FAT_NTFS_TimeDiffAllowance(3601, compare), 3601);
}

TEST(TimeStamps, OleDatesAndLocalConversion)
{
    const qint64 ticksPerDay = Q_INT64_C(864000000000);
    const qint64 day1899 = Q_INT64_C(109205) * ticksPerDay;
    EXPECT_EQ(LocalFileTimeToVBTime(day1899), 0.0);
    EXPECT_EQ(LocalFileTimeToVBTime(day1899 + ticksPerDay + ticksPerDay / 2), 1.5);
    // Local time keeps the distance between two stamps.
    EXPECT_EQ(UtcToLocalTicks(Base + 7 * Second) - UtcToLocalTicks(Base), 7 * Second);
    const qint64 offsetTicks = qint64(QDateTime::currentDateTime().offsetFromUtc()) * Second;
    EXPECT_EQ(UtcToLocalTicks(Base), Base + offsetTicks);
    EXPECT_EQ(FileTimeToVBTime(Base), LocalFileTimeToVBTime(Base + offsetTicks));
}

namespace {

class Reminder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ctx = std::make_unique<AppContext>(tmp.path(), dialogs);
        BindTestLibrary(*ctx);
        ctx->Compare().SetRemindAboutFATNTFSIssue(true);
    }

    // Left on leftFs, right on rightFs.
    bool Remind(const char* leftFs, const char* rightFs)
    {
        const QString l = QString::fromLatin1(leftFs);
        const QString r = QString::fromLatin1(rightFs);
        return RemindAboutFatNtfs(ctx->Compare(), ctx->Lib(), ctx->Dialogs(), QStringLiteral("/left"), QStringLiteral("/right"),
                                  [&](const QString& path) { return path == QLatin1String("/left") ? l : r; });
    }

    TempDir tmp;
    FakeUserDialogs dialogs;
    std::unique_ptr<AppContext> ctx;
};

} // namespace

TEST_F(Reminder, OnceWhenFatMeetsNtfsAndAnOptionIsOff)
{
    ctx->Compare().SetIgnoreFAT_NTFS_TwoSecDiff(true);
    EXPECT_TRUE(Remind("FAT", "NTFS"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("File System Message"));
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("Parvex has detected that you are comparing files between FAT and NTFS drives.\r\n\r\n"
                             "These File Systems handle timestamps differently.\r\n"
                             "Parvex provides options to deal with these differences.\r\n\r\n"
                             "See the Help file section 'FAT vs NTFS file time' for details.\r\n\r\n"
                             "This reminder can be turned off from the Compare tab on the Options window."));
    EXPECT_TRUE(ctx->Compare().AlreadyNotifiedAboutFATNTFS());
    EXPECT_FALSE(Remind("NTFS", "FAT"));
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(Reminder, NotWhenBothOptionsAreOnOrTheNamesDoNotMatchExactly)
{
    ctx->Compare().SetIgnoreFAT_NTFS_TwoSecDiff(true);
    ctx->Compare().SetIgnoreFAT_NTFS_DaylightSavings(true);
    EXPECT_FALSE(Remind("FAT", "NTFS"));
    ctx->Compare().SetIgnoreFAT_NTFS_DaylightSavings(false);
    EXPECT_FALSE(Remind("FAT32", "NTFS"));
    EXPECT_FALSE(Remind("fat", "NTFS"));
    EXPECT_FALSE(Remind("FAT", "FAT"));
    EXPECT_FALSE(Remind("ext4", ""));
    ctx->Compare().SetRemindAboutFATNTFSIssue(false);
    EXPECT_FALSE(Remind("NTFS", "FAT"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(ctx->Compare().AlreadyNotifiedAboutFATNTFS());
}

TEST(CompareMethods, ChoosingAMethod)
{
    CCompare compare;
    EXPECT_EQ(ChooseCompareMethod(compare, CCompare::Quick, true), MethodChoiceEffect::Nothing);
    EXPECT_EQ(ChooseCompareMethod(compare, CCompare::ThoroughCRC, true), MethodChoiceEffect::CompareAgain);
    EXPECT_EQ(compare.CompareMethod(), CCompare::ThoroughCRC);
    EXPECT_EQ(ChooseCompareMethod(compare, CCompare::SHA, false), MethodChoiceEffect::ClearResults);
    EXPECT_EQ(compare.CompareMethod(), CCompare::SHA);
    EXPECT_EQ(ChooseCompareMethod(compare, CCompare::SHA, false), MethodChoiceEffect::Nothing);

    EXPECT_EQ(CompareMethodCaption(CCompare::Quick), QStringLiteral("Size and Date/Time"));
    EXPECT_EQ(CompareMethodCaption(CCompare::ThoroughString), QStringLiteral("Contents"));
    EXPECT_EQ(CompareMethodCaption(CCompare::ThoroughCRC), QStringLiteral("Cyclical Redundancy Check"));
    EXPECT_EQ(CompareMethodCaption(CCompare::SHA), QStringLiteral("SHA-1 Message Digest"));
    EXPECT_EQ(CompareMethodMenuName(CCompare::ThoroughString), QStringLiteral("mnuOptionsCompareTypeThoroughString"));
}

TEST(CompareMethods, StoredWordsLoadExactly)
{
    struct Row
    {
        const char* word;
        bool shaAvailable;
        int32_t method;
    };
    const Row rows[] = {{"Quick", true, 0}, {"Thorough", true, 1}, {"CRC", true, 2},   {"SHA", true, 3},
                        {"sha", true, 0},   {"thorough", true, 0}, {"", true, 0},      {"Contents", true, 0},
                        {"SHA", false, 2},  {"CRC", false, 2}};
    for (const Row& row : rows) {
        const LoadedCompareMethod loaded = LoadCompareMethod(QString::fromLatin1(row.word), row.shaAvailable);
        EXPECT_EQ(loaded.method, row.method) << row.word << " " << row.shaAvailable;
        EXPECT_EQ(loaded.shaItemVisible, row.shaAvailable);
        if (row.shaAvailable && loaded.method != 0) {
            EXPECT_EQ(CompareTypeWord(loaded.method), QString::fromLatin1(row.word));
        }
    }
    EXPECT_EQ(CompareTypeWord(0), QStringLiteral("Quick"));
}
