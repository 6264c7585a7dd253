#include "../compare/CompareFixture.h"
#include "RawNames.h"
#include "VariedTree.h"

#include "base/ErrorHandler.h"
#include "platform/DriveQueries.h"
#include "platform/PathOpen.h"
#include "sync/SyncHistory.h"
#include "sync/SyncSession.h"

#include <QDir>
#include <atomic>
#include <functional>

namespace {

using Rules = CSyncSettings::Rules;

Rules MethodRules(int32_t method)
{
    Rules rules{};
    EXPECT_TRUE(CSyncSettings::PredefinedRules(method, &rules)) << method;
    return rules;
}

// A front end that writes down every call in order and answers as it is told.
class ScriptedFrontEnd final : public SyncFrontEnd
{
public:
    bool ConfirmPlan(const std::vector<SyncStep>& plan, const QStringList& withheld, const QString&,
                     const QStringList&) override
    {
        calls << QStringLiteral("confirm %1").arg(plan.size());
        seenWithheld = withheld;
        if (beforeRun)
            beforeRun();
        return proceed;
    }
    bool ConfirmLowSpace(const SpaceCheck&, const QString& text) override
    {
        calls << QStringLiteral("low space");
        lowSpaceText = text;
        return goOnWhenShort;
    }
    void RunWork(size_t steps, const std::function<void(const FileOps::Control&)>& work) override
    {
        calls << QStringLiteral("run %1").arg(steps);
        FileOps::Control control;
        control.cancel = &cancel;
        work(control);
    }
    void StepEnded(const SyncStep& step, const FileOps::Result& result, size_t number, size_t total) override
    {
        calls << QStringLiteral("%1/%2 %3 %4").arg(number).arg(total).arg(step.text, result.ok() ? QStringLiteral("ok") : QStringLiteral("failed"));
        if (number == cancelAfter)
            cancel = true;
    }
    void PlayCompletionSound() override { calls << QStringLiteral("sound"); }
    void Finished(const SyncOutcome& outcome) override
    {
        calls << QStringLiteral("finished");
        finishedWithheld = outcome.withheld;
    }

    bool proceed = true;
    bool goOnWhenShort = false;
    size_t cancelAfter = 0;
    std::atomic<bool> cancel{false};
    std::function<void()> beforeRun;
    QStringList calls;
    QStringList seenWithheld;
    QStringList finishedWithheld;
    QString lowSpaceText;
};

class SyncSessionTest : public CompareFixture
{
protected:
    void SetUp() override
    {
        CompareFixture::SetUp();
        app = tmp.file(QStringLiteral("app"));
    }

    SyncOutcome Session(const Rules& rules, bool sound = true)
    {
        EXPECT_EQ(Run(), CompareOutcome::Completed);
        SyncRequest request({results->holdSource, results->holdTarget, results->source.Path(), results->target.Path(),
                             results->allSubFolderDiffs, rules, nullptr});
        request.sound = sound;
        request.historyLeft = left;
        request.historyRight = right;
        request.appFolder = app;
        return RunSyncSession(request, {dialogs, ctx->Errors(), drives, ctx->Lib()}, frontEnd);
    }

    QStringList Records() const
    {
        QStringList outcomes;
        for (const SyncHistory::Record& record : SyncHistory::ReadAll(app))
            outcomes << SyncHistory::DisplayText(record.outcome);
        return outcomes;
    }

    QString LeftFile(const char* relative) const { return left + QLatin1Char('/') + QString::fromUtf8(relative); }
    QString RightFile(const char* relative) const { return right + QLatin1Char('/') + QString::fromUtf8(relative); }

    QString app;
    DriveQueries drives;
    ScriptedFrontEnd frontEnd;
};

} // namespace

TEST_F(SyncSessionTest, TheOrderIsPlanConfirmationRunRecordSoundReport)
{
    L(QStringLiteral("a.txt"), "newer", T0 + 60);
    R(QStringLiteral("a.txt"), "old", T0);
    R(QStringLiteral("orphan.txt"), "right only", T0);

    const SyncOutcome outcome = Session(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    EXPECT_EQ(outcome.end, SyncEnd::Completed);
    EXPECT_EQ(frontEnd.calls, (QStringList{QStringLiteral("confirm 2"), QStringLiteral("run 2"),
                                           QStringLiteral("1/2 orphan.txt ok"), QStringLiteral("2/2 a.txt ok"),
                                           QStringLiteral("sound"), QStringLiteral("finished")}));
    EXPECT_EQ(outcome.done.size(), 2u);
    EXPECT_EQ(Records(), QStringList{SyncHistory::CompletedText()});
    EXPECT_EQ(FileBytes(RightFile("a.txt")), "newer");
    EXPECT_FALSE(QFileInfo::exists(RightFile("orphan.txt")));
}

TEST_F(SyncSessionTest, ADeclinedPlanChangesNothingAndWritesNoRecord)
{
    R(QStringLiteral("orphan.txt"), "right only", T0);
    frontEnd.proceed = false;
    const SyncOutcome outcome = Session(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    EXPECT_EQ(outcome.end, SyncEnd::Declined);
    EXPECT_FALSE(outcome.Ran());
    EXPECT_EQ(frontEnd.calls, QStringList{QStringLiteral("confirm 1")});
    EXPECT_TRUE(QFileInfo::exists(RightFile("orphan.txt")));
    EXPECT_TRUE(Records().isEmpty());
}

// The history says what happened: a failed deletion that the run went past, a failed copy of a row that
// ended it, and a cancel each have their own outcome; none of them plays the completion chime except the
// run that went to its end.
TEST_F(SyncSessionTest, TheRecordTellsFailuresStopsAndCancelsApart)
{
    R(QStringLiteral("gone.txt"), "right only", T0);
    L(QStringLiteral("new.txt"), "left only", T0);
    // Between the comparison and the run the orphan becomes a folder: it is kept, as it was not seen.
    frontEnd.beforeRun = [&] {
        ASSERT_TRUE(QFile::remove(RightFile("gone.txt")));
        ASSERT_TRUE(QDir().mkpath(RightFile("gone.txt")));
    };
    SyncOutcome outcome = Session(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    EXPECT_EQ(outcome.end, SyncEnd::CompletedWithErrors);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0].step.text, QStringLiteral("gone.txt"));
    EXPECT_EQ(FileBytes(RightFile("new.txt")), "left only");
    EXPECT_TRUE(frontEnd.calls.contains(QStringLiteral("sound")));

    // A copy whose target became a folder ends the run.
    L(QStringLiteral("more.txt"), "more", T0 + 60);
    L(QStringLiteral("zlast.txt"), "last", T0 + 60);
    frontEnd.calls.clear();
    frontEnd.beforeRun = [&] { ASSERT_TRUE(QDir().mkpath(RightFile("more.txt"))); };
    outcome = Session(MethodRules(CSyncSettings::AddOrphansToRight));
    EXPECT_EQ(outcome.end, SyncEnd::StoppedByError);
    EXPECT_FALSE(QFileInfo::exists(RightFile("zlast.txt")));
    EXPECT_FALSE(frontEnd.calls.contains(QStringLiteral("sound")));

    // The user's cancel after the first step.
    ASSERT_TRUE(QDir(RightFile("more.txt")).removeRecursively());
    frontEnd.beforeRun = {};
    frontEnd.cancelAfter = 1;
    frontEnd.calls.clear();
    outcome = Session(MethodRules(CSyncSettings::AddOrphansToRight));
    EXPECT_EQ(outcome.end, SyncEnd::Cancelled);
    EXPECT_EQ(outcome.done.size(), 1u);
    EXPECT_FALSE(frontEnd.calls.contains(QStringLiteral("sound")));

    EXPECT_EQ(Records(), (QStringList{SyncHistory::CompletedWithErrorsText(), SyncHistory::StoppedByErrorText(),
                                      SyncHistory::CancelledText()}));
}

TEST_F(SyncSessionTest, TheSoundPlaysOnlyWhenTheFrontEndsSwitchAllowsIt)
{
    L(QStringLiteral("a.txt"), "left only", T0);
    const SyncOutcome outcome = Session(MethodRules(CSyncSettings::AddOrphansToRight), false);
    EXPECT_EQ(outcome.end, SyncEnd::Completed);
    EXPECT_FALSE(frontEnd.calls.contains(QStringLiteral("sound")));
    EXPECT_TRUE(frontEnd.calls.contains(QStringLiteral("finished")));
}

// A sub-folder that could not be read whole: its copies run, its deletions are withheld and named, and
// the record says the run was not clean.
TEST_F(SyncSessionTest, AnIncompleteSubFolderCopiesWithholdsItsDeletionsAndSaysSo)
{
    L(QStringLiteral("Docs/new.txt"), "new", T0);
    R(QStringLiteral("Docs/right-only.txt"), "keep me", T0);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->allSubFolderDiffs.size(), 1u);
    SubFolderDiffsList subFolders = results->allSubFolderDiffs;
    subFolders[0].SetIncomplete(true);
    SyncRequest request({results->holdSource, results->holdTarget, results->source.Path(), results->target.Path(),
                         subFolders, MethodRules(CSyncSettings::MakeRightSameAsLeft), nullptr});
    request.appFolder = app;
    const SyncOutcome outcome = RunSyncSession(request, {dialogs, ctx->Errors(), drives, ctx->Lib()}, frontEnd);

    EXPECT_EQ(outcome.end, SyncEnd::CompletedWithErrors);
    EXPECT_EQ(frontEnd.seenWithheld, QStringList{QStringLiteral("Docs")});
    EXPECT_EQ(frontEnd.finishedWithheld, QStringList{QStringLiteral("Docs")});
    EXPECT_EQ(FileBytes(RightFile("Docs/new.txt")), "new");
    EXPECT_EQ(FileBytes(RightFile("Docs/right-only.txt")), "keep me");
    EXPECT_EQ(Records(), QStringList{SyncHistory::CompletedWithErrorsText()});
}

namespace {

// Whether the raw name exists in folder, byte for byte.
bool HasRawName(const QString& folder, const QByteArray& name)
{
    struct stat st {};
    return ::lstat((EncodeFileName(Path::WithSlash(folder)) + name).constData(), &st) == 0;
}

QByteArray RawBytes(const QString& folder, const QByteArray& name)
{
    const int fd = ::open((EncodeFileName(Path::WithSlash(folder)) + name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "(unreadable)";
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n < 0 ? QByteArray("(unreadable)") : QByteArray(buffer, qsizetype(n));
}

} // namespace

// Names are bytes: a name that is not UTF-8 is copied, trashed and deleted under its own bytes, at the top
// and inside a differing sub-folder, and a file below a path of more than 5,000 bytes is copied like any
// other.
TEST_F(SyncSessionTest, NamesThatAreNotUtf8AndDeepPathsSurviveAMirrorByteForByte)
{
    const RawTreeCleanup cleanLeft(left);
    const RawTreeCleanup cleanRight(right);
    const QByteArray odd("\xff\xfe.bin");
    const QByteArray latin("caf\xe9.txt");
    CreateRawFile(left, odd, "left odd", T0);
    CreateRawFile(right, latin, "right only", T0);
    L(QStringLiteral("Docs/keep.txt"), "keep", T0);
    R(QStringLiteral("Docs/keep.txt"), "keep", T0);
    CreateRawFile(left + QStringLiteral("/Docs"), latin, "inside", T0);
    CreateRawFile(right + QStringLiteral("/Docs"), odd, "gone inside", T0);
    ASSERT_TRUE(QDir().mkpath(left + QStringLiteral("/Deep")));
    ASSERT_TRUE(QDir().mkpath(right + QStringLiteral("/Deep")));
    L(QStringLiteral("Deep/top.txt"), "top", T0);
    R(QStringLiteral("Deep/top.txt"), "top", T0);
    const QString bottom = MakeDeepTree(left + QStringLiteral("/Deep"), 26, "deep data", T0);
    ASSERT_GT(EncodeFileName(bottom).size(), 5000);

    const SyncOutcome outcome = Session(MethodRules(CSyncSettings::MakeRightSameAsLeft));
    EXPECT_EQ(outcome.end, SyncEnd::Completed);
    for (const SyncFailure& failure : outcome.failures)
        ADD_FAILURE() << qPrintable(DisplayFileName(failure.step.text)) << ": " << qPrintable(failure.result.errorText);

    EXPECT_EQ(RawBytes(right, odd), "left odd");
    EXPECT_FALSE(HasRawName(right, latin)) << "the right-only file went to the trash";
    EXPECT_TRUE(HasRawName(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash/files"), latin));
    EXPECT_EQ(RawBytes(right + QStringLiteral("/Docs"), latin), "inside");
    EXPECT_FALSE(HasRawName(right + QStringLiteral("/Docs"), odd));
    const QString copied = right + bottom.mid(left.size());
    struct stat st {};
    EXPECT_TRUE(StatPath(copied + QStringLiteral("/deep.txt"), st, false));
    EXPECT_EQ(st.st_size, 9);
}

TEST_F(SyncSessionTest, TheWindowsEngineMirrorsEveryKindOfObjectWithItsMetadata)
{
    const RawTreeCleanup cleanup(tmp.path());
    MakeVariedTree(tmp, left);
    R(QStringLiteral("stale/old.txt"), "stale", 1685620800);
    const SyncOutcome outcome = Session(MethodRules(CSyncSettings::MakeRightSameAsLeft), false);
    EXPECT_EQ(outcome.end, SyncEnd::Completed);
    EXPECT_TRUE(outcome.failures.empty());
    const QStringList source = TreeManifest(left, Everything());
    const QStringList target = TreeManifest(right, Everything());
    EXPECT_EQ(source, target) << qPrintable(ManifestDiffText(source, target));
}
