#include "model/CDir.h"

#include "app/AppContext.h"
#include "app/Failure.h"
#include "app/UserDialogs.h"
#include "model/PathUtils.h"
#include "platform/Volume.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QChar Quote = QLatin1Char('"');

QString CompareFailedTitle() { return QStringLiteral("Compare Failed"); }

} // namespace

CDir::CDir(AppContext& ctx) : m_ctx(&ctx), m_volumes(&VolumeQueries::System()) {}

CDir::~CDir() = default;
CDir::CDir(CDir&&) noexcept = default;
CDir& CDir::operator=(CDir&&) noexcept = default;

void CDir::SetPath(const QString& path)
{
    m_path = AddTrailingBackslash(path);
    m_driveName.reset();
}

const QString& CDir::DriveName() const
{
    if (!m_driveName)
        m_driveName = m_path.isEmpty() ? QString() : m_volumes->MountPointOf(m_path, nullptr);
    return *m_driveName;
}

void CDir::AddSubDir(const QString& name)
{
    try {
        m_subDirs.Add(name);
    } catch (...) {
        m_ctx->Errors().HandleUnexpectedError(QStringLiteral("CDir.AddSubDir"));
    }
}

bool CDir::AddFile(CFile file)
{
    try {
        return m_files.Add(std::move(file));
    } catch (...) {
        m_ctx->Errors().HandleUnexpectedError(QStringLiteral("CDir.AddFile"));
        return false;
    }
}

void CDir::Clear()
{
    m_files.Clear();
    m_subDirs.Clear();
    m_name.clear();
    SetPath(QString());
}

const CFile* CDir::GetFile(const QString& name) const { return m_files.Find(name); }

QString CDir::GetSubDir(const QString& name) const
{
    const QString* found = m_subDirs.Find(name);
    return found != nullptr ? *found : QString();
}

bool CDir::DoesFileExistInDir(const QString& name, const CFile** file) const
{
    const CFile* found = GetFile(name);
    if (file != nullptr)
        *file = found;
    return found != nullptr;
}

bool CDir::DoesSubDirExistInDir(const QString& name) const { return !GetSubDir(name).isEmpty(); }

QString CDir::FilterStatusText(const QString& includeFilters, const QString& excludeFilters)
{
    const bool noFilters = (includeFilters.isEmpty() || includeFilters == QLatin1String("*")) && excludeFilters.isEmpty();
    return noFilters ? QStringLiteral("No Filters") : QStringLiteral("Filters");
}

// Order of the checks: a path of one character (other than "/") is refused; the path is made absolute;
// an existing folder must also be readable; for a missing one the mount point ("drive") decides between
// "folder missing", "drive not ready" (Retry/Cancel) and "drive not found".
bool CDir::IsValidPath(const QString& pathIn)
{
    QString path = pathIn;
    try {
        if (path.size() < 2 && path != QLatin1String("/")) {
            const QString text = Quote + path + Quote + QStringLiteral(" is not a valid path.") + CrLf + CrLf
                               + QStringLiteral("Paths must contain at least two characters.") + CrLf
                               + QStringLiteral("ex)  C:");
            const QString title = QStringLiteral("Invalid Path");
            if (m_ctx->Lib().IsLoaded())
                m_ctx->Lib().ShowInformationMessage(text, title);
            else
                m_ctx->Dialogs().Message(text, title, UserDialogs::Icon::Information);
            return false;
        }
        path = AbsolutePath(path);

        int lastError = 0;
        QString drive;
        for (;;) {
            if (FolderExists(*m_ctx, path)) {
                // Existing is not enough: the comparison has to list it.
                const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(path).constData()),
                                                               &::closedir);
                if (!dir)
                    throw Failure::FromErrno(errno, false);
                errno = 0;
                if (::readdir(dir.get()) == nullptr && errno != 0)
                    throw Failure::FromErrno(errno, false);
                return true;
            }
            drive = m_volumes->MountPointOf(path, &lastError);
            const bool driveExists = !drive.isEmpty() && m_volumes->IsMounted(drive);
            if (!driveExists)
                break;
            if (m_volumes->IsReady(drive, nullptr)) {
                m_ctx->Dialogs().Message(QStringLiteral("An error occurred while processing ") + Quote + path + Quote
                                             + QStringLiteral(".") + CrLf + CrLf
                                             + QStringLiteral("Make sure that the folder exists and that you have "
                                                              "permission to access it."),
                                         CompareFailedTitle(), UserDialogs::Icon::Warning);
                return false;
            }
            const UserDialogs::Answer answer =
                m_ctx->Dialogs().Message(QStringLiteral("Drive ") + Quote + drive + Quote + QStringLiteral(" is not ready."),
                                         CompareFailedTitle(), UserDialogs::Icon::Warning,
                                         UserDialogs::Buttons::RetryCancel);
            if (answer != UserDialogs::Answer::Retry)
                return false;
        }

        QString text;
        if (lastError == 0 && !drive.isEmpty()) {
            text = QStringLiteral("Drive ") + Quote + drive + Quote + QStringLiteral(" was not found.") + CrLf + CrLf
                 + QStringLiteral("Click the folder icon with three dots in it to select an existing path.");
        } else if (lastError == 0) {
            text = QStringLiteral("An error occurred while processing ") + Quote + path + Quote + QStringLiteral(".")
                 + CrLf + CrLf
                 + QStringLiteral("Make sure that the drive exists and that you have permission to access it.");
        } else {
            text = QStringLiteral("Error Number: ") + QString::number(lastError) + CrLf + CrLf
                 + QStringLiteral("An unexpected error occurred while accessing ") + path;
        }
        m_ctx->Dialogs().Message(text, CompareFailedTitle(), UserDialogs::Icon::Warning);
        return false;
    } catch (...) {
        const Failure failure = CurrentFailure();
        if (failure.number() == Failure::PermissionDenied) {
            m_ctx->Dialogs().Message(QStringLiteral("An error occurred while processing ") + Quote + path + Quote
                                         + QStringLiteral(".") + CrLf + CrLf
                                         + QStringLiteral("You do not have permission to access this folder.  "
                                                          "Please see your Network Administrator."),
                                     CompareFailedTitle(), UserDialogs::Icon::Warning);
        } else {
            m_ctx->Errors().Report(failure, QStringLiteral("CDir.IsValidPath"));
        }
        return false;
    }
}

int CDir::CreateNestedFoldersByPath(const QString& path)
{
    int levels = 0;
    try {
        const QString full = AddTrailingBackslash(path);
        QString current;
        qsizetype start = 0;
        if (full.startsWith(QLatin1Char('/'))) {
            current = QStringLiteral("/");
            ++levels;
            start = 1;
        }
        while (start < full.size()) {
            const qsizetype slash = full.indexOf(QLatin1Char('/'), start);
            const QString piece = full.mid(start, slash - start);
            start = slash + 1;
            if (piece.isEmpty())
                continue; // "//" names no level
            current += piece + QLatin1Char('/');
            ++levels;
            // An existing level, or one that cannot be made, is passed over: the caller checks the result.
            ::mkdir(QFile::encodeName(current).constData(), 0777);
        }
    } catch (...) {
    }
    return levels;
}

QString CDir::GetParentDir(const QString& path)
{
    if (path.isEmpty() || path == QLatin1String("/"))
        return path;
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return path;
    if (slash == 0)
        return QStringLiteral("/");
    return trimmed.left(slash);
}
