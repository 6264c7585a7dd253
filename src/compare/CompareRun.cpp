#include "compare/CompareRun.h"

#include "base/ErrorHandler.h"
#include "base/ErrorLog.h"
#include "base/Failure.h"
#include "base/Path.h"
#include "base/ProgressSink.h"
#include "base/SideBySide.h"
#include "base/UserDialogs.h"
#include "compare/CCompare.h"
#include "compare/CompareProgressView.h"
#include "compare/PairClassify.h"
#include "compare/RowFormat.h"
#include "compare/SubFolderCompare.h"
#include "compare/TimeRules.h"
#include "model/PathUtils.h"
#include "platform/ParvexLib.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <cerrno>
#include <optional>

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

// Progress of a scan on a worker thread, read by the window thread.
class AtomicProgress final : public ProgressSink
{
public:
    void SetRange(qint64 maximum) override { m_maximum.store(maximum, std::memory_order_relaxed); }
    void SetValue(qint64 value) override { m_value.store(value, std::memory_order_relaxed); }
    void SetText(const QString&) override {}
    qint64 Maximum() const { return m_maximum.load(std::memory_order_relaxed); }
    qint64 Value() const { return m_value.load(std::memory_order_relaxed); }

private:
    std::atomic<qint64> m_maximum{0};
    std::atomic<qint64> m_value{0};
};

QString RealPath(const QString& text)
{
    const QString absolute = AbsolutePath(text);
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    return canonical.isEmpty() ? RemoveTrailingBackslash(absolute) : canonical;
}

} // namespace

QString FolderPathPrompt() { return Text("Press the folder icon with three dots -->"); }

bool IsSameFolder(const QString& left, const QString& right) { return RealPath(left) == RealPath(right); }

CompareRun::CompareRun(const CompareServices& services, CompareResults& results, CompareProgressView& view, EventPump& pump,
                       CompareRunHooks hooks)
    : m_services(services), m_results(results), m_view(view), m_pump(pump), m_hooks(std::move(hooks)), m_comparer(services.compare, services.crc32, services.log)
{
}

bool CompareRun::IsCancelled() const { return m_services.compare.CompareCancelled(); }

bool CompareRun::MenusEnabled() const { return m_hooks.menusEnabled && m_hooks.menusEnabled(); }

void CompareRun::SetMenus(bool enabled)
{
    if (m_hooks.setMenusEnabled)
        m_hooks.setMenusEnabled(enabled);
}

CompareOutcome CompareRun::CompareDirs(const QString& leftText, const QString& rightText, bool userCommand1,
                                       bool userCommand2)
{
    CCompare& compare = m_services.compare;
    // An unexpected-error message during the run must not sit behind the progress window.
    m_services.errors.SetCompareHooks([&compare] { return compare.RunningCompare(); }, [this] { m_view.Close(); });
    bool started = false;
    StepsEnd end = StepsEnd::Cancelled;
    try {
        end = RunSteps(leftText, rightText, started);
    } catch (...) {
        m_services.errors.HandleUnexpectedError(QStringLiteral("frmMain.CompareDirs"));
        end = IsCancelled() ? StepsEnd::Cancelled : StepsEnd::Completed;
    }
    if (end == StepsEnd::Cancelled)
        CancelledEnd();
    CommonEnd(userCommand1 || userCommand2, started);
    m_services.errors.SetCompareHooks({}, {});
    const CompareOutcome outcome = compare.CompareCancelled() ? CompareOutcome::Cancelled : CompareOutcome::Completed;
    if (m_hooks.finished)
        m_hooks.finished(outcome);
    return outcome;
}

CompareRun::StepsEnd CompareRun::RunSteps(const QString& leftText, const QString& rightText, bool& started)
{
    CCompare& compare = m_services.compare;
    UserDialogs& dialogs = m_services.dialogs;
    if (leftText == FolderPathPrompt() || rightText == FolderPathPrompt()) {
        dialogs.Message(Text("Please select two folders to compare.  See Help file for details."),
                        Text("Compare Folders"), UserDialogs::Icon::Information);
        return StepsEnd::Cancelled;
    }

    m_pump.Pump();
    if (MenusEnabled())
        SetMenus(false);
    compare.SetRunningCompare(true);
    compare.SetCompareCancelled(false);
    compare.SetErrorsDuringCompare(false);
    m_services.log.StartNew();
    started = true;

    if (!IsValidPath(m_results.source, m_services.PathCheck(), leftText)
        || !IsValidPath(m_results.target, m_services.PathCheck(), rightText)) {
        compare.SetRunningCompare(false);
        if (!MenusEnabled())
            SetMenus(true);
        return StepsEnd::Cancelled;
    }
    if (IsSameFolder(leftText, rightText)) {
        dialogs.Message(Text("Please specify two different folders to compare."), Text("Folders Are Same"),
                        UserDialogs::Icon::Warning);
        return StepsEnd::Cancelled;
    }

    dialogs.ShowBusy(true);
    m_view.Show(Text("Examining the left folder.  Press ESC to cancel..."), leftText);
    // The start delay lets the progress window appear before the work begins to show. Scans on their own
    // threads leave the window thread free to let events run, so there the delay passes while they work
    // (and what remains of it after them is waited out) instead of holding them back.
    if (!m_parallelScan)
        WaitForStartDelay();
    ResetFolder(m_results.source, leftText);
    m_slowConnectionDetected.store(false);

    if (!IsCancelled() && !ScanBothSides(rightText))
        return StepsEnd::Cancelled;
    if (m_parallelScan)
        WaitForStartDelay();
    if (IsCancelled())
        return StepsEnd::Cancelled;
    if (!AskSlowConnection())
        return StepsEnd::Cancelled;

    BuildAllFileNames();
    m_pump.Pump();
    ShowCompareMethodMessage();

    if (IsCancelled())
        return StepsEnd::Cancelled;
    ShowAllFilesInBothDirs();
    if (IsCancelled())
        return StepsEnd::Cancelled;
    if (compare.CompareSubFolders()) {
        m_view.Progress().SetValue(0);
        m_view.SetMessage(Text("Comparing files in sub-folders.  Press ESC to cancel..."));
        m_view.SetFileName(QString());
        ContentComparer& comparer = m_comparer;
        SideBySideThreads readers;
        CompareEnv env{m_services, m_view, m_pump, comparer, m_parallelScan, &readers};
        if (!CompareAllSubFolders(env, m_results) || IsCancelled())
            return StepsEnd::Cancelled;
    }

    if (m_hooks.noteResults)
        m_hooks.noteResults();
    if (m_hooks.applyViewTypes)
        m_hooks.applyViewTypes();
    if (m_hooks.addPathsToIni)
        m_hooks.addPathsToIni(m_results.source.Path(), m_results.target.Path());
    return StepsEnd::Completed;
}

void CompareRun::WaitForStartDelay()
{
    // The wait sleeps until the delay's timer (or any other event) wakes it. ESC closes the window and
    // stops its delay timer: stop waiting then too, and never wait for long.
    constexpr qint64 LongestWaitMs = 2000;
    QElapsedTimer waited;
    waited.start();
    while (!m_view.DelayHasPassed() && !IsCancelled() && waited.elapsed() < LongestWaitMs)
        m_pump.WaitForEvents(static_cast<int>(LongestWaitMs - waited.elapsed()));
}

void CompareRun::ResetFolder(CDir& dir, const QString& text)
{
    dir.Clear();
    dir.SetPath(text);
}

bool CompareRun::ScanBothSides(const QString& rightText)
{
    CCompare& compare = m_services.compare;
    if (m_hooks.showFilterState)
        m_hooks.showFilterState(CDir::FilterStatusText(compare.IncludeFilters(), compare.ExcludeFilters()));
    return m_parallelScan ? ScanAtOnce(rightText) : ScanInTurn(rightText);
}

bool CompareRun::ScanInTurn(const QString& rightText)
{
    CCompare& compare = m_services.compare;
    ScanContext scan;
    scan.progress = &m_view.Progress();
    scan.pump = &m_pump;
    scan.cancel = compare.CancelFlag();
    scan.slowConnectionDetected = &m_slowConnectionDetected;
    scan.clockMs = m_scanClock;
    auto populate = [&](CDir& dir) {
        return dir.PopulateSelfWithFiles(compare.IncludeFilters(), compare.ExcludeFilters(), compare.ExcludeSystemFiles(),
                                         compare.ExcludeHiddenFiles(), compare.ExcludeSystemFolders(),
                                         compare.ExcludeHiddenFolders(), scan);
    };
    const ScanResult left = populate(m_results.source);
    if (!CheckListing(left, m_results.source))
        return false;
    if (IsCancelled())
        return true;
    m_view.SetMessage(Text("Examining the right folder. Press ESC to cancel..."));
    m_view.SetFileName(rightText);
    ResetFolder(m_results.target, rightText);
    if (IsCancelled())
        return true;
    const ScanResult right = populate(m_results.target);
    return CheckListing(right, m_results.target);
}

bool CompareRun::ScanAtOnce(const QString& rightText)
{
    // The scans share nothing but the cancel and slow-connection flags; failures are kept and reported
    // here on the window thread once both have ended.
    CCompare& compare = m_services.compare;
    ResetFolder(m_results.target, rightText);
    AtomicProgress progress[2];
    std::optional<Failure> failure[2];
    ScanResult result[2];
    std::atomic<bool> leftDone{false};
    CDir* dirs[2] = {&m_results.source, &m_results.target};
    auto populate = [&](int side) {
        ScanContext scan;
        scan.progress = &progress[side];
        scan.cancel = compare.CancelFlag();
        scan.slowConnectionDetected = &m_slowConnectionDetected;
        scan.failure = &failure[side];
        scan.clockMs = m_scanClock;
        result[side] = dirs[side]->PopulateSelfWithFiles(
            compare.IncludeFilters(), compare.ExcludeFilters(), compare.ExcludeSystemFiles(), compare.ExcludeHiddenFiles(),
            compare.ExcludeSystemFolders(), compare.ExcludeHiddenFolders(), scan);
        if (side == 0)
            leftDone.store(true);
    };
    // The window shows the left side until it is done, then the right, as when they are read in turn.
    bool showingRight = false;
    auto tick = [&] {
        if (!showingRight && leftDone.load()) {
            showingRight = true;
            m_view.SetMessage(Text("Examining the right folder. Press ESC to cancel..."));
            m_view.SetFileName(rightText);
        }
        const AtomicProgress& p = progress[showingRight ? 1 : 0];
        m_view.Progress().SetRange(p.Maximum());
        m_view.Progress().SetValue(p.Value());
    };
    RunSideBySide([&] { populate(0); }, [&] { populate(1); }, m_pump, tick);
    for (int side = 0; side < 2; ++side) {
        if (failure[side])
            m_services.errors.Report(*failure[side], QStringLiteral("CDir.PopulateSelfWithFiles"));
    }
    return CheckListing(result[0], m_results.source) && CheckListing(result[1], m_results.target);
}

bool CompareRun::CheckListing(const ScanResult& result, const CDir& dir)
{
    // A folder that could not be listed, wholly or in part, must not pass for one that holds fewer files:
    // the other side's files would show as orphans, inviting a synchronisation to copy or delete them.
    // A failure that broke the listing off has been reported already.
    if (result.failed)
        return false;
    if (result.listError == 0)
        return true;
    Failure failure = Failure::FromErrno(result.listError, false);
    failure = Failure(failure.number(), failure.description() + Text(": ") + EscapedFileName(dir.Path()), failure.source(),
                      failure.systemCode());
    m_services.errors.Report(failure, QStringLiteral("CDir.PopulateSelfWithFiles"));
    return false;
}

bool CompareRun::AskSlowConnection()
{
    CCompare& compare = m_services.compare;
    const int32_t method = compare.CompareMethod();
    if (!m_slowConnectionDetected.load() || method < CCompare::ThoroughString || method > CCompare::SHA
        || compare.ChunkSize() <= 10000)
        return true;
    const UserDialogs::Answer answer = m_services.dialogs.Message(
        Text("A slow connection has been detected.\r\nYou should reduce your Chunk Size to 10,000 bytes or less."
             "\r\n\r\nWould you like to do this?"),
        Text("Performance Monitor"), UserDialogs::Icon::Information, UserDialogs::Buttons::YesNoCancel);
    if (answer == UserDialogs::Answer::Yes)
        compare.SetChunkSize(10000);
    return answer != UserDialogs::Answer::Cancel;
}

void CompareRun::BuildAllFileNames()
{
    m_pairs = PairFiles(m_results.source, m_results.target, m_services.compare.CancelFlag());
}

void CompareRun::ShowCompareMethodMessage()
{
    m_view.Progress().SetValue(0);
    m_view.StartAnimation(QStringLiteral("scanfiles.avi"));
    const char* message = "Comparing Size and Date/Time.  Press ESC to cancel...";
    switch (m_services.compare.CompareMethod()) {
    case CCompare::ThoroughString:
        message = "Comparing Contents.  Press ESC to cancel...";
        break;
    case CCompare::ThoroughCRC:
        message = "Comparing CRC32 values.  Press ESC to cancel...";
        break;
    case CCompare::SHA:
        message = "Comparing SHA-1 values.  Press ESC to cancel...";
        break;
    default:
        break;
    }
    m_view.SetMessage(Text(message));
    m_view.SetFileName(QString());
}

void CompareRun::ShowAllFilesInBothDirs()
{
    ResultList& left = m_results.holdSource;
    ResultList& right = m_results.holdTarget;
    left.clear();
    right.clear();
    const qint64 n = static_cast<qint64>(m_pairs.size());
    // The window's delay starts again for the new step; the loop below lets events run as it goes, so the
    // window shows the step's message without the work waiting for it.
    m_view.StartDelay();
    ProgressSink& bar = m_view.Progress();
    if (n > 0)
        bar.SetRange(n);
    left.reserve(static_cast<size_t>(n) + static_cast<size_t>(m_results.source.SubDirCount()));
    right.reserve(static_cast<size_t>(n) + static_cast<size_t>(m_results.target.SubDirCount()));

    ContentComparer& comparer = m_comparer;
    CompareEnv env{m_services, m_view, m_pump, comparer, m_parallelScan};
    RowFormatter format;
    const CDir& source = m_results.source;
    const CDir& target = m_results.target;
    const bool quick = m_services.compare.CompareMethod() == CCompare::Quick;
    qint64 i = 0;
    for (const NamePair& pair : m_pairs) {
        bar.SetValue(++i);
        m_pump.Pump();
        if (IsCancelled())
            return;
        try {
            const CFile* l = pair.left >= 0 ? &source.Files().At(pair.left) : nullptr;
            const CFile* r = pair.right >= 0 ? &target.Files().At(pair.right) : nullptr;
            // Each row shows the name of the object on its own side: README against Readme stays README on
            // the left and Readme on the right, so every path built from a row exists on that side.
            // The file line is read when the window refreshes, a few times a second. A quick comparison
            // gets through thousands of names meanwhile, and handing over each of them cost a tenth of
            // its time, so it names every 64th; a content comparison names every file it reads.
            if (!quick || (i & 63) == 1)
                m_view.SetFileName(l != nullptr ? l->FileName() : r->FileName());
            Category lc = Category::Orphan;
            Category rc = Category::Orphan;
            bool unreadable = false;
            if (l != nullptr && r != nullptr) {
                std::tie(lc, rc) = ClassifyFilePair(env, *l, *r, source.Path(), target.Path(), std::nullopt, false,
                                                    &unreadable);
                if (IsCancelled())
                    return;
            }
            ResultRow leftRow = l != nullptr ? format.FileRow(l->FileName(), l->Size(), l->ModifiedDate(), lc) : ResultRow();
            ResultRow rightRow = r != nullptr ? format.FileRow(r->FileName(), r->Size(), r->ModifiedDate(), rc) : ResultRow();
            leftRow.mode = l != nullptr ? l->Mode() : 0;
            rightRow.mode = r != nullptr ? r->Mode() : 0;
            leftRow.unreadable = rightRow.unreadable = unreadable;
            left.push_back(std::move(leftRow));
            right.push_back(std::move(rightRow));
        } catch (...) {
            const Failure failure = CurrentFailure();
            if (failure.number() == Failure::BadFileNameOrNumber || failure.number() == Failure::FileNotFound)
                continue;
            m_services.errors.Report(failure, QStringLiteral("frmMain.ShowAllFilesInBothDirs"));
            return;
        }
    }
}

void CompareRun::CancelledEnd()
{
    m_services.compare.SetCompareCancelled(true);
    m_results.holdSource.clear();
    m_results.holdTarget.clear();
    if (m_hooks.removeListItemsAndShowNoCompareMsg)
        m_hooks.removeListItemsAndShowNoCompareMsg();
}

void CompareRun::CommonEnd(bool userCommand, bool started)
{
    CCompare& compare = m_services.compare;
    try {
        m_view.StopAnimation();
        m_view.Close();
        m_pump.Pump();
        compare.SetRunningCompare(false);
        if (m_hooks.bringToTop)
            m_hooks.bringToTop();
        if (!MenusEnabled())
            SetMenus(true);
        // Without step 2 the error flag still belongs to an earlier run.
        if (userCommand && started
            && ReportComparisonErrors(compare.ErrorsDuringCompare(), m_services.log, m_services.dialogs,
                                      static_cast<bool>(m_hooks.showErrorLog))
            && m_hooks.showErrorLog)
            m_hooks.showErrorLog();
        m_services.dialogs.ShowBusy(false);

        if (compare.CompareCancelled())
            return;
        if (userCommand && m_hooks.playCompareCompleteSound)
            m_hooks.playCompareCompleteSound();
        if (userCommand && m_hooks.showResultsSummary)
            m_hooks.showResultsSummary();
        RemindAboutFatNtfs(m_services.compare, m_services.lib, m_services.dialogs, m_results.source.Path(), m_results.target.Path());
    } catch (...) {
        m_services.errors.HandleUnexpectedError(QStringLiteral("frmMain.CompareDirs"));
    }
}
