#include "../compare/CompareFixture.h"
#include "Tmpfs.h"
#include "Unprivileged.h"

#include "base/ErrorHandler.h"
#include "sync/SyncRun.h"

#include <QDirIterator>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Rules = CSyncSettings::Rules;

Rules MethodRules(int32_t method)
{
    Rules rules{};
    EXPECT_TRUE(CSyncSettings::PredefinedRules(method, &rules)) << method;
    return rules;
}

// The plan as the headless command prints it, one "action<TAB>text" per step.
QStringList Lines(const std::vector<SyncStep>& plan)
{
    QStringList lines;
    for (const SyncStep& step : plan)
        lines << ActionWord(step.action) + QLatin1Char('\t') + step.text;
    return lines;
}

// Calls a function at the Nth pump of a file operation.
class PumpAt final : public EventPump
{
public:
    PumpAt(int at, std::function<void()> then) : m_at(at), m_then(std::move(then)) {}
    void Pump() override
    {
        if (++count == m_at)
            m_then();
    }
    int count = 0;

private:
    int m_at;
    std::function<void()> m_then;
};

class SyncRunTest : public CompareFixture
{
protected:
    void SetUp() override
    {
        CompareFixture::SetUp();
        // Every trash of these tests is a temporary one.
        hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        oldDataHome = qgetenv("XDG_DATA_HOME");
        dataHome = tmp.createFolder(QStringLiteral("xdg"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    }
    void TearDown() override
    {
        if (hadDataHome)
            qputenv("XDG_DATA_HOME", oldDataHome);
        else
            qunsetenv("XDG_DATA_HOME");
        CompareFixture::TearDown();
    }

    // Compares left and right (or the given right folder) and plans with rules.
    std::vector<SyncStep> Plan(const Rules& rules, const RowIndexes* selectedOnly = nullptr, const QString& r = {})
    {
        EXPECT_EQ(Run(false, {}, r), CompareOutcome::Completed);
        const SyncInput input{results->holdSource, results->holdTarget, results->source.Path(), results->target.Path(),
                              results->allSubFolderDiffs, rules, selectedOnly};
        return PlanSync(input);
    }

    // Every row of a fresh comparison shows the two sides alike.
    void ExpectFoldersAlike(const QString& r = {})
    {
        ASSERT_EQ(Run(false, {}, r), CompareOutcome::Completed);
        for (size_t i = 0; i < results->holdSource.size(); ++i) {
            Category c = results->holdSource[i].icon;
            if (c == Category::DifferentFolder) {
                // Folders that differ only in the spelling or mode of equal objects are alike in contents.
                bool onlySame = true;
                for (const CSubFolderDiffs& diffs : results->allSubFolderDiffs)
                    if (QLatin1Char('/') + diffs.strSubFolderName() == results->holdSource[i].text)
                        for (const ResultRow& row : diffs.DiffOne())
                            onlySame = onlySame && row.icon == Category::Same;
                if (onlySame)
                    c = Category::IdenticalFolder;
            }
            EXPECT_TRUE(c == Category::Same || c == Category::IdenticalFolder)
                << qPrintable(results->holdSource[i].text) << " / " << qPrintable(results->holdTarget[i].text) << " "
                << qPrintable(CategoryKey(c));
        }
    }

    QString LeftFile(const char* relative) const { return tmp.file(QStringLiteral("left/") + U(relative)); }
    QString RightFile(const char* relative) const { return tmp.file(QStringLiteral("right/") + U(relative)); }
    QString TrashFiles() const { return dataHome + QStringLiteral("/Trash/files"); }

    QString dataHome;
    QByteArray oldDataHome;
    bool hadDataHome = false;
};

} // namespace

TEST_F(SyncRunTest, MakeRightSameAsLeftDeletesTheOrphanFirstThenCopiesAndTheRightMatches)
{
    L(U("a.txt"), "newer text", T0 + 60);
    R(U("a.txt"), "old", T0);
    R(U("orphan.txt"), "right only", T0);
    L(U("Folder/inner.txt"), "inner", T0);
    L(U("Folder/deep/x.bin"), "x", T0);

    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    ASSERT_EQ(Lines(plan), (QStringList{U("delete-right\torphan.txt"), U("copy-to-right\ta.txt"), U("copy-to-right\t/Folder")}));
    EXPECT_EQ(plan[0].source, RightFile("orphan.txt"));
    EXPECT_EQ(plan[1].source, LeftFile("a.txt"));
    EXPECT_EQ(plan[1].target, RightFile("a.txt"));
    EXPECT_EQ(plan[2].target, RightFile("Folder"));

    std::vector<QString> heard;
    const SyncReport report = CarryOutSync(plan, {}, [&](const SyncStep& step, const FileOps::Result& result) {
        EXPECT_TRUE(result.ok()) << qPrintable(step.text) << ": " << qPrintable(result.errorText);
        heard.push_back(step.text);
    });
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(report.failures, 0);
    EXPECT_EQ(report.done, 3);
    EXPECT_EQ(heard, (std::vector<QString>{U("orphan.txt"), U("a.txt"), U("/Folder")}));
    EXPECT_EQ(Entries(TrashFiles()), QStringList{U("orphan.txt")});
    EXPECT_EQ(FileBytes(TrashFiles() + U("/orphan.txt")), "right only");
    EXPECT_EQ(FileBytes(RightFile("a.txt")), "newer text");
    EXPECT_EQ(FileBytes(RightFile("Folder/deep/x.bin")), "x");
    EXPECT_EQ(Entries(tmp.file(U("right"))), Strings({"Folder", "a.txt"}));
    ExpectFoldersAlike();
}

TEST_F(SyncRunTest, PredefinedMethodsAndSelectedOnlyLimitThePlan)
{
    L(U("a.txt"), "newer", T0 + 60);
    R(U("a.txt"), "old", T0);
    L(U("left-only"), "l", T0);
    R(U("right-only"), "r", T0);
    R(U("RightFolder/f"), "f", T0);
    L(U("Work/w.txt"), "w", T0);
    R(U("Work/v.txt"), "v", T0);
    L(U("Other/o.txt"), "o", T0);
    R(U("Other/p.txt"), "p", T0);

    // Only the right's orphans, file and folder, and those inside the differing sub-folders, go left.
    EXPECT_EQ(Lines(Plan(MethodRules(CSyncSettings::AddOrphansToLeft))),
              (QStringList{U("copy-to-left\tright-only"), U("copy-to-left\t/RightFolder"), U("copy-to-left\tOther/p.txt"),
                           U("copy-to-left\tWork/v.txt")}));

    // Selected-only with nothing selected plans nothing, not even inside the sub-folders.
    const RowIndexes none;
    EXPECT_TRUE(Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft), &none).empty());

    // A selected differing folder brings its own files only; a selected file only itself.
    RowIndexes chosen;
    for (size_t i = 0; i < results->holdSource.size(); ++i)
        if (results->holdSource[i].text == U("/Work") || results->holdTarget[i].text == U("right-only"))
            chosen.push_back(int(i));
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(Lines(Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft), &chosen)),
              (QStringList{U("delete-right\tright-only"), U("delete-right\tWork/v.txt"), U("copy-to-right\tWork/w.txt")}));
}

TEST_F(SyncRunTest, InADifferingSubFolderFilesAreDeletedForGoodAndMissingFolderChainsAreMade)
{
    L(U("Work/Old/b.txt"), "newer b", T0 + 10);
    R(U("Work/Old/b.txt"), "b", T0);
    R(U("Work/extra.txt"), "extra", T0);
    L(U("Work/New/Deeper/Deepest/c.txt"), "c", T0);
    L(U("Work/same.txt"), "s", T0);
    R(U("Work/same.txt"), "s", T0);

    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    // The folders the right lacks are steps of their own, so that an empty one is made too.
    ASSERT_EQ(Lines(plan), (QStringList{U("delete-right\tWork/extra.txt"), U("copy-to-right\tWork/New/"),
                                        U("copy-to-right\tWork/New/Deeper/"), U("copy-to-right\tWork/New/Deeper/Deepest/"),
                                        U("copy-to-right\tWork/New/Deeper/Deepest/c.txt"), U("copy-to-right\tWork/Old/b.txt")}));
    for (const SyncStep& step : plan)
        EXPECT_TRUE(step.inSubFolder);
    EXPECT_EQ(plan[4].target, RightFile("Work/New/Deeper/Deepest/c.txt"));

    const SyncReport report = CarryOutSync(plan, {});
    EXPECT_EQ(report.done, 6);
    EXPECT_EQ(report.failures, 0);
    EXPECT_FALSE(QFileInfo::exists(RightFile("Work/extra.txt")));
    EXPECT_TRUE(Entries(TrashFiles()).isEmpty()) << "files of a sub-folder do not go to the trash";
    EXPECT_EQ(FileBytes(RightFile("Work/New/Deeper/Deepest/c.txt")), "c");
    EXPECT_EQ(FileBytes(RightFile("Work/Old/b.txt")), "newer b");
    EXPECT_TRUE(Leftovers(tmp.file(U("right"))).isEmpty());
    ExpectFoldersAlike();
}

TEST_F(SyncRunTest, NamesDifferingInCaseAreReplacedUnderTheTargetsOwnSpelling)
{
    L(U("b.txt"), "newer b", T0 + 60);
    R(U("B.txt"), "old B", T0);
    L(U("Docs/a.txt"), "newer a", T0 + 60);
    R(U("docs/a.txt"), "old a", T0);
    L(U("Docs/Sub/x.txt"), "newer x", T0 + 60);
    R(U("docs/sub/x.txt"), "old x", T0);
    L(U("Docs/new.txt"), "new", T0);
    // Below a folder the right spells its own way: the right's folder takes it.
    L(U("Docs/Sub/y.txt"), "y", T0);

    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::ReplaceOlderCopyOrphans));
    ASSERT_EQ(Lines(plan), (QStringList{U("copy-to-right\tb.txt"), U("copy-to-right\tDocs/a.txt"),
                                        U("copy-to-right\tDocs/new.txt"), U("copy-to-right\tDocs/Sub/x.txt"),
                                        U("copy-to-right\tDocs/Sub/y.txt")}));
    EXPECT_EQ(plan[0].target, RightFile("B.txt"));
    EXPECT_EQ(plan[1].target, RightFile("docs/a.txt"));
    EXPECT_EQ(plan[2].target, RightFile("docs/new.txt"));
    EXPECT_EQ(plan[3].target, RightFile("docs/sub/x.txt"));
    EXPECT_EQ(plan[4].target, RightFile("docs/sub/y.txt"));

    const SyncReport report = CarryOutSync(plan, {});
    EXPECT_EQ(report.done, 5);
    EXPECT_EQ(Entries(tmp.file(U("right"))), Strings({"B.txt", "docs"}));
    EXPECT_EQ(Entries(RightFile("docs")), Strings({"a.txt", "new.txt", "sub"}));
    EXPECT_EQ(Entries(RightFile("docs/sub")), Strings({"x.txt", "y.txt"}));
    EXPECT_EQ(FileBytes(RightFile("B.txt")), "newer b");
    EXPECT_EQ(FileBytes(RightFile("docs/a.txt")), "newer a");
    EXPECT_EQ(FileBytes(RightFile("docs/sub/x.txt")), "newer x");
    EXPECT_TRUE(Leftovers(tmp.file(U("right"))).isEmpty());
    ExpectFoldersAlike();

    // Where the left holds both spellings of a folder, each keeps its own on the right.
    L(U("Docs/Two/t.txt"), "t", T0);
    L(U("Docs/two/u.txt"), "u", T0);
    R(U("docs/two/other"), "o", T0);
    const std::vector<SyncStep> both = Plan(MethodRules(CSyncSettings::AddOrphansToRight));
    ASSERT_EQ(Lines(both), (QStringList{U("copy-to-right\tDocs/Two/"), U("copy-to-right\tDocs/Two/t.txt"),
                                        U("copy-to-right\tDocs/two/u.txt")}));
    EXPECT_EQ(both[1].target, RightFile("docs/Two/t.txt"));
    EXPECT_EQ(both[2].target, RightFile("docs/two/u.txt"));
}

TEST_F(SyncRunTest, AFailedRowOperationStopsTheRunAndLaterStepsAreNotDone)
{
    L(U("a1"), "one", T0);
    L(U("a2"), "two", T0);
    L(U("Work/w.txt"), "w", T0);
    R(U("Work/v.txt"), "v", T0);
    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::AddOrphansToRight));
    ASSERT_EQ(Lines(plan), (QStringList{U("copy-to-right\ta1"), U("copy-to-right\ta2"), U("copy-to-right\tWork/w.txt")}));

    // As a user who may read both folders but write neither: the first copy fails and nothing follows.
    ::chmod(QFile::encodeName(tmp.path()).constData(), 0755);
    const int failed = InChild([&]() -> int {
        int heard = 0;
        const SyncReport report = CarryOutSync(plan, {}, [&](const SyncStep& step, const FileOps::Result& result) {
            ++heard;
            if (step.text != U("a1") || result.ok() || result.error != EACCES)
                ::_exit(10);
        });
        // Stopped by the failure, which is no cancel of the user's.
        if (!report.stopped || report.cancelled)
            return 1;
        if (report.failures != 1 || report.done != 0 || heard != 1)
            return 2;
        return 0;
    }, true);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(Entries(tmp.file(U("right"))), QStringList{U("Work")});
    EXPECT_EQ(Entries(RightFile("Work")), QStringList{U("v.txt")});
}

TEST_F(SyncRunTest, AFullDriveStopsTheRunWithTheOldTargetWhole)
{
    const QString small = tmp.file(U("small"));
    Tmpfs fs(small, "size=64k");
    if (!fs.mounted())
        GTEST_SKIP() << qPrintable(fs.why());
    L(U("big"), QByteArray(256 << 10, 'n'), T0 + 60);
    tmp.createFileAt(U("small/big"), "old target", T0);
    L(U("z"), "after", T0);
    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft), nullptr, small);
    ASSERT_EQ(Lines(plan), (QStringList{U("copy-to-right\tbig"), U("copy-to-right\tz")}));

    int error = 0;
    const SyncReport report = CarryOutSync(plan, {}, [&](const SyncStep&, const FileOps::Result& result) { error = result.error; });
    EXPECT_TRUE(report.stopped);
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(report.failures, 1);
    EXPECT_EQ(report.done, 0);
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(FileBytes(small + U("/big")), "old target");
    EXPECT_EQ(Entries(small), QStringList{U("big")});
}

TEST_F(SyncRunTest, AFailureInsideASubFolderIsReportedAndTheRunGoesOn)
{
    // The right has a file where the left has a folder: the copy below it cannot be made.
    L(U("Work/a/c.txt"), "c", T0);
    R(U("Work/a"), "a file", T0);
    L(U("Work/b.txt"), "b", T0);
    L(U("Zeta/z.txt"), "z", T0);
    R(U("Zeta/y.txt"), "y", T0);
    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::AddOrphansToRight));
    ASSERT_EQ(Lines(plan), (QStringList{U("copy-to-right\tWork/a/"), U("copy-to-right\tWork/a/c.txt"),
                                        U("copy-to-right\tWork/b.txt"), U("copy-to-right\tZeta/z.txt")}));

    QStringList failed;
    const SyncReport report = CarryOutSync(plan, {}, [&](const SyncStep& step, const FileOps::Result& result) {
        if (!result.ok())
            failed << step.text;
    });
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(report.failures, 2);
    EXPECT_EQ(report.done, 2);
    EXPECT_EQ(failed, (QStringList{U("Work/a/"), U("Work/a/c.txt")}));
    EXPECT_EQ(FileBytes(RightFile("Work/a")), "a file");
    EXPECT_EQ(FileBytes(RightFile("Work/b.txt")), "b");
    EXPECT_EQ(FileBytes(RightFile("Zeta/z.txt")), "z");
}

TEST_F(SyncRunTest, ACancelAtAnyMomentStopsBetweenFilesAndNeverLeavesAHalfFile)
{
    L(U("a"), "aaa", T0);
    L(U("big"), QByteArray(1 << 20, 'n'), T0 + 60);
    L(U("c"), "ccc", T0);
    L(U("Work/w1"), "w1", T0);
    L(U("Work/w2"), "w2", T0);
    L(U("Work/same"), "s", T0);
    R(U("Work/same"), "s", T0);
    const QByteArray oldBig = "old target";
    R(U("big"), oldBig, T0);
    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    ASSERT_EQ(Lines(plan), (QStringList{U("copy-to-right\ta"), U("copy-to-right\tbig"), U("copy-to-right\tc"),
                                        U("copy-to-right\tWork/w1"), U("copy-to-right\tWork/w2")}));

    // Cancelled after N steps, between files: exactly the first N are done.
    for (int n = 0; n < int(plan.size()); ++n) {
        for (const char* name : {"a", "c", "Work/w1", "Work/w2"})
            QFile::remove(RightFile(name));
        R(U("big"), oldBig, T0);
        std::atomic<bool> cancel{n == 0};
        FileOps::Control control;
        control.cancel = &cancel;
        int heard = 0;
        const SyncReport report = CarryOutSync(plan, control, [&](const SyncStep&, const FileOps::Result&) {
            if (++heard == n)
                cancel = true;
        });
        EXPECT_TRUE(report.cancelled) << n;
        EXPECT_EQ(report.done, n);
        EXPECT_EQ(QFileInfo::exists(RightFile("c")), n >= 3) << n;
        EXPECT_EQ(FileBytes(RightFile("big")), n >= 2 ? FileBytes(LeftFile("big")) : oldBig) << n;
    }

    // Cancelled from the pump at every call there is, inside the large file too: every target is either as
    // it was or whole, the steps done are the first ones, and no temporary file stays.
    int pumpsOfWholeRun = 0;
    for (int at = 1;; ++at) {
        for (const char* name : {"a", "c", "Work/w1", "Work/w2"})
            QFile::remove(RightFile(name));
        R(U("big"), oldBig, T0);
        std::atomic<bool> cancel{false};
        PumpAt pump(at, [&] { cancel = true; });
        FileOps::Control control;
        control.cancel = &cancel;
        control.pump = &pump;
        const SyncReport report = CarryOutSync(plan, control);
        int whole = 0;
        bool prefix = true;
        for (const SyncStep& step : plan) {
            const QByteArray now = FileBytes(step.target);
            const bool done = now == FileBytes(step.source);
            const bool untouched = step.text == U("big") ? now == oldBig : !QFileInfo::exists(step.target);
            EXPECT_TRUE(done || untouched) << qPrintable(step.text) << " at pump " << at;
            if (done && !prefix)
                ADD_FAILURE() << qPrintable(step.text) << " done after a step that was not, at pump " << at;
            prefix = prefix && done;
            whole += done ? 1 : 0;
        }
        EXPECT_EQ(report.done, whole) << at;
        EXPECT_TRUE(Leftovers(tmp.file(U("right"))).isEmpty()) << at;
        if (!report.cancelled) {
            EXPECT_EQ(whole, int(plan.size()));
            pumpsOfWholeRun = pump.count;
            break;
        }
        ASSERT_LT(at, 1000);
    }
    EXPECT_GT(pumpsOfWholeRun, int(plan.size())) << "the large file is pumped chunk by chunk";
}

TEST_F(SyncRunTest, AnObjectThatChangedKindSinceThePlanIsNotDeleted)
{
    R(U("gone-file"), "f", T0);
    R(U("Work/inner"), "i", T0);
    L(U("Work/kept"), "k", T0);
    R(U("was-folder/x"), "x", T0);
    const std::vector<SyncStep> plan = Plan(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    ASSERT_EQ(Lines(plan), (QStringList{U("delete-right\tgone-file"), U("delete-right\t/was-folder"),
                                        U("delete-right\tWork/inner"), U("copy-to-right\tWork/kept")}));

    // A file row that became a folder is kept and reported; a refused delete does not end the run.
    ASSERT_TRUE(QFile::remove(RightFile("gone-file")));
    tmp.createFile(U("right/gone-file/new"), "new");
    int error = 0;
    SyncReport report = CarryOutSync({plan[0]}, {}, [&](const SyncStep&, const FileOps::Result& r) { error = r.error; });
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(report.failures, 1);
    EXPECT_EQ(report.done, 0);
    EXPECT_EQ(error, ESTALE);
    EXPECT_EQ(FileBytes(RightFile("gone-file/new")), "new");
    EXPECT_EQ(FileBytes(RightFile("was-folder/x")), "x");

    // A folder row that became a file is kept too.
    const std::vector<SyncStep> second(plan.begin() + 1, plan.end());
    ASSERT_TRUE(QDir(RightFile("was-folder")).removeRecursively());
    tmp.createFile(U("right/was-folder"), "now a file");
    report = CarryOutSync({second[0]}, {});
    EXPECT_EQ(report.failures, 1);
    EXPECT_EQ(FileBytes(RightFile("was-folder")), "now a file");

    // Inside a sub-folder a file that became a folder is kept; the run goes on.
    const std::vector<SyncStep> inner(plan.begin() + 2, plan.end());
    ASSERT_TRUE(QFile::remove(RightFile("Work/inner")));
    tmp.createFile(U("right/Work/inner/deep"), "deep");
    QStringList failed;
    report = CarryOutSync(inner, {}, [&](const SyncStep& step, const FileOps::Result& r) {
        if (!r.ok())
            failed << step.text;
    });
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(failed, QStringList{U("Work/inner")});
    EXPECT_EQ(FileBytes(RightFile("Work/inner/deep")), "deep");
    EXPECT_EQ(FileBytes(RightFile("Work/kept")), "k");
    EXPECT_TRUE(Entries(TrashFiles()).isEmpty());
}

TEST_F(SyncRunTest, CopyAsReplacesUnderTheTargetNameOrKeepsTheOldTargetWhole)
{
    const QString source = L(U("b.txt"), QByteArray(256 << 10, 'n'), T0);
    const QString target = R(U("B.txt"), "old target", T0);

    // Over the process's file size limit: the copy fails, the old target stays, no staging folder stays.
    const int failed = InChild([&]() -> int {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {64 << 10, 64 << 10};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 1;
        const FileOps::Result r = FileOps::CopyAs(source, target, {});
        return r.error == EFBIG ? 0 : 2;
    }, false);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(FileBytes(target), "old target");
    EXPECT_EQ(Entries(tmp.file(U("right"))), QStringList{U("B.txt")});

    // Whole: under the target's own name, and the source's spelling never appears.
    EXPECT_TRUE(FileOps::CopyAs(source, target, {}).ok());
    EXPECT_EQ(FileBytes(target), FileBytes(source));
    EXPECT_EQ(Entries(tmp.file(U("right"))), QStringList{U("B.txt")});

    // A link is copied as a link, under another name too.
    ASSERT_TRUE(QFile::link(U("b.txt"), tmp.file(U("left/link"))));
    EXPECT_TRUE(FileOps::CopyAs(tmp.file(U("left/link")), RightFile("LINK"), {}).ok());
    char text[64] = {};
    EXPECT_EQ(::readlink(QFile::encodeName(RightFile("LINK")).constData(), text, sizeof text - 1), 5);
    EXPECT_STREQ(text, "b.txt");

    // A full drive: the same.
    const QString small = tmp.file(U("small"));
    Tmpfs fs(small, "size=64k");
    if (!fs.mounted())
        GTEST_SKIP() << qPrintable(fs.why());
    const QString onSmall = tmp.createFile(U("small/B.txt"), "old target");
    const FileOps::Result full = FileOps::CopyAs(source, onSmall, {});
    EXPECT_EQ(full.error, ENOSPC);
    EXPECT_EQ(FileBytes(onSmall), "old target");
    EXPECT_EQ(Entries(small), QStringList{U("B.txt")});
}

// A sub-folder the comparison could not read completely is no ground for deleting anything in it: its
// deletions are withheld and named, its copies stay.
TEST(SyncPlanOfAnIncompleteSubFolder, WithholdsItsDeletionsAndKeepsItsCopies)
{
    SubFolderDiffsList subFolders(2);
    for (CSubFolderDiffs& diffs : subFolders) {
        ResultRow only;
        only.text = QStringLiteral("a.txt");
        only.sizeText = QStringLiteral("1");
        only.icon = Category::Orphan;
        ResultRow orphan = only;
        orphan.text = QStringLiteral("b.txt");
        diffs.Assign({only, {}}, {{}, orphan});
    }
    subFolders[0].SetStrSubFolderName(QStringLiteral("Docs"));
    subFolders[0].SetIncomplete(true);
    subFolders[1].SetStrSubFolderName(QStringLiteral("Work"));
    const ResultList none;
    CSyncSettings::Rules rules{};
    ASSERT_TRUE(CSyncSettings::PredefinedRules(CSyncSettings::MakeRightSameAsLeft, &rules));
    const SyncInput input{none, none, QStringLiteral("/l/"), QStringLiteral("/r/"), subFolders, rules, nullptr};
    QStringList withheld;
    QStringList lines;
    for (const SyncStep& step : PlanSync(input, &withheld))
        lines << ActionWord(step.action) + QLatin1Char('\t') + step.text;
    EXPECT_EQ(lines, (QStringList{QStringLiteral("copy-to-right\tDocs/a.txt"), QStringLiteral("delete-right\tWork/b.txt"),
                                  QStringLiteral("copy-to-right\tWork/a.txt")}));
    EXPECT_EQ(withheld, QStringList{QStringLiteral("Docs")});
}
