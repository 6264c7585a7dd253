#include "ModalSupport.h"
#include "../app/MainWindowFixture.h"
#include "../sync/SyncFixture.h"
#include "Unprivileged.h"

#include "compare/RowFormat.h"
#include "fileops/FileTimeStamps.h"
#include "fileops/frmFileDateTimes.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using Icon = UserDialogs::Icon;
using Answer = UserDialogs::Answer;

const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();
const QString CrLf = QStringLiteral("\r\n");

struct stat Lstat(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << qPrintable(path);
    return st;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

void SetAccessTime(const QString& path, qint64 seconds, long nanoseconds)
{
    timespec times[2]{};
    times[0].tv_sec = seconds;
    times[0].tv_nsec = nanoseconds;
    times[1].tv_nsec = UTIME_OMIT;
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

QString UnableTitle() { return QStringLiteral("Unable to Change File Date/Time"); }

} // namespace

class TimeStampTest : public ::testing::Test
{
protected:
    QString Left() const { return dir.file(QStringLiteral("left/")); }
    QString Right() const { return dir.file(QStringLiteral("right/")); }
    bool Sync(const ResultList& own, const ResultList& other, int row, bool confirm = false)
    {
        return SyncTimeStampWithCounterpart(dialogs, own, other, row, Left(), Right(), confirm);
    }

    TempDir dir;
    FakeUserDialogs dialogs;
};

TEST_F(TimeStampTest, TheCounterpartsTimesAreCopiedToTheNanosecondAndALinkIsStampedAsItself)
{
    const QString mine = dir.createFileAt(QStringLiteral("left/a.txt"), "same", Noon + 60, 111);
    const QString theirs = dir.createFileAt(QStringLiteral("right/a.txt"), "same", Noon, 123456789);
    SetAccessTime(theirs, Noon - 3600, 987654321);
    EXPECT_TRUE(Sync({Row("a.txt", Category::Newer, 4)}, {Row("a.txt", Category::Older, 4)}, 0));
    EXPECT_TRUE(SameTime(Lstat(mine).st_mtim, Lstat(theirs).st_mtim));
    EXPECT_TRUE(SameTime(Lstat(mine).st_atim, Lstat(theirs).st_atim));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A link on this side: the link gets the times, the file it points to keeps its own.
    const QString target = dir.createFileAt(QStringLiteral("left/target.txt"), "target", Noon + 5, 0);
    ASSERT_EQ(::symlink("target.txt", QFile::encodeName(Left() + QStringLiteral("link")).constData()), 0);
    const QString counterpart = dir.createFileAt(QStringLiteral("right/link"), "target", Noon - 77, 42);
    EXPECT_TRUE(Sync({Row("link", Category::Newer, 6)}, {Row("link", Category::Older, 6)}, 0));
    EXPECT_TRUE(SameTime(Lstat(Left() + QStringLiteral("link")).st_mtim, Lstat(counterpart).st_mtim));
    EXPECT_EQ(Lstat(target).st_mtim.tv_sec, Noon + 5);
}

TEST_F(TimeStampTest, OnlyARealFileRowWithACounterpartOnDiskIsStamped)
{
    dir.createFileAt(QStringLiteral("left/c.txt"), "left only", Noon);
    dir.createFileAt(QStringLiteral("left/gone.txt"), "left", Noon);
    dir.createFolder(QStringLiteral("right"));
    const QString noFile = QStringLiteral("No file selected.  Please select a file and try again.");
    const QString orphan = QStringLiteral("The selected file is an Orphan");
    ResultRow none;
    none.text = NoComparisonResultsText();
    const struct
    {
        const char* what;
        ResultList own, other;
        int row;
        QString text;
    } cases[] = {
        {"no row", {Row("c.txt", Category::Orphan)}, {Placeholder()}, -1, noFile},
        {"a placeholder row", {Placeholder()}, {Row("d.txt", Category::Orphan)}, 0, noFile},
        {"the no-results row", {none}, {none}, 0, noFile},
        {"a folder row", {Row("/Docs", Category::IdenticalFolder)}, {Row("/Docs", Category::IdenticalFolder)}, 0, noFile},
        {"a left-only file", {Row("c.txt", Category::Orphan)}, {Placeholder()}, 0, orphan},
        {"a counterpart deleted since", {Row("gone.txt", Category::Newer)}, {Row("gone.txt", Category::Older)}, 0, orphan},
    };
    for (const auto& c : cases) {
        dialogs.clear();
        EXPECT_FALSE(Sync(c.own, c.other, c.row)) << c.what;
        ASSERT_EQ(dialogs.messages.size(), 1) << c.what;
        EXPECT_EQ(dialogs.last().text, c.text) << c.what;
        EXPECT_EQ(dialogs.last().title, UnableTitle()) << c.what;
        EXPECT_EQ(dialogs.last().icon, Icon::Warning) << c.what;
    }
    EXPECT_EQ(Lstat(Left() + QStringLiteral("c.txt")).st_mtim.tv_sec, Noon);
}

// The birth time cannot be set on Linux: it is not named among the times that change.
TEST_F(TimeStampTest, TheQuestionNamesTheCounterpartsTimesAndNoChangesNothing)
{
    const QString mine = dir.createFileAt(QStringLiteral("left/a.txt"), "x", Noon + 60);
    const QString theirs = dir.createFileAt(QStringLiteral("right/a.txt"), "x", Noon, 5);
    SetAccessTime(theirs, Noon + 7, 0);
    FileDateTimes times;
    ASSERT_TRUE(GetFileDateTimes(theirs, times));
    const ResultList own{Row("a.txt", Category::Newer, 1)};
    const ResultList other{Row("a.txt", Category::Older, 1)};

    dialogs.answers = {Answer::No};
    EXPECT_FALSE(Sync(own, other, 0, true));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("The Dates/Times of the selected file, a.txt, are about to be changed to:") + CrLf + CrLf
                  + QStringLiteral("Last Modified: \t")
                  + FormatDateText(UnixToFileTime(Noon, 5)) + CrLf + QStringLiteral("Last Accessed: \t")
                  + FormatDateText(UnixToFileTime(Noon + 7, 0)) + CrLf + CrLf + QStringLiteral("Do you wish to continue?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Confirm Date/Time Change"));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_EQ(Lstat(mine).st_mtim.tv_sec, Noon + 60);

    dialogs.answers = {Answer::Yes};
    EXPECT_TRUE(Sync(own, other, 0, true));
    EXPECT_TRUE(SameTime(Lstat(mine).st_mtim, Lstat(theirs).st_mtim));
}

TEST_F(TimeStampTest, AFileTheUserMayNotWriteOrDoesNotOwnKeepsItsTimesAndSaysWhy)
{
    const QString locked = dir.createFileAt(QStringLiteral("left/locked.txt"), "x", Noon + 60);
    const QString foreign = dir.createFileAt(QStringLiteral("left/foreign.txt"), "x", Noon + 60);
    dir.createFileAt(QStringLiteral("right/locked.txt"), "x", Noon);
    dir.createFileAt(QStringLiteral("right/foreign.txt"), "x", Noon);
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a file to a second user";
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ASSERT_EQ(::chown(QFile::encodeName(locked).constData(), NobodyUid, NobodyUid), 0);
    ::chmod(QFile::encodeName(locked).constData(), 0444);
    // Writable for everyone, owned by another user: only the owner may set a time of its choice.
    ::chmod(QFile::encodeName(foreign).constData(), 0666);

    const int failed = RunAsNobody([&]() -> int {
        FakeUserDialogs asNobody;
        if (SyncTimeStampWithCounterpart(asNobody, {Row("locked.txt", Category::Newer, 1)},
                                         {Row("locked.txt", Category::Older, 1)}, 0, Left(), Right(), false))
            return 1;
        if (asNobody.last().text != QStringLiteral("The file \"") + locked + QStringLiteral("\" is read-only.") + CrLf
                                        + QStringLiteral("Select Properties from the File menu and remove this attribute.")
            || asNobody.last().title != UnableTitle())
            return 2;
        if (SyncTimeStampWithCounterpart(asNobody, {Row("foreign.txt", Category::Newer, 1)},
                                         {Row("foreign.txt", Category::Older, 1)}, 0, Left(), Right(), false))
            return 3;
        if (!asNobody.last().text.startsWith(QStringLiteral("The Date/Time of these file(s) could not be changed:"))
            || !asNobody.last().text.contains(foreign) || asNobody.last().title != UnableTitle())
            return 4;
        return 0;
    });
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(Lstat(locked).st_mtim.tv_sec, Noon + 60);
    EXPECT_EQ(Lstat(foreign).st_mtim.tv_sec, Noon + 60);
}

TEST(TimeBoxes, EmptyBoxesReadZeroAndTheFirstBoxOutOfRangeFails)
{
    const struct
    {
        const char *hour, *minute, *second;
        std::optional<TimeBox> failing;
        const char *hourText, *minuteText, *secondText;
    } cases[] = {
        {"12", "0", "59", std::nullopt, "12", "0", "59"},
        {"3", "", " ", std::nullopt, "3", "0", "0"},
        {"", "5", "5", TimeBox::Hour, "0", "5", "5"},
        {"0", "5", "5", TimeBox::Hour, "0", "5", "5"},
        {"13", "x", "5", TimeBox::Hour, "13", "x", "5"},
        {"1", "60", "", TimeBox::Minute, "1", "60", ""},
        {"1", "1", "6a", TimeBox::Second, "1", "1", "6a"},
        {"1.5", "1", "1", TimeBox::Hour, "1.5", "1", "1"},
    };
    for (const auto& c : cases) {
        const TimeBoxCheck check = CheckTimeBoxes(QString::fromLatin1(c.hour), QString::fromLatin1(c.minute),
                                                  QString::fromLatin1(c.second));
        EXPECT_EQ(check.failing, c.failing) << c.hour << ":" << c.minute << ":" << c.second;
        EXPECT_EQ(check.hourText, QString::fromLatin1(c.hourText)) << c.hour;
        EXPECT_EQ(check.minuteText, QString::fromLatin1(c.minuteText)) << c.minute;
        EXPECT_EQ(check.secondText, QString::fromLatin1(c.secondText)) << c.second;
    }
    EXPECT_EQ(TimeBoxTag(TimeBox::Minute), QStringLiteral("Minute"));
}

TEST(TimeBoxes, TwelveIsNoonWithPmAndMidnightWithAm)
{
    EXPECT_EQ(To24Hour(12, true), 12);
    EXPECT_EQ(To24Hour(12, false), 0);
    EXPECT_EQ(To24Hour(1, true), 13);
    EXPECT_EQ(To24Hour(11, false), 11);
    // The boxes filled from the clock always pass their own check: midnight reads 12 AM.
    for (int hour = 0; hour < 24; ++hour) {
        const TwelveHourClock clock = ToTwelveHour(hour);
        EXPECT_EQ(To24Hour(clock.hour, clock.pm), hour);
        EXPECT_FALSE(CheckTimeBoxes(QString::number(clock.hour), QStringLiteral("0"), QStringLiteral("0")).failing) << hour;
    }
}

class TimeStampCommandsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ctx->MainOptions().ShowDateTimeChangeConfirmations = false;
        left.createFileAt(QStringLiteral("a.txt"), "same", Noon + 60, 5);
        right.createFileAt(QStringLiteral("a.txt"), "same", Noon, 987654321);
        left.createFileAt(QStringLiteral("b.txt"), "left", Noon);
        left.createFolder(QStringLiteral("Sub"));
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
        Item("mnuFileCompareDirectories")->trigger();
        dialogs.clear();
    }


    Category CategoryOf(const GuiResultPane* pane, const char* text) const
    {
        const int row = int(Texts(pane).indexOf(QString::fromUtf8(text)));
        const ResultRow* r = pane->ResultModel()->RowAt(row);
        return r == nullptr ? Category::None : r->icon;
    }

    TempDir left;
    TempDir right;
};

TEST_F(TimeStampCommandsTest, SynchronisedTimesMakeANewerOlderPairTheSame)
{
    ASSERT_EQ(CategoryOf(Left(), "a.txt"), Category::Newer);
    Select(Left(), {"a.txt"});
    Item("mnuFilePopupSyncFileDateTime")->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(SameTime(Lstat(left.file(QStringLiteral("a.txt"))).st_mtim, Lstat(right.file(QStringLiteral("a.txt"))).st_mtim));
    // Compared again.
    EXPECT_EQ(CategoryOf(Left(), "a.txt"), Category::Same);
    EXPECT_EQ(CategoryOf(Right(), "a.txt"), Category::Same);

    ctx->MainOptions().AutoCompareAfterDateTimeChange = false;
    left.createFileAt(QStringLiteral("a.txt"), "same", Noon + 60);
    Item("mnuFileCompareDirectories")->trigger();
    Select(Right(), {"a.txt"});
    Item("mnuSyncTimeStamp")->trigger();
    EXPECT_EQ(Lstat(right.file(QStringLiteral("a.txt"))).st_mtim.tv_sec, Noon + 60);
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
}

TEST_F(TimeStampCommandsTest, TheWindowStampsTheSelectedFilesWithTheChosenMoment)
{
    ctx->MainOptions().ShowDateTimeChangeConfirmations = true;
    const QString a = left.file(QStringLiteral("a.txt"));
    const QString b = left.file(QStringLiteral("b.txt"));
    const timespec accessed = Lstat(a).st_atim;
    const QDate day(2021, 3, 4);
    const auto local = [&](int hour) { return QDateTime(day, QTime(hour, 0, 7), Qt::LocalTime).toSecsSinceEpoch(); };
    Select(Left(), {"a.txt", "b.txt", "/Sub"});
    bool ran = false;
    OnNextModal([&](QDialog* window) {
        ran = true;
        auto* files = In<QTreeWidget>(window, "lvwFiles");
        ASSERT_EQ(files->topLevelItemCount(), 2) << "folder rows are not listed";
        EXPECT_EQ(files->topLevelItem(0)->text(0), QStringLiteral("a.txt"));
        EXPECT_EQ(files->topLevelItem(1)->text(0), QStringLiteral("b.txt"));
        EXPECT_EQ(In<QCalendarWidget>(window, "MonthView1")->selectedDate(), QDate::currentDate());
        In<QCalendarWidget>(window, "MonthView1")->setSelectedDate(day);
        auto* hour = In<QLineEdit>(window, "txtHour");
        auto* minute = In<QLineEdit>(window, "txtMinute");
        In<QRadioButton>(window, "optAMPM0")->setChecked(true);
        hour->setText(QStringLiteral("12"));
        minute->clear();
        In<QLineEdit>(window, "txtSecond")->setText(QStringLiteral("7"));

        // 12 AM is midnight; the empty minute box reads 0.
        dialogs.answers = {Answer::Yes};
        In<QPushButton>(window, "cmdApply")->click();
        EXPECT_EQ(dialogs.last().text, QStringLiteral("The Dates/Time of these files is about to be changed to:") + CrLf + CrLf
                                           + ShortDateText(day) + QStringLiteral(" 12:00:07 AM") + CrLf + CrLf
                                           + QStringLiteral("Do you wish to continue?"));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Confirm Date/Time Change"));
        EXPECT_EQ(minute->text(), QStringLiteral("0"));
        EXPECT_EQ(Lstat(a).st_mtim.tv_sec, local(0));
        EXPECT_EQ(Lstat(a).st_mtim.tv_nsec, 0);
        EXPECT_EQ(Lstat(b).st_mtim.tv_sec, local(0));
        EXPECT_TRUE(SameTime(Lstat(a).st_atim, accessed)) << "the access time stays";
        EXPECT_EQ(files->topLevelItem(0)->text(1), ShortDateText(day));
        EXPECT_EQ(files->topLevelItem(0)->text(2), QStringLiteral("12:00:07 AM"));

        // 12 PM is noon; No applies nothing.
        In<QRadioButton>(window, "optAMPM1")->setChecked(true);
        dialogs.answers = {Answer::No};
        In<QPushButton>(window, "cmdApply")->click();
        EXPECT_EQ(Lstat(a).st_mtim.tv_sec, local(0));
        dialogs.answers = {Answer::Yes};
        In<QPushButton>(window, "cmdApply")->click();
        EXPECT_EQ(Lstat(a).st_mtim.tv_sec, local(12));

        // An empty hour box becomes 0 and is refused before anything is asked.
        dialogs.clear();
        hour->clear();
        In<QPushButton>(window, "cmdOK")->click();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.last().text, QStringLiteral("Invalid Hour Value"));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Set File Date/Time"));
        EXPECT_EQ(dialogs.last().icon, Icon::Information);
        EXPECT_EQ(hour->text(), QStringLiteral("0"));
        EXPECT_TRUE(window->isVisible());

        // Without the confirmation OK stamps at once and closes.
        ctx->MainOptions().ShowDateTimeChangeConfirmations = false;
        dialogs.clear();
        hour->setText(QStringLiteral("3"));
        In<QPushButton>(window, "cmdOK")->click();
        EXPECT_TRUE(dialogs.messages.isEmpty());
        EXPECT_EQ(Lstat(a).st_mtim.tv_sec, local(15));
        EXPECT_FALSE(window->isVisible());
    });
    ctx->MainOptions().AutoCompareAfterDateTimeChange = false;
    Item("mnuFilePopupSetDateTime")->trigger();
    EXPECT_TRUE(ran);
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()}) << "stamped files clear the results";
}

TEST_F(TimeStampCommandsTest, ClosingTheWindowStampsNothingAndKeepsTheResults)
{
    Select(Left(), {"b.txt"});
    OnNextModal([&](QDialog* window) { In<QPushButton>(window, "cmdClose")->click(); });
    Item("mnuSetDateTimeStamp")->trigger();
    EXPECT_EQ(Lstat(left.file(QStringLiteral("b.txt"))).st_mtim.tv_sec, Noon);
    EXPECT_TRUE(Texts(Left()).contains(QStringLiteral("b.txt")));
}
