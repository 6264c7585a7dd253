#include "model/CDir.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/Path.h"
#include "model/PathUtils.h"
#include "platform/FileOps.h"
#include "platform/Volume.h"

#include <cerrno>
#include <sys/stat.h>

CDir::CDir(ErrorHandler& errors) : m_errors(&errors), m_volumes(&VolumeQueries::System()) {}

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
        m_errors->HandleUnexpectedError(QStringLiteral("CDir.AddSubDir"));
    }
}

bool CDir::AddFile(CFile file)
{
    try {
        return m_files.Add(std::move(file));
    } catch (...) {
        m_errors->HandleUnexpectedError(QStringLiteral("CDir.AddFile"));
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

int CDir::CreateNestedFoldersByPath(const QString& path)
{
    int levels = 0;
    try {
        const QString full = AddTrailingBackslash(path);
        if (full.startsWith(QLatin1Char('/')))
            ++levels;
        for (const QString& piece : full.split(QLatin1Char('/')))
            if (!piece.isEmpty()) // "//" names no level
                ++levels;
        // The folders are made like every other change to the user's folders; a level that cannot be
        // made is passed over: the caller checks the result.
        if (levels > 0)
            FileOps::MakeFolders(AbsolutePath(full));
    } catch (...) {
    }
    return levels;
}

QString CDir::GetParentDir(const QString& path)
{
    const ::Path parent = ::Path(path).ParentPath();
    return parent.IsEmpty() ? path : parent.Text();
}
