#include "model/PathUtils.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/Path.h"
#include "platform/ParvexLib.h"
#include "platform/Volume.h"

#include <QDir>
#include <sys/stat.h>

QString AddTrailingBackslash(const QString& text) { return Path::WithSlash(text); }

QString RemoveTrailingBackslash(const QString& text) { return Path::WithoutSlash(text); }

QString AbsolutePath(const QString& path)
{
    if (path.isEmpty())
        return QDir::currentPath();
    QString absolute =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    if (Path(path).EndsWithSlash())
        absolute = Path::WithSlash(absolute);
    return absolute;
}

bool FolderExists(const ParvexLib& lib, ErrorHandler& errors, const QString& path)
{
    try {
        if (path.contains(QChar(0)))
            throw Failure(Failure::BadFileNameOrNumber, Failure::DescriptionOf(Failure::BadFileNameOrNumber));
        if (lib.IsLoaded() && (lib.PBFolderExists(path) || lib.APIFolderExists(path)))
            return true;
        const QString folder = AddTrailingBackslash(path);
        if (folder.isEmpty())
            return false;
        struct stat st;
        return ::stat(EncodeFileName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    } catch (...) {
        const Failure failure = CurrentFailure();
        if (failure.number() != Failure::BadFileNameOrNumber)
            errors.Report(failure, QStringLiteral("modParvex.FolderExists"));
        return false;
    }
}

bool APIDriveExists(const QString& drive)
{
    return Volume::IsMounted(drive);
}
