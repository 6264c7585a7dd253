#pragma once

#include "model/CFile.h"
#include "model/KeyedList.h"
#include "model/ScanContext.h"

#include <QString>
#include <optional>

class ErrorHandler;
class VolumeQueries;

struct CFileKey
{
    const QString& operator()(const CFile& f) const { return f.FileName(); }
};
struct SubDirKey
{
    const QString& operator()(const QString& s) const { return s; }
};

// One folder of a comparison: its path, the files found directly in it and the names of its immediate
// sub-folders ("/Docs"), both in listing order. Keys are exact names; look-ups find the exact spelling
// first and otherwise a name equal ignoring case (see KeyedList). The path checks and path utilities
// that the comparison run and the file operations use live here too; the check of a path before a
// comparison is IsValidPath of PathCheck.h.
//
// Failures never leave a member function: each catches at its boundary, reports through the
// error handler under its label ("CDir.AddSubDir") and answers its default.
class CDir final
{
public:
    using FileList = KeyedList<CFile, CFileKey>;
    using SubDirList = KeyedList<QString, SubDirKey>;

    explicit CDir(ErrorHandler& errors);
    ~CDir();
    Q_DISABLE_COPY(CDir)
    CDir(CDir&&) noexcept;
    CDir& operator=(CDir&&) noexcept;

    const FileList& Files() const { return m_files; }
    const SubDirList& SubDirs() const { return m_subDirs; }
    qsizetype FileCount() const { return m_files.Count(); }
    qsizetype SubDirCount() const { return m_subDirs.Count(); }

    const QString& Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }

    // The folder with a trailing "/" (empty stays empty).
    const QString& Path() const { return m_path; }
    void SetPath(const QString& path);
    // The mount point of the file system holding Path ("/", "/media/usb"); "" while Path is empty. Worked
    // out on first use after Path changes, since reading the mount table for every sub-folder would cost.
    const QString& DriveName() const;

    // Adds name ("/Docs") to SubDirs; an exact duplicate is skipped silently, the first staying.
    void AddSubDir(const QString& name);
    // Adds a file record; an exact duplicate is skipped silently. Answers whether it was added.
    bool AddFile(CFile file);

    // Drops both lists and empties Name and Path.
    void Clear();

    // The record for name, or nullptr. The pointer stays valid until the lists change.
    const CFile* GetFile(const QString& name) const;
    // The stored sub-folder name for name, or "" when none.
    QString GetSubDir(const QString& name) const;
    bool DoesFileExistInDir(const QString& name, const CFile** file = nullptr) const;
    bool DoesSubDirExistInDir(const QString& name) const;

    // Fills Files and SubDirs with the entries of Path that the filters and exclusions let through. Not
    // recursive. See ScanContext for progress, cancel and the threads it may run on.
    ScanResult PopulateSelfWithFiles(const QString& includeFilters, const QString& excludeFilters,
                                     bool excludeSystemFiles, bool excludeHiddenFiles, bool excludeSystemFolders,
                                     bool excludeHiddenFolders, const ScanContext& scan = {});
    // "No Filters" when the include text is empty or "*" and the exclude text is empty, else "Filters".
    static QString FilterStatusText(const QString& includeFilters, const QString& excludeFilters);

    // Creates every missing folder level of path and answers the number of levels: "/A/B" gives 3 ("/",
    // "/A/", "/A/B/"), a relative "a/b" gives 2. Failures are passed over silently.
    static int CreateNestedFoldersByPath(const QString& path);
    // The parent folder: "/a/b" and "/a/b/" give "/a", "/a" gives "/", "/" and "" stay, a name without
    // "/" stays.
    static QString GetParentDir(const QString& path);

    // Stands in for the system's drive queries (a test of a medium that is not ready).
    void SetVolumeQueries(const VolumeQueries* volumes) { m_volumes = volumes; }
    const VolumeQueries& Volumes() const { return *m_volumes; }

private:
    ErrorHandler* m_errors;
    const VolumeQueries* m_volumes;
    FileList m_files;
    SubDirList m_subDirs;
    QString m_name;
    QString m_path;
    mutable std::optional<QString> m_driveName;
};
