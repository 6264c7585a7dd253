#include "sync/FileSync.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/Path.h"
#include "base/UserDialogs.h"
#include "platform/DriveQueries.h"
#include "sync/SyncPlan.h"
#include "sync/SyncHistory.h"
#include "sync/SyncJournal.h"
#include "sync/SyncRun.h"

#include <QDateTime>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace {

// Whether both paths name one object (the same path spelt twice, or two hard links): nothing to copy.
bool SameObject(const QString& a, const QString& b)
{
    struct stat sa{};
    struct stat sb{};
    return ::lstat(EncodeFileName(a).constData(), &sa) == 0 && ::lstat(EncodeFileName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// A copy that failed is told as every file operation tells it: the error number and the system's text,
// then the object it failed on.
QString CopyFailureText(const FileOps::Result& result)
{
    QString text = QString::number(result.error) + QStringLiteral(" - ") + result.errorText;
    if (!result.failedPath.isEmpty())
        text += QStringLiteral("\r\n\r\n") + result.failedPath;
    return text;
}

} // namespace

QString FileSyncTitle() { return QStringLiteral("File Sync"); }

QString NotEnoughSpaceForFileSyncText(const QString& drive)
{
    return QStringLiteral("Not enough space on drive ") + drive + QStringLiteral(" to synchronize files.");
}

namespace {

// The replacement as a synchronisation of one step, recorded in the journal (when there is one) so that
// "Undo Last Synchronization" takes it back; the replaced file is kept in the trash when asked.
FileOps::Result ReplaceRecorded(const FileSyncServices& services, const QString& source, const QString& target,
                                bool toFileOne, const FileOps::Control& control)
{
    if (services.appFolder.isEmpty())
        return FileOps::CopyAs(source, target, control);
    SyncStep step{toFileOne ? SyncStep::Action::CopyToLeft : SyncStep::Action::CopyToRight, QFileInfo(target).fileName(),
                  source, target};
    SyncJournal journal(services.appFolder);
    SyncRecording recording;
    if (journal.IsOpen()) {
        SyncJournal::RunRecord run;
        run.started = QDateTime::currentDateTime();
        run.left = QFileInfo(toFileOne ? target : source).absolutePath();
        run.right = QFileInfo(toFileOne ? source : target).absolutePath();
        run.method = FileSyncTitle();
        run.kept = services.keepForUndo;
        recording = {&journal, journal.BeginRun(run), services.keepForUndo};
    }
    FileOps::Result result;
    result.aborted = true; // until the step ends
    const SyncReport report = CarryOutSync({step}, control, [&](const SyncStep&, const FileOps::Result& r) { result = r; },
                                           recording);
    if (recording.run != 0)
        journal.EndRun(recording.run,
                       result.ok() ? SyncHistory::CompletedText()
                                   : report.cancelled ? SyncHistory::CancelledText() : SyncHistory::StoppedByErrorText(),
                       report.copied, 0, report.replaced, report.failures);
    return result;
}

} // namespace

FileSyncResult SynchronizeFile(const FileSyncServices& services, const QString& fileOne, const QString& fileTwo,
                               FileSyncDirection direction, const FileOps::Control& control)
{
    const bool toFileOne = direction == FileSyncDirection::FileOneSameAsFileTwo;
    const QString& target = toFileOne ? fileOne : fileTwo;
    const QString& source = toFileOne ? fileTwo : fileOne;
    try {
        // The folder that holds the target itself, not the one a link there points into.
        const QString targetFolder = QFileInfo(target).absolutePath();
        if (const int state = services.drives.FolderState(targetFolder))
            throw Failure::FromErrno(state, false);
        const qint64 sourceSize = services.drives.ObjectSize(source);
        if (sourceSize < 0)
            throw Failure::FromErrno(ENOENT, true);
        const qint64 need = sourceSize - qMax<qint64>(0, services.drives.ObjectSize(target));
        if (need >= 1) {
            const QString drive = services.drives.DriveName(targetFolder);
            if (GetAvailableDriveSpace(services.drives, drive) - need < 0) {
                services.dialogs.Message(NotEnoughSpaceForFileSyncText(drive), FileSyncTitle(), UserDialogs::Icon::Warning);
                return FileSyncResult::NotEnoughSpace;
            }
        }
        if (!SameObject(source, target)) {
            const FileOps::Result result = ReplaceRecorded(services, source, target, toFileOne, control);
            if (result.number == Failure::PathNotFound)
                throw Failure(result.number, result.errorText, Failure::ProgramSource(), result.error);
            if (!result.ok()) {
                services.dialogs.Message(CopyFailureText(result), QStringLiteral("API Error"), UserDialogs::Icon::Warning);
                return FileSyncResult::Failed;
            }
        }
        services.dialogs.Message(QStringLiteral("File synchronization completed successfully."), FileSyncTitle(),
                                 UserDialogs::Icon::Information);
        return FileSyncResult::Synchronised;
    } catch (const Failure& failure) {
        if (failure.number() == Failure::PathNotFound)
            services.dialogs.Message(QStringLiteral("Problems accessing the target drive."), FileSyncTitle(),
                                     UserDialogs::Icon::Warning);
        else
            services.errors.Report(failure, QStringLiteral("frmFileSync.cmdOK_Click"));
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmFileSync.cmdOK_Click"));
    }
    return FileSyncResult::Failed;
}
