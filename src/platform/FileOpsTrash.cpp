#include "platform/FileOpsTrash.h"

#include "platform/FileDescriptor.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QString>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <ctime>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace FileOpsTrash {
namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr char NoteSuffix[] = ".trashinfo";
constexpr qsizetype NoteSuffixLength = sizeof NoteSuffix - 1;
// Room for ".<number>" when the plain name is taken.
constexpr qsizetype NumberRoom = 8;
constexpr int MaxAttempts = 100000;

// Opens the folder name inside fd, making it (for this user alone) when it is missing; never through a
// link, so that nobody can point a trash of ours somewhere else.
FileDescriptor OpenOrMake(int fd, const char* name)
{
    // Made only when missing: a trash is there nearly always, and a run puts thousands of objects in it.
    FileDescriptor there(::openat(fd, name, FolderFlags));
    if (there.valid() || errno != ENOENT)
        return there;
    if (::mkdirat(fd, name, 0700) != 0 && errno != EEXIST)
        return FileDescriptor();
    return FileDescriptor(::openat(fd, name, FolderFlags));
}

// Makes path and the folders above it, as the data folder of a fresh account needs.
int MakeFolders(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    if (::mkdir(path.constData(), 0700) == 0)
        return 0;
    const int err = errno;
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : err == EEXIST ? ENOTDIR : err;
}

struct Trash
{
    QByteArray path;
    FileDescriptor files;
    FileDescriptor info;
    // The folder a note's path is written relative to; empty for absolute paths.
    QByteArray top;
};

int OpenParts(int trashFd, Trash& trash)
{
    trash.files = OpenOrMake(trashFd, "files");
    if (!trash.files.valid())
        return errno;
    trash.info = OpenOrMake(trashFd, "info");
    return trash.info.valid() ? 0 : errno;
}

// The top folder of the file system that holds the folder open at fd: the last one on the way up
// through ".." that is still on it.
FileDescriptor OpenTop(int fd, dev_t dev)
{
    FileDescriptor current(::openat(fd, ".", FolderFlags));
    struct stat here {};
    if (!current.valid() || ::fstat(current.get(), &here) != 0)
        return FileDescriptor();
    for (;;) {
        FileDescriptor up(::openat(current.get(), "..", FolderFlags));
        struct stat st {};
        if (!up.valid() || ::fstat(up.get(), &st) != 0)
            return FileDescriptor();
        if (st.st_dev != dev || st.st_ino == here.st_ino)
            return current;
        here = st;
        current = std::move(up);
    }
}

// The leading part of path that names the folder open at topFd; empty when no part of it does (the
// path went through a link to somewhere else, or is too long to ask for).
QByteArray TopPathOf(int topFd, const QByteArray& path)
{
    struct stat top {};
    if (::fstat(topFd, &top) != 0)
        return {};
    for (qsizetype slash = path.lastIndexOf('/'); slash >= 0; slash = slash > 0 ? path.lastIndexOf('/', slash - 1) : -1) {
        const QByteArray prefix = slash == 0 ? QByteArray("/") : path.left(slash);
        struct stat st {};
        if (prefix.size() < PATH_MAX && ::stat(prefix.constData(), &st) == 0 && st.st_dev == top.st_dev
            && st.st_ino == top.st_ino)
            return prefix;
    }
    return {};
}

// $topdir/.Trash/$uid when the administrator made .Trash a sticky folder (which stops users from
// removing each other's trash), otherwise $topdir/.Trash-$uid.
int OpenTopTrash(int folderFd, dev_t dev, const QByteArray& path, Trash& trash)
{
    const FileDescriptor top = OpenTop(folderFd, dev);
    if (!top.valid())
        return errno;
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray topPath = TopPathOf(top.get(), path);
    const QByteArray prefix = topPath == "/" ? topPath : topPath + '/';
    trash.top = topPath;

    struct stat shared {};
    if (::fstatat(top.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode)
        && (shared.st_mode & S_ISVTX) != 0) {
        const FileDescriptor sticky(::openat(top.get(), ".Trash", FolderFlags));
        const FileDescriptor mine = sticky.valid() ? OpenOrMake(sticky.get(), uid.constData()) : FileDescriptor();
        struct stat st {};
        if (mine.valid() && ::fstat(mine.get(), &st) == 0 && st.st_uid == ::getuid() && OpenParts(mine.get(), trash) == 0) {
            trash.path = prefix + ".Trash/" + uid;
            return 0;
        }
    }
    const QByteArray own = ".Trash-" + uid;
    const FileDescriptor mine = OpenOrMake(top.get(), own.constData());
    if (!mine.valid())
        return errno;
    // Somebody else's folder of that name is no trash of ours.
    struct stat st {};
    if (::fstat(mine.get(), &st) != 0)
        return errno;
    if (st.st_uid != ::getuid())
        return EACCES;
    trash.path = prefix + own;
    return OpenParts(mine.get(), trash);
}

int OpenTrash(int folderFd, const QByteArray& path, const QByteArray& dataFolder, Trash& trash)
{
    struct stat folder {};
    if (::fstat(folderFd, &folder) != 0)
        return errno;
    // A data folder that cannot be had is reported as it is: guessing another trash would put the
    // object where the user does not look for it.
    if (dataFolder.isEmpty())
        return ENOENT;
    FileDescriptor data(::open(dataFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!data.valid() && errno == ENOENT) {
        if (const int err = MakeFolders(dataFolder); err != 0)
            return err;
        data = FileDescriptor(::open(dataFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    struct stat st {};
    if (!data.valid() || ::fstat(data.get(), &st) != 0)
        return errno;
    if (st.st_dev == folder.st_dev) {
        const FileDescriptor home = OpenOrMake(data.get(), "Trash");
        if (!home.valid())
            return errno;
        trash.path = dataFolder + "/Trash";
        return OpenParts(home.get(), trash);
    }
    // No trash of the object's own file system can be had: it is never copied to another one. A file
    // system that takes no writes says so; otherwise the trash is on another device.
    const int err = OpenTopTrash(folderFd, folder.st_dev, path, trash);
    if (err == 0)
        return 0;
    return err == EROFS ? EROFS : EXDEV;
}

// The note's date: local time, to the second.
QByteArray DeletionDate()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
}

QByteArray Note(const Trash& trash, const QByteArray& path, const QByteArray& date)
{
    QByteArray kept = path;
    if (!trash.top.isEmpty())
        kept = trash.top == "/" ? path.mid(1) : path.mid(trash.top.size() + 1);
    return "[Trash Info]\nPath=" + EncodeNotePath(kept) + "\nDeletionDate=" + date + '\n';
}

int WriteAll(int fd, const QByteArray& data)
{
    for (qsizetype written = 0; written < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        written += n;
    }
    return 0;
}

// A name of at most NAME_MAX bytes with its note's suffix and a number, cut where a UTF-8 character
// begins so that the trash shows no broken letter.
QByteArray TrashName(const QByteArray& name)
{
    const qsizetype room = NAME_MAX - NoteSuffixLength - NumberRoom;
    if (name.size() <= room)
        return name;
    qsizetype cut = room;
    while (cut > 1 && (uchar(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.left(cut);
}

// Renames without replacing: a leftover in files/ without a note is somebody's, too.
int RenameNoReplace(int fromFd, const char* from, int toFd, const char* to)
{
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // EINVAL: this file system has no RENAME_NOREPLACE, or the object is a folder above the trash.
    struct stat st {};
    if (::fstatat(toFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(fromFd, from, toFd, to) == 0 ? 0 : errno;
}

} // namespace

QByteArray EncodeNotePath(const QByteArray& path) { return path.toPercentEncoding("/"); }

struct KnownTrashes::Impl
{
    struct Found
    {
        dev_t dev = 0;             // the file system whose objects go there
        QByteArray dataFolder;
        Trash trash;
    };
    std::vector<Found> found;
    // The notes' date, asked once a second: a run trashes hundreds of objects a second.
    time_t second = -1;
    QByteArray date;

    // The trash found before for an object of the folder open at folderFd (with its absolute path).
    Trash* Find(int folderFd, const QByteArray& dataFolder, const QByteArray& path)
    {
        struct stat folder {};
        if (found.empty() || ::fstat(folderFd, &folder) != 0)
            return nullptr;
        for (Found& one : found) {
            // A trash at the top of a file system keeps paths relative to that top, as this path names it.
            const QByteArray& top = one.trash.top;
            if (one.dev == folder.st_dev && one.dataFolder == dataFolder
                && (top.isEmpty() || top == "/" || (path.startsWith(top) && path.size() > top.size() && path[top.size()] == '/')))
                return &one.trash;
        }
        return nullptr;
    }
    void Forget(const Trash* trash)
    {
        found.erase(std::remove_if(found.begin(), found.end(), [&](const Found& one) { return &one.trash == trash; }), found.end());
    }
    QByteArray Date()
    {
        const time_t now = ::time(nullptr);
        if (now != second) {
            second = now;
            date = DeletionDate();
        }
        return date;
    }
};

KnownTrashes::KnownTrashes() : m_impl(std::make_unique<Impl>()) {}
KnownTrashes::~KnownTrashes() = default;

namespace {

// Puts the object into trash: its note first, then the object itself.
int PutInto(int folderFd, const QByteArray& name, const QByteArray& path, const Trash& trash, const QByteArray& date,
            Placed* placed, Hand hand, const std::function<void(const Placed&)>& placing)
{
    const QByteArray note = Note(trash, path, date);
    const QByteArray base = TrashName(path.mid(path.lastIndexOf('/') + 1));
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        // A name many objects share (every folder's "index.html") would cost one try per earlier one: after
        // a few tries the number is drawn at random.
        const quint32 number = attempt <= 4 ? quint32(attempt) : 5 + QRandomGenerator::global()->bounded(99999995U);
        const QByteArray candidate = attempt == 1 ? base : base + '.' + QByteArray::number(number);
        const QByteArray noteName = candidate + NoteSuffix;
        FileDescriptor out(::openat(trash.info.get(), noteName.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
        if (!out.valid()) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        int err = WriteAll(out.get(), note);
        if (const int closeErr = out.close(); err == 0)
            err = closeErr;
        if (err == 0 && placing)
            placing({trash.path, candidate});
        if (err == 0 && hand == Hand::Link)
            err = ::linkat(folderFd, name.constData(), trash.files.get(), candidate.constData(), 0) == 0 ? 0 : errno;
        else if (err == 0)
            err = RenameNoReplace(folderFd, name.constData(), trash.files.get(), candidate.constData());
        if (err == 0) {
            if (placed != nullptr)
                *placed = {trash.path, candidate};
            return 0;
        }
        ::unlinkat(trash.info.get(), noteName.constData(), 0);
        if (err != EEXIST)
            return err;
    }
    return EEXIST;
}

} // namespace

int Put(int folderFd, const QByteArray& name, const QByteArray& path, const QByteArray& dataFolder, Placed* placed,
        Hand hand, KnownTrashes* known, const std::function<void(const Placed&)>& placing)
{
    const QByteArray date = known != nullptr ? known->impl().Date() : DeletionDate();
    if (known != nullptr) {
        if (const Trash* kept = known->impl().Find(folderFd, dataFolder, path)) {
            const int err = PutInto(folderFd, name, path, *kept, date, placed, hand, placing);
            // ENOENT: the trash's folders may have gone since (or the object did): looked for anew.
            if (err != ENOENT)
                return err;
            known->impl().Forget(kept);
        }
    }
    Trash trash;
    if (const int err = OpenTrash(folderFd, path, dataFolder, trash); err != 0)
        return err;
    const int err = PutInto(folderFd, name, path, trash, date, placed, hand, placing);
    struct stat folder {};
    if (err == 0 && known != nullptr && ::fstat(folderFd, &folder) == 0)
        known->impl().found.push_back({folder.st_dev, dataFolder, std::move(trash)});
    return err;
}

namespace {

int OpenTrashPart(const QByteArray& trash, const char* part)
{
    return ::open((trash + '/' + part).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

int Take(const QByteArray& trash, const QByteArray& name, int folderFd, const QByteArray& as)
{
    const FileDescriptor files(OpenTrashPart(trash, "files"));
    if (!files.valid())
        return errno;
    if (const int err = RenameNoReplace(files.get(), name.constData(), folderFd, as.constData()); err != 0)
        return err;
    const FileDescriptor info(OpenTrashPart(trash, "info"));
    if (info.valid())
        ::unlinkat(info.get(), (name + NoteSuffix).constData(), 0);
    return 0;
}

int Remove(const QByteArray& trash, const QByteArray& name)
{
    const FileDescriptor files(OpenTrashPart(trash, "files"));
    if (!files.valid())
        return errno;
    if (::unlinkat(files.get(), name.constData(), 0) != 0)
        return errno;
    const FileDescriptor info(OpenTrashPart(trash, "info"));
    if (info.valid())
        ::unlinkat(info.get(), (name + NoteSuffix).constData(), 0);
    return 0;
}

} // namespace FileOpsTrash
