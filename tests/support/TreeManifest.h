#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What a tree holds, one line per object, so that two trees (a source and its copy, a tree before and
// after an operation) can be compared with one EXPECT_EQ and a readable difference.
//
// A line is the relative path, a tab, then fields separated by blanks:
//   .            dir mode=0755 mtime=1685620800.000000000
//   a/b.txt      file mode=0644 size=5 sha1=... mtime=1685620800.123456789 owner=0:0 xattr=user.k=6869 hardlink=a/b.txt
//   a/link       link mode=0777 target=../x mtime=...
//   dev/null     chr mode=0666 rdev=1,3 ...
// The top folder is ".". Paths are the names' bytes: printable UTF-8 as it is, every other byte (and "\")
// as \xHH. Lines are sorted by the path's bytes. Links are never followed.
struct ManifestOptions
{
    // Permission bits, setuid/setgid/sticky included (four octal digits).
    bool modes = true;
    // Modification times. Folder times change with every name made inside, so they can be left out alone.
    bool times = true;
    bool folderTimes = true;
    // A link's own time: sftp has no call that sets it, so a copy over sshfs cannot keep it.
    bool linkTimes = true;
    // Times are rounded down to this many nanoseconds: 1 keeps them whole, 2'000'000'000 matches FAT,
    // 1'000'000'000 a network folder that keeps seconds.
    qint64 timeResolutionNs = 1;
    // uid:gid
    bool owners = false;
    // Extended attributes as name=hex value, sorted; only the user.* ones unless allXattrs.
    bool xattrs = false;
    bool allXattrs = false;
    // For files that share their inode with another file of the tree: the group's first path.
    bool hardLinks = true;
    // "sparse" on files with fewer allocated bytes than their size.
    bool sparse = false;
};

// The lines of the tree below root (root itself included as "."). An object that cannot be read shows as
// "<path>\tunreadable <error>".
QStringList TreeManifest(const QString& root, const ManifestOptions& options = {});

// The lines that differ between two manifests, in path order: "- line" only in a, "+ line" only in b.
QStringList ManifestDiff(const QStringList& a, const QStringList& b);
// The same as one text, for a failure message.
QString ManifestDiffText(const QStringList& a, const QStringList& b);

// The path field as TreeManifest writes it for a name's raw bytes.
QString ManifestPath(const QByteArray& rawPath);
