#include "TreeManifest.h"

#include "base/ErrorHandler.h"

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct Object
{
    QByteArray path;  // relative, raw bytes; "." for the top
    struct stat st {};
    int error = 0;
    QString fields;   // everything after the type that needs the object open (sha1, target, xattrs)
};

// One valid UTF-8 sequence at text[i]: its code point and length, or length 0 when the bytes are not one.
std::pair<char32_t, int> DecodeOne(const QByteArray& text, qsizetype i)
{
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char first = byte(i);
    if (first < 0x80)
        return {first, 1};
    int length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((first & 0xE0) == 0xC0) {
        length = 2;
        cp = first & 0x1F;
        least = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3;
        cp = first & 0x0F;
        least = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4;
        cp = first & 0x07;
        least = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + length > text.size())
        return {0, 0};
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return {0, 0};
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {0, 0};
    return {cp, length};
}

QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex()); }

QString Octal4(mode_t mode) { return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0')); }

QString Time(const timespec& t, qint64 resolution)
{
    qint64 ns = static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
    if (resolution > 1) {
        qint64 rest = ns % resolution;
        if (rest < 0)
            rest += resolution;
        ns -= rest;
    }
    qint64 seconds = ns / 1000000000;
    qint64 fraction = ns % 1000000000;
    if (fraction < 0) {
        fraction += 1000000000;
        --seconds;
    }
    return QStringLiteral("%1.%2").arg(seconds).arg(fraction, 9, 10, QLatin1Char('0'));
}

const char* TypeName(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return "file";
    case S_IFDIR: return "dir";
    case S_IFLNK: return "link";
    case S_IFIFO: return "fifo";
    case S_IFSOCK: return "socket";
    case S_IFCHR: return "chr";
    case S_IFBLK: return "blk";
    default: return "unknown";
    }
}

QString Sha1Of(int fd)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return QStringLiteral("<unreadable ") + DescribeSystemError(errno) + QLatin1Char('>');
        }
        hash.addData(QByteArrayView(buffer, got));
    }
    return Hex(hash.result());
}

// The extended attributes of name in dirFd (the link itself for a link), through the descriptor's /proc
// path so that a path of any length works.
QString Xattrs(int dirFd, const QByteArray& name, bool all)
{
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(dirFd) + '/' + name;
    ssize_t size = ::llistxattr(path.constData(), nullptr, 0);
    if (size <= 0)
        return {};
    QByteArray list(size, '\0');
    size = ::llistxattr(path.constData(), list.data(), static_cast<size_t>(list.size()));
    if (size <= 0)
        return {};
    list.truncate(size);
    std::vector<QByteArray> names;
    for (const QByteArray& attribute : list.split('\0')) {
        if (!attribute.isEmpty() && (all || attribute.startsWith("user.")))
            names.push_back(attribute);
    }
    std::sort(names.begin(), names.end());
    QStringList out;
    for (const QByteArray& attribute : names) {
        const ssize_t length = ::lgetxattr(path.constData(), attribute.constData(), nullptr, 0);
        QByteArray value(std::max<ssize_t>(length, 0), '\0');
        if (length > 0)
            value.truncate(std::max<ssize_t>(::lgetxattr(path.constData(), attribute.constData(), value.data(),
                                                         static_cast<size_t>(value.size())),
                                             0));
        out << QStringLiteral("xattr=") + ManifestPath(attribute) + QLatin1Char('=') + Hex(value);
    }
    return out.join(QLatin1Char(' '));
}

// Reads what needs the object itself: a file's contents, a link's target, the attributes.
QString Details(int dirFd, const QByteArray& name, const struct stat& st, const ManifestOptions& options)
{
    QStringList fields;
    if (S_ISREG(st.st_mode)) {
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            fields << QStringLiteral("sha1=<unreadable %1>").arg(DescribeSystemError(errno));
        } else {
            fields << QStringLiteral("sha1=") + Sha1Of(fd);
            ::close(fd);
        }
    } else if (S_ISLNK(st.st_mode)) {
        QByteArray target(static_cast<qsizetype>(st.st_size) + 1, '\0');
        const ssize_t length = ::readlinkat(dirFd, name.constData(), target.data(), static_cast<size_t>(target.size()));
        target.truncate(std::max<ssize_t>(length, 0));
        fields << QStringLiteral("target=") + ManifestPath(target);
    }
    if (options.xattrs) {
        const QString attributes = Xattrs(dirFd, name, options.allXattrs);
        if (!attributes.isEmpty())
            fields << attributes;
    }
    return fields.join(QLatin1Char(' '));
}

void Walk(int dirFd, const QByteArray& prefix, const ManifestOptions& options, std::vector<Object>& out)
{
    const int listFd = ::dup(dirFd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    std::vector<QByteArray> names;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    for (const QByteArray& name : names) {
        Object o;
        o.path = prefix.isEmpty() ? name : prefix + '/' + name;
        if (::fstatat(dirFd, name.constData(), &o.st, AT_SYMLINK_NOFOLLOW) != 0) {
            o.error = errno;
            out.push_back(std::move(o));
            continue;
        }
        o.fields = Details(dirFd, name, o.st, options);
        const bool folder = S_ISDIR(o.st.st_mode);
        const QByteArray path = o.path;
        out.push_back(std::move(o));
        if (folder) {
            const int sub = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                Walk(sub, path, options, out);
                ::close(sub);
            }
        }
    }
}

QString Line(const Object& o, const ManifestOptions& options, const std::map<std::pair<dev_t, ino_t>, QByteArray>& groups)
{
    const QString path = ManifestPath(o.path);
    if (o.error != 0)
        return path + QStringLiteral("\tunreadable ") + DescribeSystemError(o.error);
    const struct stat& st = o.st;
    QStringList fields{QString::fromLatin1(TypeName(st.st_mode))};
    if (options.modes)
        fields << QStringLiteral("mode=") + Octal4(st.st_mode);
    if (S_ISREG(st.st_mode))
        fields << QStringLiteral("size=%1").arg(static_cast<qint64>(st.st_size));
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        fields << QStringLiteral("rdev=%1,%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
    if (!o.fields.isEmpty())
        fields << o.fields;
    if (options.times && (options.folderTimes || !S_ISDIR(st.st_mode)) && (options.linkTimes || !S_ISLNK(st.st_mode)))
        fields << QStringLiteral("mtime=") + Time(st.st_mtim, options.timeResolutionNs);
    if (options.owners)
        fields << QStringLiteral("owner=%1:%2").arg(st.st_uid).arg(st.st_gid);
    if (options.hardLinks && S_ISREG(st.st_mode) && st.st_nlink > 1) {
        const auto group = groups.find({st.st_dev, st.st_ino});
        if (group != groups.end())
            fields << QStringLiteral("hardlink=") + ManifestPath(group->second);
    }
    if (options.sparse && S_ISREG(st.st_mode) && static_cast<qint64>(st.st_blocks) * 512 < static_cast<qint64>(st.st_size))
        fields << QStringLiteral("sparse");
    return path + QLatin1Char('\t') + fields.join(QLatin1Char(' '));
}

} // namespace

QString ManifestPath(const QByteArray& rawPath)
{
    QString out;
    for (qsizetype i = 0; i < rawPath.size();) {
        const auto [cp, length] = DecodeOne(rawPath, i);
        if (length > 0 && cp != U'\\' && QChar::isPrint(cp)) {
            out += QString::fromUtf8(rawPath.mid(i, length));
            i += length;
        } else {
            out += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(rawPath[i]), 2, 16, QLatin1Char('0'));
            ++i;
        }
    }
    return out;
}

QStringList TreeManifest(const QString& root, const ManifestOptions& options)
{
    std::vector<Object> objects;
    const QByteArray native = QFile::encodeName(root);
    Object top;
    top.path = ".";
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &top.st) != 0) {
        top.error = errno;
        objects.push_back(std::move(top));
    } else {
        if (options.xattrs) {
            // The top's attributes through its own descriptor: "." of itself.
            top.fields = Xattrs(fd, ".", options.allXattrs);
        }
        objects.push_back(std::move(top));
        Walk(fd, {}, options, objects);
        // At the top of a mount, the trash folders there belong to the file system, not to the tree (the
        // scan does not list them either).
        struct stat up {};
        if (::fstatat(fd, "..", &up, 0) == 0 && up.st_dev != objects.front().st.st_dev) {
            const auto isTrash = [](const QByteArray& path) {
                const QByteArray first = path.left(path.indexOf('/') < 0 ? path.size() : path.indexOf('/'));
                return first == ".Trash" || first.startsWith(".Trash-");
            };
            objects.erase(std::remove_if(objects.begin() + 1, objects.end(), [&](const Object& o) { return isTrash(o.path); }),
                          objects.end());
        }
    }
    if (fd >= 0)
        ::close(fd);

    std::sort(objects.begin() + 1, objects.end(), [](const Object& a, const Object& b) { return a.path < b.path; });

    // A hard-link group counts only when two of its names lie in the tree; its first path names it.
    std::map<std::pair<dev_t, ino_t>, std::vector<QByteArray>> members;
    for (const Object& o : objects) {
        if (o.error == 0 && S_ISREG(o.st.st_mode) && o.st.st_nlink > 1)
            members[{o.st.st_dev, o.st.st_ino}].push_back(o.path);
    }
    std::map<std::pair<dev_t, ino_t>, QByteArray> groups;
    for (const auto& [inode, paths] : members) {
        if (paths.size() > 1)
            groups[inode] = paths.front();
    }

    QStringList lines;
    for (const Object& o : objects)
        lines << Line(o, options, groups);
    return lines;
}

QStringList ManifestDiff(const QStringList& a, const QStringList& b)
{
    const std::multiset<QString> inA(a.begin(), a.end());
    const std::multiset<QString> inB(b.begin(), b.end());
    // Path, then "-" before "+", so a changed object shows as two neighbouring lines.
    std::vector<std::pair<QString, QString>> out;
    const auto pathOf = [](const QString& line) { return line.section(QLatin1Char('\t'), 0, 0); };
    for (const QString& line : a) {
        if (inB.count(line) < inA.count(line))
            out.push_back({pathOf(line) + QStringLiteral("\t0"), QStringLiteral("- ") + line});
    }
    for (const QString& line : b) {
        if (inA.count(line) < inB.count(line))
            out.push_back({pathOf(line) + QStringLiteral("\t1"), QStringLiteral("+ ") + line});
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    QStringList lines;
    for (const auto& [key, line] : out)
        lines << line;
    lines.removeDuplicates();
    return lines;
}

QString ManifestDiffText(const QStringList& a, const QStringList& b)
{
    return QStringLiteral("differences (- first, + second):\n") + ManifestDiff(a, b).join(QLatin1Char('\n'));
}
