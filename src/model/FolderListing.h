#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>
#include <vector>

// The entries of one folder, read in a single pass of getdents64, with the type the directory reported for
// each. Stat() completes one entry through the folder's descriptor (fstatat), so a scan pays for a stat
// only for the entries it keeps, and never builds a full path or a QFileInfo per entry.
//
// Names are kept as the bytes the folder holds; Name() is their reversible text (base/Path.h), so a name
// that is not UTF-8 is listed like any other and can be found again. A walk opens each sub-folder from
// its parent's listing, by descriptor, so a tree deeper than the longest path the system takes in one
// call is walked like any other.
//
// Symbolic links are objects of their own, whatever they point to (a file, a folder, nothing): reported as
// file entries with the link's own size and time and Details::linkObject set, compared by their target
// text, so that no walk ever enters a folder through a link (a link to "/" or to "..", or two links to
// the next folder at every level, would make a walk endless or exponential and list another tree's files
// as this one's) and no link is taken for the file it happens to point to today.
//
// Left out of every listing: this program's own temporary files (".parvex-PID-N.tmp") and, at the top of
// a file system, the trash folders ".Trash" and ".Trash-UID".
class FolderListing final
{
public:
    enum class Type : unsigned char { Folder, File, Special, Link, Unknown };

    struct Details
    {
        Type type = Type::File;    // Folder, File or Special, links resolved
        bool danglingLink = false;
        bool link = false;         // the entry itself is a symbolic link (dangling or not)
        // A link compared by its target text, never followed (every link is one).
        bool linkObject = false;
        qint64 size = 0;
        qint64 modified = 0;       // FILETIME ticks of st_mtim
        dev_t device = 0;
        ino_t inode = 0;
        unsigned mode = 0;         // permission bits with set-ID and sticky (07777)
        qint64 linkedFileSize = 0; // a link to a regular file: that file's size (for folder totals)
    };

    // Lists the folder at folder (a path of any length).
    explicit FolderListing(const QString& folder);
    // Lists the sub-folder that is entry i of parent, opened through parent's descriptor and never through
    // a symbolic link (a link in its place since the listing fails with ELOOP or ENOTDIR).
    FolderListing(const FolderListing& parent, qsizetype i);
    ~FolderListing();
    Q_DISABLE_COPY_MOVE(FolderListing)

    // Whether the folder could be opened; Error() then tells why not.
    bool IsOpen() const { return m_fd >= 0; }
    // The errno of a failed open or of a listing that broke off (0 when none).
    int Error() const { return m_error; }
    // False when the listing broke off; the entries read until then are kept.
    bool Complete() const { return m_complete; }

    qsizetype Count() const { return static_cast<qsizetype>(m_entries.size()); }
    // The type the directory reported: Link and Unknown need Stat() to be resolved.
    Type TypeOf(qsizetype i) const { return m_entries[static_cast<size_t>(i)].type; }
    const char* RawName(qsizetype i) const { return m_names.constData() + m_entries[static_cast<size_t>(i)].offset; }
    int RawNameLength(qsizetype i) const { return m_entries[static_cast<size_t>(i)].length; }
    // The name as reversible text: EncodeFileName(Name(i)) gives back the raw name.
    QString Name(qsizetype i) const;
    // Names beginning with "." are this platform's hidden entries.
    bool IsHidden(qsizetype i) const { return RawName(i)[0] == '.'; }

    // Resolves entry i. Answers false with the errno in *error when it vanished since the listing
    // (ENOENT) or cannot be examined.
    bool Stat(qsizetype i, Details& out, int* error) const;

    // The folder's descriptor, for fstatat/openat of its entries.
    int Fd() const;

private:
    void Read(int fd);

    struct Entry
    {
        qsizetype offset;
        int length;
        Type type;
    };

    int m_fd = -1;
    QByteArray m_names;    // every name, each followed by a NUL
    std::vector<Entry> m_entries;
    int m_error = 0;
    bool m_complete = true;
};
