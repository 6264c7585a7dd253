#include "CompareFixture.h"
#include "RawNames.h"
#include "Unprivileged.h"

#include "compare/frmCompareProgress.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <QFile>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString Pair(const char* l, const char* lk, const char* r, const char* rk)
{
    return QStringList{QString::fromUtf8(l), QString::fromUtf8(lk), QString::fromUtf8(r), QString::fromUtf8(rk)}
        .join(QLatin1Char('|'));
}
} // namespace

class CompareRunTest : public CompareFixture
{
};

TEST_F(CompareRunTest, QuickMethodClassifiesEveryPairAndKeepsCaseVariants)
{
    L(QStringLiteral("a.txt"), "0123456789", T0);
    R(QStringLiteral("A.TXT"), "0123456789", T0);
    L(QStringLiteral("b_newer"), "x", T0 + 4);
    R(QStringLiteral("b_newer"), "x", T0);
    L(QStringLiteral("c_older"), "x", T0);
    R(QStringLiteral("c_older"), "x", T0 + 10);
    L(QStringLiteral("d_binary"), "0123456789", T0);
    R(QStringLiteral("d_binary"), "0123456789A", T0);
    L(QStringLiteral("e_left"), "x", T0);
    R(QStringLiteral("f_right"), "x", T0);
    // One folder may hold names that differ only in case: the exact spelling pairs first, the other stays.
    L(QStringLiteral("README"), "same", T0);
    L(QStringLiteral("Readme"), "other", T0);
    R(QStringLiteral("README"), "same", T0);

    ASSERT_EQ(Run(), CompareOutcome::Completed);
    const QStringList expected{
        Pair("a.txt", "Same", "A.TXT", "Same"), // each side shows its own spelling
        Pair("b_newer", "Newer", "b_newer", "Older"),
        Pair("c_older", "Older", "c_older", "Newer"),
        Pair("d_binary", "Binary", "d_binary", "Binary"),
        Pair("e_left", "Orphan", "", ""),
        Pair("", "", "f_right", "Orphan"),
        Pair("README", "Same", "README", "Same"),
        Pair("Readme", "Orphan", "", ""),
    };
    EXPECT_EQ(Rows(), expected);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(finished, std::vector<CompareOutcome>{CompareOutcome::Completed});
    EXPECT_EQ(sounds, 1);

    const ResultRow& row = results->holdSource[3];
    EXPECT_EQ(row.size, 10);
    EXPECT_EQ(results->holdTarget[3].size, 11);
    EXPECT_FALSE(row.dateText.isEmpty());
    EXPECT_TRUE(results->holdTarget[4].sizeText.isEmpty()) << "a placeholder row has empty columns";
}

TEST_F(CompareRunTest, CaseVariantsPairIgnoringCaseOnlyWhenNoExactPartnerIsLeft)
{
    L(QStringLiteral("README"), "1", T0);
    L(QStringLiteral("Readme"), "22", T0);
    R(QStringLiteral("readme"), "22", T0);
    R(QStringLiteral("README"), "1", T0);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    // Readme has no exact partner and takes readme; each row shows its own side's spelling.
    EXPECT_EQ(Rows(), (QStringList{Pair("README", "Same", "README", "Same"), Pair("Readme", "Same", "readme", "Same")}));
}

struct AllowanceCase
{
    const char* name;
    qint64 leftOffset;
    bool twoSec;
    bool daylight;
    const char* leftKey;
};

class AllowanceTest : public CompareFixture, public ::testing::WithParamInterface<AllowanceCase>
{
};

TEST_P(AllowanceTest, TimeStampAllowances)
{
    const AllowanceCase& c = GetParam();
    L(QStringLiteral("f"), "x", T0 + c.leftOffset);
    R(QStringLiteral("f"), "x", T0);
    ctx->Compare().SetIgnoreFAT_NTFS_TwoSecDiff(c.twoSec);
    ctx->Compare().SetIgnoreFAT_NTFS_DaylightSavings(c.daylight);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->holdSource.size(), 1u);
    EXPECT_EQ(CategoryKey(results->holdSource[0].icon), QString::fromUtf8(c.leftKey));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AllowanceTest,
    ::testing::Values(AllowanceCase{"two_seconds_forgiven", 2, true, false, "Same"},
                      AllowanceCase{"two_seconds_counted_without_option", 2, false, false, "Newer"},
                      AllowanceCase{"three_seconds_never_forgiven", -3, true, true, "Older"},
                      AllowanceCase{"one_hour_forgiven_by_daylight", 3600, false, true, "Same"},
                      AllowanceCase{"hour_and_second_needs_both", 3601, false, true, "Newer"},
                      AllowanceCase{"hour_and_second_with_both", -3601, true, true, "Same"},
                      AllowanceCase{"hour_without_daylight", 3600, true, false, "Newer"}),
    [](const ::testing::TestParamInfo<AllowanceCase>& param) { return std::string(param.param.name); });

TEST_F(CompareRunTest, ContentMethodsJudgeByBytesNotTimes)
{
    L(QStringLiteral("equal_days_apart"), "same bytes", T0 + 86400);
    R(QStringLiteral("equal_days_apart"), "same bytes", T0);
    L(QStringLiteral("differ_same_time"), "bytes one", T0);
    R(QStringLiteral("differ_same_time"), "bytes two", T0);
    L(QStringLiteral("differ_newer"), "bytes one", T0 + 60);
    R(QStringLiteral("differ_newer"), "bytes two", T0);
    L(QStringLiteral("sizes_differ"), "short", T0);
    R(QStringLiteral("sizes_differ"), "longer", T0);
    for (int method : {CCompare::ThoroughString, CCompare::ThoroughCRC, CCompare::SHA}) {
        ctx->Compare().SetCompareMethod(method);
        ASSERT_EQ(Run(), CompareOutcome::Completed);
        EXPECT_EQ(Rows(), (QStringList{Pair("differ_newer", "Newer", "differ_newer", "Older"),
                                       Pair("differ_same_time", "Binary", "differ_same_time", "Binary"),
                                       Pair("equal_days_apart", "Same", "equal_days_apart", "Same"),
                                       Pair("sizes_differ", "Binary", "sizes_differ", "Binary")}))
            << "method " << method;
    }
}

TEST_F(CompareRunTest, SpecialFilesAreNeverOpened)
{
    // A FIFO on both sides: reading it would block the run forever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.file(QStringLiteral("left/pipe"))).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.file(QStringLiteral("right/pipe"))).constData(), 0600), 0);
    ctx->Compare().SetCompareMethod(CCompare::ThoroughString);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->holdSource.size(), 1u);
    EXPECT_EQ(results->holdSource[0].text, QStringLiteral("pipe"));
}

TEST_F(CompareRunTest, BothScansAtOnceGiveTheSameRowsAsInTurn)
{
    for (int i = 0; i < 300; ++i) {
        L(QStringLiteral("f%1").arg(i), "x", T0 + (i % 3));
        if (i % 7 != 0)
            R(QStringLiteral("f%1").arg(i), "x", T0);
    }
    tmp.createFileAt(QStringLiteral("left/Sub/x"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/Sub/x"), "1", T0 + 100);
    ASSERT_EQ(Run(false), CompareOutcome::Completed);
    const QStringList inTurn = Rows();
    const size_t diffsInTurn = results->allSubFolderDiffs.size();
    ASSERT_EQ(Run(true), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), inTurn);
    EXPECT_EQ(results->allSubFolderDiffs.size(), diffsInTurn);
    EXPECT_EQ(inTurn.size(), 301);
}

TEST_F(CompareRunTest, PathMessages)
{
    const QString prompt = FolderPathPrompt();
    EXPECT_EQ(Run(false, prompt, right), CompareOutcome::Cancelled);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please select two folders to compare.  See Help file for details."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Compare Folders"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);

    dialogs.clear();
    EXPECT_EQ(Run(false, QStringLiteral("C"), right), CompareOutcome::Cancelled);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Invalid Path"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("\"C\" is not a valid path.\r\n\r\nPaths must contain at least two "
                                                  "characters.\r\nex)  C:"));

    dialogs.clear();
    const QString missing = tmp.file(QStringLiteral("missing"));
    EXPECT_EQ(Run(false, left, missing), CompareOutcome::Cancelled);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Compare Failed"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("An error occurred while processing \"") + missing
                                       + QStringLiteral("\".\r\n\r\nMake sure that the folder exists and that you "
                                                        "have permission to access it."));
    EXPECT_EQ(finished, std::vector<CompareOutcome>(3, CompareOutcome::Cancelled));
    EXPECT_EQ(sounds, 0);
    EXPECT_FALSE(ctx->Compare().RunningCompare());
}

TEST_F(CompareRunTest, SameFolderTwiceIsRefusedHoweverItIsWritten)
{
    L(QStringLiteral("a"), "x", T0);
    const QString link = tmp.file(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(left, link));
    const QString noSlash = left;
    for (const QString& other : {left, left + QStringLiteral("/"), left + QStringLiteral("/./"), link}) {
        dialogs.clear();
        results->holdSource.assign(1, ResultRow{});
        EXPECT_EQ(Run(false, noSlash, other), CompareOutcome::Cancelled) << qPrintable(other);
        ASSERT_EQ(dialogs.messages.size(), 1) << qPrintable(other);
        EXPECT_EQ(dialogs.last().text, QStringLiteral("Please specify two different folders to compare."));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Folders Are Same"));
        EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
        EXPECT_TRUE(results->holdSource.empty()) << "the cancelled end clears the hold lists";
    }

    // Letter case counts on Linux: Data and data are two folders.
    tmp.createFolder(QStringLiteral("Data"));
    tmp.createFolder(QStringLiteral("data"));
    dialogs.clear();
    EXPECT_EQ(Run(false, tmp.file(QStringLiteral("Data")), tmp.file(QStringLiteral("data"))), CompareOutcome::Completed);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CompareRunTest, CancelDuringScanOrClassificationClearsTheLists)
{
    for (int i = 0; i < 50; ++i) {
        L(QStringLiteral("f%1").arg(i), "x", T0);
        R(QStringLiteral("f%1").arg(i), "x", T0);
    }
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    const int pumpsOfFullRun = pump->count;
    ASSERT_GT(pumpsOfFullRun, 100);

    for (int at : {3, 30, 60, 100, pumpsOfFullRun - 2}) {
        pump->count = 0;
        pump->CancelAt(at);
        finished.clear();
        EXPECT_EQ(Run(), CompareOutcome::Cancelled) << "cancelled at pump " << at;
        EXPECT_TRUE(results->holdSource.empty());
        EXPECT_TRUE(results->holdTarget.empty());
        EXPECT_TRUE(ctx->Compare().CompareCancelled());
        EXPECT_FALSE(ctx->Compare().RunningCompare());
        EXPECT_EQ(finished, std::vector<CompareOutcome>{CompareOutcome::Cancelled});
    }
    EXPECT_EQ(sounds, 1) << "no sound after a cancelled run";
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Cancelling while both sides are scanned at once ends the same way.
    pump->count = 0;
    pump->CancelAt(1);
    EXPECT_EQ(Run(true), CompareOutcome::Cancelled);
    EXPECT_TRUE(results->holdSource.empty());
}

TEST_F(CompareRunTest, SlowConnectionQuestion)
{
    L(QStringLiteral("a"), "x", T0);
    R(QStringLiteral("a"), "x", T0);
    // Every reading of the scan clock is 11 seconds after the one before: a slow listing of one file.
    qint64 now = 0;
    auto slowRun = [&](int method, std::optional<UserDialogs::Answer> answer) {
        ctx->Compare().SetCompareMethod(method);
        ctx->Compare().SetChunkSize(500000);
        dialogs.clear();
        if (answer)
            dialogs.answers.push_back(*answer);
        CompareRun run(ctx->ComparisonServices(), *results, view, *pump);
        run.SetParallelScan(false);
        run.SetScanClock([&now] { return now += 11000; });
        return run.CompareDirs(left, right, true, false);
    };

    EXPECT_EQ(slowRun(CCompare::Quick, std::nullopt), CompareOutcome::Completed);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "the quick method reads no contents";

    EXPECT_EQ(slowRun(CCompare::ThoroughString, UserDialogs::Answer::Yes), CompareOutcome::Completed);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Performance Monitor"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("A slow connection has been detected.\r\nYou should reduce your "
                                                  "Chunk Size to 10,000 bytes or less.\r\n\r\nWould you like to do this?"));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNoCancel);
    EXPECT_EQ(ctx->Compare().ChunkSize(), 10000);

    EXPECT_EQ(slowRun(CCompare::SHA, UserDialogs::Answer::No), CompareOutcome::Completed);
    EXPECT_EQ(ctx->Compare().ChunkSize(), 500000);
    EXPECT_EQ(results->holdSource.size(), 1u);

    EXPECT_EQ(slowRun(CCompare::ThoroughCRC, UserDialogs::Answer::Cancel), CompareOutcome::Cancelled);
    EXPECT_TRUE(results->holdSource.empty());
}

TEST_F(CompareRunTest, UnreadableFilesAreOfferedFromTheErrorLog)
{
    // A file that vanishes between the scan and the content comparison: the run goes on, the log
    // has an entry and the user is offered it.
    L(QStringLiteral("gone"), "1234", T0);
    R(QStringLiteral("gone"), "1234", T0);
    ctx->Compare().SetCompareMethod(CCompare::ThoroughString);
    // Remove the right file as soon as the right side has been scanned.
    class RemovingPump final : public EventPump
    {
    public:
        RemovingPump(QString file, const CompareResults& results) : m_file(std::move(file)), m_results(results) {}
        void Pump() override
        {
            if (m_results.target.FileCount() > 0)
                QFile::remove(m_file);
        }

    private:
        QString m_file;
        const CompareResults& m_results;
    };
    RemovingPump removing(tmp.file(QStringLiteral("right/gone")), *results);
    CompareRun removingRun(ctx->ComparisonServices(), *results, view, removing);
    removingRun.SetParallelScan(false);
    dialogs.answers.push_back(UserDialogs::Answer::No);
    ASSERT_EQ(removingRun.CompareDirs(left, right, true, false), CompareOutcome::Completed);
    EXPECT_TRUE(ctx->Compare().ErrorsDuringCompare());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Errors Occurred"));
    ASSERT_EQ(results->holdSource.size(), 1u);
    EXPECT_NE(results->holdSource[0].icon, Category::Same) << "a missing file differs from the one that exists";
}

TEST_F(CompareRunTest, ContentsThatCannotBeReadMarkTheRowAndKeepItsCategory)
{
    // Different bytes, same size and time: the fallback to size and time calls them the same, and the
    // rows must say that this is all that is known.
    L(QStringLiteral("secret"), "aaaa", T0);
    R(QStringLiteral("secret"), "bbbb", T0);
    L(QStringLiteral("plain"), "xy", T0);
    R(QStringLiteral("plain"), "xy", T0);
    // In a sub-folder, read ahead on two threads by a parallel run: a newer file that cannot be read.
    L(QStringLiteral("Sub/locked"), "1234", T0 + 60);
    R(QStringLiteral("Sub/locked"), "5678", T0);
    L(QStringLiteral("Sub/open"), "ab", T0 + 60);
    R(QStringLiteral("Sub/open"), "cd", T0);
    for (const char* locked : {"left/secret", "left/Sub/locked"})
        ASSERT_EQ(::chmod(QFile::encodeName(tmp.file(QString::fromLatin1(locked))).constData(), 0), 0);
    for (const char* folder : {"", "left", "right", "left/Sub", "right/Sub"})
        ::chmod(QFile::encodeName(tmp.file(QString::fromLatin1(folder))).constData(), 0755);
    ::chmod(QFile::encodeName(tmp.file(QStringLiteral("app"))).constData(), 0777);
    ctx->Compare().SetCompareMethod(CCompare::ThoroughString);

    for (const bool parallel : {false, true}) {
        const int failed = RunWithoutPrivileges([&]() -> int {
            dialogs.answers.push_back(UserDialogs::Answer::No); // the offer of the error log
            if (Run(parallel) != CompareOutcome::Completed)
                return 1;
            const auto row = [this](const char* text) -> const ResultRow* {
                for (size_t i = 0; i < results->holdSource.size(); ++i)
                    if (results->holdSource[i].text == QString::fromLatin1(text))
                        return &results->holdSource[i];
                return nullptr;
            };
            const ResultRow* secret = row("secret");
            const ResultRow* plain = row("plain");
            if (secret == nullptr || plain == nullptr)
                return 2;
            if (secret->icon != Category::Same || !secret->unreadable)
                return 3;
            const size_t at = size_t(secret - results->holdSource.data());
            if (!results->holdTarget[at].unreadable)
                return 4;
            if (plain->unreadable)
                return 5;
            if (results->allSubFolderDiffs.size() != 1)
                return 6;
            for (const ResultRow& r : results->allSubFolderDiffs[0].DiffOne()) {
                if (r.text == QStringLiteral("locked") && (r.icon != Category::Newer || !r.unreadable))
                    return 7;
                if (r.text == QStringLiteral("open") && r.unreadable)
                    return 8;
            }
            return 0;
        });
        EXPECT_EQ(failed, 0) << (parallel ? "parallel" : "in turn");
    }
}

TEST_F(CompareRunTest, NamesThatAreNotUtf8AreComparedLikeAnyOther)
{
    // "caf\xe9" and "caf\xe8" (Latin-1) differ only in bytes that are not UTF-8: they stay two names, each
    // pairs with its own spelling on the other side, and their contents are opened and compared, at the
    // top and inside sub-folders, without an entry in the log.
    const auto create = [this](const char* side, const QByteArray& relative, const QByteArray& data) {
        CreateRawFile(tmp.file(QString::fromLatin1(side)), relative, data, T0);
    };
    create("left", "caf\xe9", "1234");
    create("right", "caf\xe9", "1234");
    create("left", "caf\xe8", "abcd");
    create("right", "caf\xe8", "abce");
    create("right", "\xff\xfe", "1");
    L(QStringLiteral("Sub/same"), "1", T0);
    R(QStringLiteral("Sub/same"), "1", T0);
    create("left", "Sub/x\xff", "1");
    ctx->Compare().SetCompareMethod(CCompare::ThoroughString);
    ctx->Compare().SetCompareSubFolders(true);
    ASSERT_EQ(Run(true), CompareOutcome::Completed);
    const QString e8 = DecodeFileName(QByteArray("caf\xe8"));
    const QString e9 = DecodeFileName(QByteArray("caf\xe9"));
    const QString ff = DecodeFileName(QByteArray("\xff\xfe"));
    const QStringList rows = Rows();
    EXPECT_TRUE(rows.contains(e9 + QStringLiteral("|Same|") + e9 + QStringLiteral("|Same"))) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows.contains(e8 + QStringLiteral("|Binary|") + e8 + QStringLiteral("|Binary"))) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("||") + ff + QStringLiteral("|Orphan"))) << rows.join(QLatin1Char('\n')).toStdString();
    // "Sub" differs only by "x\xff", which would be left out if its name were not listed.
    EXPECT_TRUE(rows.contains(QStringLiteral("/Sub|DifferentFolder|/Sub|DifferentFolder"))) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());
    RawTreeCleanup cleanup(tmp.path());
}

namespace {
// Lets events run until done() holds; the bound only ends a failing test.
template <typename Done>
bool WaitFor(Done done)
{
    return QTest::qWaitFor(done, 5000);
}

void PressEscape(QWidget& w)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
}
} // namespace

TEST(CompareProgressWindowTest, ShowsTextsAndBarAndEscapeCancels)
{
    CCompare compare;
    frmCompareProgress form(compare);
    CompareProgressView& view = form;
    view.Show(QStringLiteral("Examining the left folder.  Press ESC to cancel..."), QStringLiteral("/data/left"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Comparison Progress"));
    auto* message = form.findChild<QLabel*>(QStringLiteral("lblMessage"));
    auto* fileName = form.findChild<QLabel*>(QStringLiteral("lblFileName"));
    auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
    ASSERT_TRUE(message != nullptr && fileName != nullptr && bar != nullptr);
    ASSERT_TRUE(form.findChild<QWidget*>(QStringLiteral("animFolder")) != nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("Examining the left folder.  Press ESC to cancel..."));
    EXPECT_EQ(fileName->text(), QStringLiteral("/data/left"));
    EXPECT_FALSE(view.DelayHasPassed());
    EXPECT_TRUE(WaitFor([&] { return view.DelayHasPassed(); }));

    // Values reach the widgets on the refresh timer, not per call; a count beyond int is scaled.
    view.Progress().SetRange(qint64(6000000000));
    view.Progress().SetValue(qint64(3000000000));
    view.SetFileName(QStringLiteral("report.doc - 40%"));
    EXPECT_TRUE(WaitFor([&] { return fileName->text() == QStringLiteral("report.doc - 40%"); }));
    EXPECT_NEAR(double(bar->value()) / bar->maximum(), 0.5, 0.01);

    // The run closing its window is no cancellation; ESC is.
    view.Close();
    EXPECT_FALSE(compare.CompareCancelled());
    view.Show(QStringLiteral("m"), QString());
    PressEscape(form);
    EXPECT_TRUE(compare.CompareCancelled());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(CompareRunTest, EscapeInTheProgressWindowCancelsARun)
{
    for (int i = 0; i < 30; ++i) {
        L(QStringLiteral("f%1").arg(i), "x", T0);
        R(QStringLiteral("f%1").arg(i), "x", T0);
    }
    frmCompareProgress form(ctx->Compare());
    // Presses ESC from inside the run, the way the user's key arrives while events run.
    class EscapePump final : public EventPump
    {
    public:
        EscapePump(QWidget& w, int at) : m_w(w), m_at(at) {}
        void Pump() override
        {
            if (++m_count == m_at)
                PressEscape(m_w);
            QCoreApplication::processEvents();
        }

    private:
        QWidget& m_w;
        int m_at;
        int m_count = 0;
    };
    EscapePump never(form, -1);
    CompareRun whole(ctx->ComparisonServices(), *results, form, never);
    EXPECT_EQ(whole.CompareDirs(left, right, true, false), CompareOutcome::Completed);
    EXPECT_FALSE(form.isVisible()) << "the window closes at the end of a run";
    EXPECT_EQ(results->holdSource.size(), 30u);

    EscapePump escape(form, 20);
    CompareRun run(ctx->ComparisonServices(), *results, form, escape);
    EXPECT_EQ(run.CompareDirs(left, right, true, false), CompareOutcome::Cancelled);
    EXPECT_TRUE(results->holdSource.empty());
    EXPECT_FALSE(form.isVisible());
}
