#include "sync/SyncSession.h"

#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "sync/SyncHistory.h"
#include "sync/SyncJournal.h"
#include "sync/SyncMemory.h"

#include <QDateTime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The files, links and special files below the folder open at fd, at any depth, never through a link.
qint64 CountObjectsIn(int fd)
{
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return 0;
    }
    qint64 count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type != DT_DIR) {
            ++count;
            continue;
        }
        const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child >= 0)
            count += CountObjectsIn(child);
    }
    ::closedir(dir);
    return count;
}

// The objects an object stands for: 1 for a file or link, everything below a folder.
qint64 CountObjects(const QString& path)
{
    const QByteArray native = EncodeFileName(Path::WithoutSlash(path));
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return 1;
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? 0 : CountObjectsIn(fd);
}

quint64 DeviceOf(const QString& folder)
{
    struct stat st {};
    return ::stat(EncodeFileName(Path::WithoutSlash(folder)).constData(), &st) == 0 ? quint64(st.st_dev) : 0;
}

// The objects of a side the comparison saw: file rows and the files of differing sub-folders. The side
// may hold more (identical sub-folders, filtered objects), never fewer.
qint64 SeenObjects(const SyncInput& in, bool left)
{
    qint64 count = 0;
    for (const ResultRow& row : left ? in.left : in.right)
        if (IsRealRow(row) && !row.IsFolder())
            ++count;
    for (const CSubFolderDiffs& diffs : in.subFolders)
        for (const ResultRow& row : left ? diffs.DiffOne() : diffs.DiffTwo())
            if (IsRealRow(row) && !row.text.endsWith(QLatin1Char('/')))
                ++count;
    return count;
}

QString SideWord(bool left) { return left ? QStringLiteral("left") : QStringLiteral("right"); }

} // namespace

QString SyncOutcome::RecordText() const
{
    switch (end) {
    case SyncEnd::Cancelled: return SyncHistory::CancelledText();
    case SyncEnd::StoppedByError: return SyncHistory::StoppedByErrorText();
    case SyncEnd::CompletedWithErrors: return SyncHistory::CompletedWithErrorsText();
    default: break;
    }
    return SyncHistory::CompletedText();
}

QString WithheldDeletionsText(const QStringList& withheld)
{
    const QString crLf = QStringLiteral("\r\n");
    return QStringLiteral("Nothing was deleted in these sub-folders, because the comparison could not read them completely:")
           + crLf + crLf + withheld.join(crLf);
}

QString DeletionGuardReason(const SyncInput& input, const std::vector<SyncStep>& plan, const DeletionGuard& guard,
                            const std::optional<std::pair<quint64, quint64>>& lastDevices)
{
    if (!guard.on)
        return QString();
    const bool limited = guard.maxCount >= 0 || guard.maxPercent >= 0;
    qint64 deletes[2] = {0, 0};
    for (const SyncStep& step : plan) {
        if (!step.IsDelete() || step.IsFolderEntry())
            continue;
        const bool left = step.action == SyncStep::Action::DeleteLeft;
        if (step.keepExcluded) {
            for (const QString& object : step.deletable)
                deletes[left ? 0 : 1] += CountObjects(object);
        } else {
            deletes[left ? 0 : 1] += step.text.startsWith(QLatin1Char('/')) && !step.inSubFolder ? CountObjects(step.source) : 1;
        }
    }
    const QString folders[2] = {input.leftFolder, input.rightFolder};
    for (const bool left : {true, false}) {
        const qint64 d = deletes[left ? 0 : 1];
        if (d == 0)
            continue;
        if (guard.maxCount >= 0 && d > guard.maxCount)
            return QStringLiteral("This synchronization would delete %1 objects on the %2, more than the %3 allowed.")
                .arg(d).arg(SideWord(left)).arg(guard.maxCount);
        const int share = guard.maxPercent >= 0 ? guard.maxPercent : guard.sharePercent;
        if (guard.maxCount >= 0 && guard.maxPercent < 0)
            continue;
        // The objects the comparison saw are enough to know most runs are fine; the side is counted only
        // when they are not.
        qint64 total = SeenObjects(input, left);
        if (d * 100 <= qint64(share) * total && (limited || total >= guard.floor))
            continue;
        total = qMax(total, CountObjects(folders[left ? 0 : 1]));
        if (!limited && total < guard.floor)
            continue;
        if (d * 100 > qint64(share) * total)
            return QStringLiteral("This synchronization would delete %1 of the %2 objects in the %3 folder (%4%), more "
                                  "than %5%. Check that the folders are the ones you meant: a disk that is not mounted "
                                  "or an empty folder looks like this.")
                .arg(d).arg(total).arg(SideWord(left)).arg(total > 0 ? d * 100 / total : 100).arg(share);
    }
    if (limited || !lastDevices)
        return QString();
    const quint64 now[2] = {DeviceOf(input.leftFolder), DeviceOf(input.rightFolder)};
    const quint64 then[2] = {lastDevices->first, lastDevices->second};
    for (const int side : {0, 1})
        if (now[side] != 0 && then[side] != 0 && now[side] != then[side])
            return QStringLiteral("The %1 folder %2 is on another file system than at the last synchronization of "
                                  "these folders. A disk that is not mounted leaves its empty mount point behind.")
                .arg(SideWord(side == 0), Path::WithoutSlash(folders[side]));
    return QString();
}

namespace {

// Whether a step changes something on the left side (otherwise it changes the right one).
bool WritesLeft(const SyncStep& step)
{
    switch (step.action) {
    case SyncStep::Action::CopyToLeft:
    case SyncStep::Action::DeleteLeft:
    case SyncStep::Action::ModeToLeft:
    case SyncStep::Action::RenameLeft:
    case SyncStep::Action::MoveLeft: return true;
    case SyncStep::Action::CopyToRight:
    case SyncStep::Action::DeleteRight:
    case SyncStep::Action::ModeToRight:
    case SyncStep::Action::RenameRight:
    case SyncStep::Action::MoveRight: return false;
    }
    return true;
}

} // namespace

SyncOutcome RunSyncSession(const SyncRequest& request, const SyncServices& services, SyncFrontEnd& frontEnd)
{
    SyncOutcome outcome;
    try {
        outcome.plan = PlanSync(request.input, &outcome.withheld, &outcome.conflicts);
        // The journal never stops a run: one that cannot be used is said once and the run goes ahead.
        std::optional<SyncJournal> journal;
        if (!request.appFolder.isEmpty()) {
            journal.emplace(request.appFolder);
            outcome.journalProblem = journal->Problem();
        }
        const QString& left = request.input.leftFolder;
        const QString& right = request.input.rightFolder;
        std::optional<std::pair<quint64, quint64>> lastDevices;
        if (journal && journal->IsOpen())
            lastDevices = journal->LastDevices(Path::WithoutSlash(left), Path::WithoutSlash(right));
        outcome.guardReason = DeletionGuardReason(request.input, outcome.plan, request.guard, lastDevices);
        if ((request.confirm || !outcome.guardReason.isEmpty())
            && !frontEnd.ConfirmPlan(outcome.plan, outcome.withheld, outcome.guardReason, outcome.conflicts)) {
            if (!outcome.guardReason.isEmpty())
                outcome.end = SyncEnd::Guarded;
            return outcome;
        }

        const SpaceCheck space = EnoughSpaceForSync({services.dialogs, services.errors, services.drives},
                                                    request.input.leftFolder, request.input.rightFolder,
                                                    BytesOfPlan(outcome.plan));
        if (space.reported) {
            outcome.end = SyncEnd::Refused;
            return outcome;
        }
        if (!space.enough && !frontEnd.ConfirmLowSpace(space, LowDiskSpaceText(services.lib, space)))
            return outcome;

        SyncRecording recording;
        if (journal && journal->IsOpen()) {
            SyncJournal::RunRecord run;
            run.started = QDateTime::currentDateTime();
            run.left = Path::WithoutSlash(left);
            run.right = Path::WithoutSlash(right);
            run.method = request.methodText;
            run.leftDev = DeviceOf(left);
            run.rightDev = DeviceOf(right);
            run.kept = request.keepForUndo;
            recording = {&*journal, journal->BeginRun(run), request.keepForUndo};
            outcome.journalRun = recording.run;
        }
        // The memory's walk of a side the plan does not write to goes on while the run does.
        PendingWalk early[2];
        if (journal && journal->IsOpen()) {
            bool written[2] = {false, false};
            for (const SyncStep& step : outcome.plan)
                written[WritesLeft(step) ? 0 : 1] = true;
            for (const int side : {0, 1})
                if (!written[side])
                    early[side] = std::async(std::launch::async, [folder = side == 0 ? left : right] { return WalkSide(folder); });
        }
        SyncReport report;
        size_t number = 0;
        const size_t total = outcome.plan.size();
        frontEnd.RunWork(total, [&](const FileOps::Control& control) {
            report = CarryOutSync(
                outcome.plan, control,
                [&](const SyncStep& step, const FileOps::Result& result) {
                    if (result.ok())
                        outcome.done.push_back(step);
                    else
                        outcome.failures.push_back({step, result});
                    frontEnd.StepEnded(step, result, ++number, total);
                },
                recording);
        });

        if (report.cancelled)
            outcome.end = SyncEnd::Cancelled;
        else if (report.stopped)
            outcome.end = SyncEnd::StoppedByError;
        else if (report.failures > 0 || !outcome.withheld.isEmpty())
            outcome.end = SyncEnd::CompletedWithErrors;
        else
            outcome.end = SyncEnd::Completed;

        if (recording.run != 0) {
            recording.journal->EndRun(recording.run, outcome.RecordText(), report.copied, report.deleted, report.replaced,
                                      report.failures);
            if (outcome.journalProblem.isEmpty())
                outcome.journalProblem = recording.journal->Problem();
        }
        // What both sides hold now is the memory the next comparison of the pair starts from.
        if (journal && journal->IsOpen())
            outcome.memoryProblem = RememberPair(*journal, left, right, &early[0], &early[1]);
        outcome.recorded = AppendSyncRecord(request.appFolder, QDateTime::currentDateTime(), request.historyLeft, request.historyRight,
                         outcome.RecordText(), request.historyEntries, services.errors, request.errorLabel);
        // The chime means "done": a run that was cancelled or stopped by a failure is not.
        if ((outcome.end == SyncEnd::Completed || outcome.end == SyncEnd::CompletedWithErrors) && request.sound)
            frontEnd.PlayCompletionSound();
        frontEnd.Finished(outcome);
    } catch (...) {
        // Whatever ran stays done; the record is left out as for any unexpected end.
        outcome.end = SyncEnd::Unexpected;
        services.errors.HandleUnexpectedError(request.errorLabel);
    }
    return outcome;
}
