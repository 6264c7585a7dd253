#include "model/PathUtils.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "platform/ParvexLib.h"
#include "platform/Volume.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

QString AddTrailingBackslash(const QString& text)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('/')))
        return text;
    return text + QLatin1Char('/');
}

QString RemoveTrailingBackslash(const QString& text)
{
    if (text.endsWith(QLatin1Char('/')))
        return text.left(text.size() - 1);
    return text;
}

QString AbsolutePath(const QString& path)
{
    if (path.isEmpty())
        return QDir::currentPath();
    QString absolute =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    if (path.endsWith(QLatin1Char('/')))
        absolute = AddTrailingBackslash(absolute);
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
        return ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode);
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
