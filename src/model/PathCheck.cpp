#include "model/PathCheck.h"

#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "model/CDir.h"
#include "model/PathUtils.h"
#include "platform/ParvexLib.h"
#include "platform/Volume.h"

#include <cerrno>
#include <dirent.h>
#include <memory>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QChar Quote = QLatin1Char('"');

QString CompareFailedTitle() { return QStringLiteral("Compare Failed"); }

PathVerdict Refusal(const QString& text)
{
    PathVerdict verdict;
    verdict.kind = PathVerdict::Kind::Refused;
    verdict.text = text;
    verdict.title = CompareFailedTitle();
    return verdict;
}

} // namespace

PathVerdict CheckPathOnce(const QString& pathIn, const VolumeQueries& volumes, const ParvexLib& lib,
                          ErrorHandler& errors)
{
    QString path = pathIn;
    try {
        if (path.size() < 2 && path != QLatin1String("/")) {
            PathVerdict verdict;
            verdict.kind = PathVerdict::Kind::Refused;
            verdict.text = Quote + path + Quote + QStringLiteral(" is not a valid path.") + CrLf + CrLf
                         + QStringLiteral("Paths must contain at least two characters.") + CrLf
                         + QStringLiteral("ex)  C:");
            verdict.title = QStringLiteral("Invalid Path");
            verdict.icon = UserDialogs::Icon::Information;
            verdict.throughHelperLibrary = true;
            return verdict;
        }
        path = AbsolutePath(path);

        int lastError = 0;
        if (FolderExists(lib, errors, path)) {
            // Existing is not enough: the comparison has to list it.
            const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(EncodeFileName(path).constData()),
                                                           &::closedir);
            if (!dir)
                throw Failure::FromErrno(errno, false);
            errno = 0;
            if (::readdir(dir.get()) == nullptr && errno != 0)
                throw Failure::FromErrno(errno, false);
            return {};
        }
        const QString drive = volumes.MountPointOf(path, &lastError);
        const bool driveExists = !drive.isEmpty() && volumes.IsMounted(drive);
        if (driveExists) {
            if (volumes.IsReady(drive, nullptr))
                return Refusal(QStringLiteral("An error occurred while processing ") + Quote + path + Quote
                               + QStringLiteral(".") + CrLf + CrLf
                               + QStringLiteral("Make sure that the folder exists and that you have "
                                                "permission to access it."));
            PathVerdict verdict =
                Refusal(QStringLiteral("Drive ") + Quote + drive + Quote + QStringLiteral(" is not ready."));
            verdict.kind = PathVerdict::Kind::NotReady;
            return verdict;
        }

        if (lastError == 0 && !drive.isEmpty())
            return Refusal(QStringLiteral("Drive ") + Quote + drive + Quote + QStringLiteral(" was not found.") + CrLf
                           + CrLf
                           + QStringLiteral("Click the folder icon with three dots in it to select an existing path."));
        if (lastError == 0)
            return Refusal(QStringLiteral("An error occurred while processing ") + Quote + path + Quote
                           + QStringLiteral(".") + CrLf + CrLf
                           + QStringLiteral("Make sure that the drive exists and that you have permission to access it."));
        return Refusal(QStringLiteral("Error Number: ") + QString::number(lastError) + CrLf + CrLf
                       + QStringLiteral("An unexpected error occurred while accessing ") + path);
    } catch (...) {
        const Failure failure = CurrentFailure();
        if (failure.number() == Failure::PermissionDenied)
            return Refusal(QStringLiteral("An error occurred while processing ") + Quote + path + Quote
                           + QStringLiteral(".") + CrLf + CrLf
                           + QStringLiteral("You do not have permission to access this folder.  "
                                            "Please see your Network Administrator."));
        PathVerdict verdict;
        verdict.kind = PathVerdict::Kind::Failed;
        verdict.failure = failure;
        return verdict;
    }
}

bool IsValidPath(const CDir& dir, const PathCheckEnv& env, const QString& path)
{
    for (;;) {
        const PathVerdict verdict = CheckPathOnce(path, dir.Volumes(), env.lib, env.errors);
        switch (verdict.kind) {
        case PathVerdict::Kind::Valid:
            return true;
        case PathVerdict::Kind::Refused:
            if (verdict.throughHelperLibrary && env.lib.IsLoaded())
                env.lib.ShowInformationMessage(verdict.text, verdict.title);
            else
                env.dialogs.Message(verdict.text, verdict.title, verdict.icon);
            return false;
        case PathVerdict::Kind::NotReady:
            if (env.dialogs.Message(verdict.text, verdict.title, verdict.icon, UserDialogs::Buttons::RetryCancel)
                != UserDialogs::Answer::Retry)
                return false;
            continue;
        case PathVerdict::Kind::Failed:
            env.errors.Report(*verdict.failure, QStringLiteral("CDir.IsValidPath"));
            return false;
        }
    }
}
