#include "platform/FileOps.h"

#include "base/Failure.h"
#include "base/Path.h"
#include "base/ProgressSink.h"
#include "platform/FileDescriptor.h"
#include "platform/FileOpsTrash.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <mutex>
#include <deque>
#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <csignal>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <map>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace FileOps {

namespace {
class CopyAhead;
// The folders the user chose (the roots), by path, kept open for a run: a call below one starts from it
// instead of opening it again.
using RootFolders = std::map<QByteArray, FileDescriptor>;
} // namespace

struct RunMemory::Impl
{
    struct Key
    {
        dev_t dev;
        ino_t ino;
        bool operator<(const Key& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
    };
    // Where the first name of a hard-linked source file was copied to.
    struct Copied
    {
        QByteArray folder; // the target folder's path
        QByteArray name;
        dev_t dev = 0;     // the copy's identity, so a copy replaced since is not linked to
        ino_t ino = 0;
    };
    std::map<Key, Copied> links;
    // Per target folder (its path, folded where the folder ignores case): folded name -> name given.
    std::map<QString, QHash<QString, QByteArray>> names;
    std::map<Key, bool> swept;
    // Whether a target folder (by path) folds names that differ only in case onto one object.
    std::map<QByteArray, bool> ignoresCase;
    // The process's umask, read once per run (-1: not yet).
    mode_t umask = mode_t(-1);
    // What a target folder (by device and inode) is like: whether it is on FUSE, and whether only the
    // umask decides the bits of new files there (no default ACL). Asked once per folder and run.
    struct FolderKind
    {
        bool fuse = false;
        bool umaskOnly = false;
        bool keepsIdentity = false;
    };
    std::map<Key, FolderKind> folderKinds;
    RootFolders roots;
    // Files copied ahead for the run's later calls (see CopyAhead).
    std::unique_ptr<CopyAhead> ahead;
    // The trashes the run's calls found, kept open.
    FileOpsTrash::KnownTrashes trashes;
};

RunMemory::RunMemory() : m_impl(std::make_unique<Impl>()) {}

bool IsTemporaryName(const char* name, long* pid)
{
    static constexpr char prefix[] = ".parvex-";
    if (std::strncmp(name, prefix, sizeof prefix - 1) != 0)
        return false;
    const char* p = name + sizeof prefix - 1;
    char* end = nullptr;
    if (*p < '0' || *p > '9')
        return false;
    const long number = std::strtol(p, &end, 10);
    if (*end != '-' || end[1] < '0' || end[1] > '9')
        return false;
    p = end + 1;
    std::strtoul(p, &end, 10);
    if (std::strcmp(end, ".tmp") != 0)
        return false;
    if (pid != nullptr)
        *pid = number;
    return true;
}

namespace {

// Large enough that a 1 GiB copy costs about a hundred calls, small enough that Cancel answers within
// a fraction of a second even on a slow stick.
constexpr size_t KernelChunk = size_t(8) << 20;
// The read/write fallback; page-aligned, since read() into a malloc'ed buffer of this size is several
// times slower on this kind of machine.
constexpr size_t BufferSize = size_t(1) << 20;
constexpr qint64 BytesPerUnit = 64 * 1024;
// Fully copied objects of a move across file systems wait for one syncfs() before their sources go.
constexpr size_t PendingMovesPerSync = 1024;
// The permission bits a copy carries over: set-user-ID and set-group-ID belong to an owner we do not
// copy, so they would hand the copier's identity to the file.
constexpr mode_t CopiedModeBits = 0777 | S_ISVTX;

// The process's own ids, asked once: this program never changes them, and a copy asks for them per file.
pid_t OwnPid()
{
    static const pid_t pid = ::getpid();
    return pid;
}

uid_t OwnUid()
{
    static const uid_t uid = ::geteuid();
    return uid;
}

bool RunningAsRoot() { return OwnUid() == 0; }

gid_t OwnGid()
{
    static const gid_t gid = ::getegid();
    return gid;
}

// The mode bits a copy of an object with st gets: set-user-ID and set-group-ID only where the copy keeps
// the owner they belong to (root copies the owner; otherwise only our own files and groups).
mode_t ModeToCopy(mode_t source, uid_t uid, gid_t gid)
{
    mode_t mode = source & CopiedModeBits;
    if (RunningAsRoot() || uid == OwnUid()) {
        if ((source & S_ISUID) != 0)
            mode |= S_ISUID;
        if ((source & S_ISGID) != 0 && (RunningAsRoot() || gid == OwnGid()))
            mode |= S_ISGID;
    }
    return mode;
}

// Copies the extended attributes of in to out: user.* always; the others (security.*, trusted.*,
// system.posix_acl_*) where the system lets us, silently otherwise. A target file system without
// extended attributes (vfat) keeps the data without them. Answers 0 or the errno of a failure that
// matters.
int CopyXattrs(int in, int out)
{
    char small[1024];
    std::vector<char> large;
    char* names = small;
    ssize_t length = ::flistxattr(in, small, sizeof small);
    if (length < 0 && errno == ERANGE) {
        const ssize_t needed = ::flistxattr(in, nullptr, 0);
        if (needed < 0)
            return 0;
        large.resize(size_t(needed) + 1);
        names = large.data();
        length = ::flistxattr(in, names, large.size());
    }
    if (length <= 0)
        return 0; // none, or a file system without them
    std::vector<char> value(4096);
    for (const char* name = names; name < names + length; name += std::strlen(name) + 1) {
        const bool user = std::strncmp(name, "user.", 5) == 0;
        ssize_t size = ::fgetxattr(in, name, value.data(), value.size());
        if (size < 0 && errno == ERANGE) {
            const ssize_t needed = ::fgetxattr(in, name, nullptr, 0);
            if (needed < 0)
                continue;
            value.resize(size_t(needed));
            size = ::fgetxattr(in, name, value.data(), value.size());
        }
        if (size < 0)
            continue;
        if (::fsetxattr(out, name, value.data(), size_t(size), 0) != 0) {
            const int err = errno;
            if (user && err != ENOTSUP && err != EOPNOTSUPP && err != EPERM && err != EACCES)
                return err;
        }
    }
    return 0;
}

// Owner and group of the source, where we may give them (root).
void CopyOwner(int out, uid_t uid, gid_t gid)
{
    if (RunningAsRoot())
        (void)::fchown(out, uid, gid);
}


bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// One object as the scan saw it. A copy marks what it copied, and records the identity of each file it
// read, so that a move across file systems deletes exactly what arrived and nothing that changed since.
struct Node
{
    QByteArray name;
    mode_t mode = 0;
    qint64 size = 0;
    ino_t ino = 0;
    timespec atime{};
    timespec mtime{};
    timespec ctime{};
    dev_t rdev = 0;
    dev_t dev = 0;
    nlink_t nlink = 0;
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<Node> children;
    bool copied = false;

    void Take(const struct stat& st)
    {
        mode = st.st_mode;
        size = st.st_size;
        ino = st.st_ino;
        atime = st.st_atim;
        mtime = st.st_mtim;
        ctime = st.st_ctim;
        rdev = st.st_rdev;
        dev = st.st_dev;
        nlink = st.st_nlink;
        uid = st.st_uid;
        gid = st.st_gid;
    }
    bool IsSpecial() const { return !S_ISREG(mode) && !S_ISDIR(mode) && !S_ISLNK(mode); }
};

void CountTree(const Node& node, qint64& objects, qint64& bytes)
{
    ++objects;
    if (S_ISREG(node.mode))
        bytes += node.size;
    for (const Node& child : node.children)
        CountTree(child, objects, bytes);
}

QByteArray ChildPath(const QByteArray& folder, const QByteArray& name)
{
    QByteArray path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (!folder.endsWith('/'))
        path += '/';
    path += name;
    return path;
}

enum class Step { Done, Skipped, Stop };

// The process's umask, read without changing it: umask() can only be asked by setting it, which would
// race with every other thread that creates a file. 0777 (everything taken) when it cannot be read.
mode_t ReadUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    return 0777;
}

// The folders the user chose, as the calls compare paths with them.
std::vector<QByteArray> NativeRoots(const QStringList& roots)
{
    std::vector<QByteArray> native;
    for (const QString& root : roots) {
        QByteArray path = EncodeFileName(root);
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        if (!path.isEmpty())
            native.push_back(path);
    }
    return native;
}

// What a copy of file data keeps from one file to the next: its buffer, and whether the kernel refuses to
// copy between two file systems. Each thread that copies has its own.
class CopyScratch
{
public:
    char* Buffer()
    {
        if (!m_buffer)
            m_buffer.reset(static_cast<char*>(std::aligned_alloc(4096, BufferSize)));
        return m_buffer.get();
    }

    // copy_file_range refuses some pairs of file systems; asking again for every small file would
    // double the calls of a tree copy.
    bool KernelCopyRefused(dev_t from, dev_t to) const
    {
        return m_kernelRefused && m_refusedFrom == from && m_refusedTo == to;
    }
    void SetKernelCopyRefused(dev_t from, dev_t to)
    {
        m_kernelRefused = true;
        m_refusedFrom = from;
        m_refusedTo = to;
    }

    // Opens a source file without touching its access time where we may (we own it, or are root).
    int OpenSource(int folderFd, const char* name)
    {
        const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        if (m_noAtime) {
            const int fd = ::openat(folderFd, name, flags | O_NOATIME);
            if (fd >= 0 || errno != EPERM)
                return fd;
            m_noAtime = false;
        }
        return ::openat(folderFd, name, flags);
    }

private:
    struct FreeDeleter
    {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, FreeDeleter> m_buffer;
    bool m_kernelRefused = false;
    dev_t m_refusedFrom = 0;
    dev_t m_refusedTo = 0;
    bool m_noAtime = true;
};

// The state of one call: progress, cancel, the first failure, and what was skipped.
class Run final : public CopyScratch
{
public:
    Run(const Control& control, Result& result)
        : m_control(control), m_result(result), m_roots(NativeRoots(control.roots)),
          m_reporting(control.onProgress || control.sink != nullptr)
    {
    }
    ~Run();
    Q_DISABLE_COPY_MOVE(Run)

    const Control& control() const { return m_control; }
    Result& result() { return m_result; }
    const std::vector<QByteArray>& roots() const { return m_roots; }
    RunMemory::Impl* memory() const { return m_control.memory != nullptr ? &m_control.memory->impl() : nullptr; }
    // The roots kept open for the run (see RootFolders); none for a call on its own.
    RootFolders* KeptRoots() const { return m_control.memory != nullptr ? &m_control.memory->impl().roots : nullptr; }

    // Records the first failure; answers false so that callers can return it.
    bool Fail(int err, const QByteArray& path, bool onFile = true)
    {
        if (m_result.error == 0 && !m_result.aborted) {
            m_result.error = err;
            m_result.number = Failure::NumberForErrno(err, onFile);
            m_result.errorText = QString::fromLocal8Bit(std::strerror(err));
            m_result.failedPath = DecodeFileName(path);
        }
        return false;
    }
    Step StopWith(int err, const QByteArray& path)
    {
        Fail(err, path);
        return Step::Stop;
    }

    bool Cancelled()
    {
        if (m_result.aborted)
            return true;
        if (m_control.pump != nullptr)
            m_control.pump->Pump();
        if (m_control.cancel != nullptr && m_control.cancel->load(std::memory_order_relaxed))
            m_result.aborted = true;
        return m_result.aborted;
    }

    void AddTotals(qint64 objects, qint64 bytes)
    {
        m_progress.objectsTotal += objects;
        m_progress.bytesTotal += bytes;
        if (m_started && m_control.sink != nullptr)
            m_control.sink->SetRange(Units(m_progress.objectsTotal, m_progress.bytesTotal));
    }

    void Start()
    {
        m_started = true;
        if (m_control.sink != nullptr)
            m_control.sink->SetRange(Units(m_progress.objectsTotal, m_progress.bytesTotal));
        Report();
    }

    void Begin(const QByteArray& path)
    {
        if (!m_reporting)
            return;
        m_progress.current = DecodeFileName(path);
        if (m_control.sink != nullptr)
            m_control.sink->SetText(m_progress.current);
    }

    void BytesDone(qint64 bytes)
    {
        m_progress.bytesDone += bytes;
        Report();
    }

    void ObjectsDone(qint64 objects = 1, qint64 bytes = 0)
    {
        m_progress.objectsDone += objects;
        m_progress.bytesDone += bytes;
        Report();
    }

    // Skips node (and whatever is inside it), counting it as done for the progress report.
    void Skip(const QByteArray& path, const Node& node, Skipped::Reason reason)
    {
        m_result.skipped.append({DecodeFileName(path), reason});
        qint64 objects = 0;
        qint64 bytes = 0;
        CountTree(node, objects, bytes);
        ObjectsDone(objects, bytes);
    }

    // Something left behind by a move; already counted.
    void Keep(const QByteArray& path, Skipped::Reason reason)
    {
        m_result.skipped.append({DecodeFileName(path), reason});
    }

    pid_t pid() const { return m_pid; }

    Keeper* keeper() const { return m_control.keeper; }
    // What the keeper holds back is kept before the call changes something (see Keeper::Changing).
    void Changing()
    {
        if (m_control.keeper != nullptr)
            m_control.keeper->Changing();
    }
    // The user's data folder, whose Trash is the trash of its own file system.
    const QByteArray& DataFolder()
    {
        if (m_dataFolder.isNull())
            m_dataFolder = EncodeFileName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        return m_dataFolder;
    }
    // The trashes found so far: the run's, or the call's own.
    FileOpsTrash::KnownTrashes* Trashes()
    {
        if (RunMemory::Impl* shared = memory())
            return &shared->trashes;
        if (!m_trashes)
            m_trashes = std::make_unique<FileOpsTrash::KnownTrashes>();
        return m_trashes.get();
    }

    // The process's umask, read once per run.
    mode_t Umask()
    {
        if (m_umask == mode_t(-1)) {
            RunMemory::Impl* shared = memory();
            if (shared != nullptr && shared->umask == mode_t(-1))
                shared->umask = ReadUmask();
            m_umask = shared != nullptr ? shared->umask : ReadUmask();
        }
        return m_umask;
    }
    // Whether a file created with mode gets exactly mode, that is the umask takes nothing from it.
    bool CreatesWithMode(mode_t mode) { return (mode & ~0777) == 0 && (mode & Umask()) == 0; }
    bool Durable() const { return m_control.durable; }
    // Whether a copy's temporary file is made without a name (see TempName::MakeAnonymous): not here, where
    // a file is copied in its turn and put in place at once.
    bool Anonymous() const { return false; }
    // The thread that copies small files ahead (see CopyAhead): the run's, or this call's own; started when
    // first asked for.
    CopyAhead& Ahead();

private:
    static qint64 Units(qint64 objects, qint64 bytes) { return objects + bytes / BytesPerUnit; }

    void Report()
    {
        if (m_control.onProgress)
            m_control.onProgress(m_progress);
        if (m_control.sink != nullptr)
            m_control.sink->SetValue(Units(m_progress.objectsDone, m_progress.bytesDone));
    }

    const Control& m_control;
    Result& m_result;
    std::vector<QByteArray> m_roots;
    const bool m_reporting;
    bool m_started = false;
    Progress m_progress;
    const pid_t m_pid = OwnPid();
    QByteArray m_dataFolder;
    std::unique_ptr<FileOpsTrash::KnownTrashes> m_trashes;
    mode_t m_umask = mode_t(-1);
    std::unique_ptr<CopyAhead> m_ahead;
};

// Whether name may be given out in the folder open at fd, where given holds the names given out there
// before (folded -> name). A name is taken when an earlier object went to the same name, or to a name
// differing only in case that the folder folds onto it.
// A hidden name in a target folder for an object under construction; removed again unless committed.
class TempName final
{
public:
    TempName(int folderFd, pid_t pid) : m_fd(folderFd), m_pid(pid) {}
    ~TempName()
    {
        if (m_live)
            ::unlinkat(m_fd, m_name.constData(), 0);
    }
    Q_DISABLE_COPY_MOVE(TempName)

    // Makes a file without a name in the folder (O_TMPFILE): nothing is written into the folder until it
    // takes a name, and a killed process leaves nothing behind. Answers the errno (EOPNOTSUPP and the like
    // where the file system has no such files).
    int MakeAnonymous(mode_t mode)
    {
        m_anonymous.reset(::openat(m_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        return m_anonymous.valid() ? 0 : errno;
    }
    // The anonymous file's descriptor (-1 when there is none).
    int AnonymousFd() const { return m_anonymous.get(); }

    // Runs create(name) with fresh names until it answers anything but EEXIST; answers its errno.
    template <typename Create> int Make(Create create)
    {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_name = ".parvex-" + QByteArray::number(m_pid) + '-'
                     + QByteArray::number(counter.fetch_add(1, std::memory_order_relaxed)) + ".tmp";
            if (create(m_name.constData())) {
                m_live = true;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Renames the object over target; answers the errno (the temporary object is then removed).
    int Commit(const QByteArray& target)
    {
        if (const int err = Named(); err != 0)
            return err;
        if (::renameat(m_fd, m_name.constData(), m_fd, target.constData()) != 0)
            return errno;
        m_live = false;
        return 0;
    }

    // Renames the object to target where nothing has that name (EEXIST otherwise).
    int CommitNew(const QByteArray& target)
    {
        if (m_anonymous.valid()) {
            // The anonymous file takes the name itself, never over anything.
            if (::linkat(AT_FDCWD, ProcPath().constData(), m_fd, target.constData(), AT_SYMLINK_FOLLOW) == 0) {
                m_anonymous.reset();
                return 0;
            }
            if (errno == EEXIST)
                return EEXIST;
            if (const int err = Named(); err != 0)
                return err;
        }
        if (::renameat2(m_fd, m_name.constData(), m_fd, target.constData(), RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL)
                return errno;
            // No RENAME_NOREPLACE on this file system.
            struct stat st {};
            if (::fstatat(m_fd, target.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                return EEXIST;
            return Commit(target);
        }
        m_live = false;
        return 0;
    }

    // Removes the temporary name now.
    void Discard()
    {
        m_anonymous.reset();
        if (m_live)
            ::unlinkat(m_fd, m_name.constData(), 0);
        m_live = false;
    }

    const char* name() const { return m_name.constData(); }

private:
    QByteArray ProcPath() const { return "/proc/self/fd/" + QByteArray::number(m_anonymous.get()); }
    // An anonymous file gets a temporary name of its own (for a replacing rename).
    int Named()
    {
        if (!m_anonymous.valid())
            return 0;
        const QByteArray from = ProcPath();
        const int err = Make([&](const char* name) {
            return ::linkat(AT_FDCWD, from.constData(), m_fd, name, AT_SYMLINK_FOLLOW) == 0;
        });
        if (err == 0)
            m_anonymous.reset();
        return err;
    }

    int m_fd;
    pid_t m_pid;
    QByteArray m_name;
    bool m_live = false;
    FileDescriptor m_anonymous;
};

// Whether the folder folds names differing only in case onto one object: known from the file system type
// where it says (ext4, btrfs, xfs, tmpfs respect case; vfat and exfat ignore it), else asked with a probe
// name (FUSE drivers, network folders). A folder we may not write in is taken to respect case: nothing
// will be written there anyway.
bool FolderIgnoresCase(int fd, Run& run)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) == 0) {
        switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case XFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case 0x2FC12FC1UL: // zfs
        case 0x794C7630UL: // overlayfs
            return false;
        case MSDOS_SUPER_MAGIC:
        case 0x2011BAB0UL: // exfat
            return true;
        default:
            break;
        }
    }
    run.Changing();
    TempName probe(fd, run.pid());
    if (probe.Make([&](const char* name) {
            const int made = ::openat(fd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (made >= 0)
                ::close(made);
            return made >= 0;
        }) != 0)
        return false;
    const QByteArray upper = QByteArray(probe.name()).toUpper();
    struct stat st {};
    return ::fstatat(fd, upper.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool ClaimName(QHash<QString, QByteArray>& given, int fd, bool ignoresCase, const QByteArray& name, Run& run)
{
    const QString folded = DecodeFileName(name).toCaseFolded();
    const auto it = given.constFind(folded);
    if (it == given.cend()) {
        given.insert(folded, name);
        return true;
    }
    if (*it == name || ignoresCase)
        return false;
    // Ask the folder itself: on vfat or exfat the second name already reaches the first one's object (a
    // FUSE driver may give the two names different inode numbers, hence the probe).
    struct stat first {};
    struct stat second {};
    if (::fstatat(fd, it->constData(), &first, AT_SYMLINK_NOFOLLOW) == 0
        && ::fstatat(fd, name.constData(), &second, AT_SYMLINK_NOFOLLOW) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino)
        return false;
    return !FolderIgnoresCase(fd, run);
}

// Names given out in one target folder during this call.
class NameGuard final
{
public:
    NameGuard(int folderFd, bool ignoresCase, Run& run) : m_fd(folderFd), m_ignoresCase(ignoresCase), m_run(run) {}

    bool Claim(const QByteArray& name) { return ClaimName(m_given, m_fd, m_ignoresCase, name, m_run); }

private:
    int m_fd;
    bool m_ignoresCase;
    Run& m_run;
    QHash<QString, QByteArray> m_given;
};

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens a folder by a path of any length; an invalid descriptor with errno set when it fails. A path the
// system takes in one call is opened as any path is. A longer one (a deep tree below the chosen folders)
// is opened in parts: the longest leading part that fits as usual, the rest one level at a time without
// following links, since below the chosen folders a link is never walked into.
FileDescriptor OpenFolderPath(const QByteArray& path)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (path.size() < PATH_MAX)
        return FileDescriptor(::open(path.constData(), flags));
    const qsizetype cut = path.lastIndexOf('/', PATH_MAX - 1);
    FileDescriptor fd(::open(cut < 0 ? "." : cut == 0 ? "/" : path.left(cut).constData(), flags));
    for (qsizetype start = cut + 1; fd.valid() && start < path.size();) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArray part = path.mid(start, end - start);
        start = end + 1;
        if (part.isEmpty() || part == ".")
            continue;
        if (part.size() > NAME_MAX) {
            errno = ENAMETOOLONG;
            return FileDescriptor();
        }
        fd = FileDescriptor(::openat(fd.get(), part.constData(), FolderFlags));
    }
    return fd;
}

// The root of roots that path lies in or below (the longest), or nullptr.
const QByteArray* RootOf(const QByteArray& path, const std::vector<QByteArray>& roots)
{
    const QByteArray* best = nullptr;
    for (const QByteArray& root : roots) {
        const bool inside = path == root
                            || (path.startsWith(root) && (root.endsWith('/') || path.at(root.size()) == '/'));
        if (inside && (best == nullptr || root.size() > best->size()))
            best = &root;
    }
    return best;
}

// OpenFolderPath, except that below a root every folder after the root is opened from its parent with
// O_NOFOLLOW: a link in place of a folder fails (ELOOP, ENOTDIR) instead of being walked into. The root
// itself may be reached through links, as the user chose it.
// kept: where a run keeps the roots open (none: each is opened for the call).
FileDescriptor OpenFolderIn(const QByteArray& path, const std::vector<QByteArray>& roots, RootFolders* kept = nullptr)
{
    const QByteArray* root = RootOf(path, roots);
    if (root == nullptr)
        return OpenFolderPath(path);
    FileDescriptor own;
    int base = -1;
    if (kept != nullptr) {
        auto it = kept->find(*root);
        if (it == kept->end()) {
            FileDescriptor opened = OpenFolderPath(*root);
            if (!opened.valid())
                return opened;
            it = kept->emplace(*root, std::move(opened)).first;
        }
        base = it->second.get();
    } else {
        own = OpenFolderPath(*root);
        base = own.get();
    }
    // The part below the root, checked before anything is opened with it.
    QByteArray below;
    for (qsizetype start = root->size(); base >= 0 && start < path.size();) {
        if (path.at(start) == '/') {
            ++start;
            continue;
        }
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArray part = path.mid(start, end - start);
        start = end;
        if (part == ".")
            continue;
        if (part == ".." || part.size() > NAME_MAX) {
            errno = part == ".." ? EINVAL : ENAMETOOLONG;
            return FileDescriptor();
        }
        if (!below.isEmpty())
            below += '/';
        below += part;
    }
    if (base < 0)
        return FileDescriptor();
    if (below.isEmpty())
        return own.valid() ? std::move(own) : FileDescriptor(::fcntl(base, F_DUPFD_CLOEXEC, 0));
    // In one call where the kernel has openat2 (Linux 5.6): it refuses every link on the way
    // (RESOLVE_NO_SYMLINKS, the last folder included) and every way out of the root (RESOLVE_BENEATH), as
    // the walk below does one folder at a time. A kernel or filter without it, a rename racing the lookup
    // (EAGAIN) or a path too long for one call leave it to the walk.
    if (below.size() < PATH_MAX) {
        open_how how {};
        how.flags = FolderFlags;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
        const long opened = ::syscall(SYS_openat2, base, below.constData(), &how, sizeof how);
        if (opened >= 0)
            return FileDescriptor(static_cast<int>(opened));
        if (errno != ENOSYS && errno != EPERM && errno != E2BIG && errno != EAGAIN)
            return FileDescriptor();
    }
    FileDescriptor fd;
    for (qsizetype start = 0; start < below.size();) {
        qsizetype end = below.indexOf('/', start);
        if (end < 0)
            end = below.size();
        fd = FileDescriptor(::openat(fd.valid() ? fd.get() : base, below.mid(start, end - start).constData(), FolderFlags));
        if (!fd.valid())
            break;
        start = end + 1;
    }
    return fd;
}

// The folder of a listed object, kept open while the following objects share it.
class ParentFolder final
{
public:
    explicit ParentFolder(const Run& run) : m_roots(run.roots()), m_kept(run.KeptRoots()) {}

    int Open(const QByteArray& path)
    {
        if (!m_fd.valid() || path != m_path) {
            m_fd = OpenFolderIn(path, m_roots, m_kept);
            m_path = path;
            if (!m_fd.valid()) {
                const int err = errno;
                m_path.clear();
                errno = err;
            }
        }
        return m_fd.get();
    }

private:
    const std::vector<QByteArray>& m_roots;
    RootFolders* m_kept;
    QByteArray m_path;
    FileDescriptor m_fd;
};

// A listed object: its full path, its folder and its own name.
struct Listed
{
    QString path;
    QByteArray native;
    QByteArray parent;
    QByteArray name;
    dev_t dev = 0;
    Node node;
    bool scanned = false;
};

// The folder of item, open; -1 once the failure is recorded.
int OpenParent(ParentFolder& parents, const Listed& item, Run& run)
{
    const int fd = parents.Open(item.parent);
    if (fd < 0)
        run.Fail(errno, item.parent, false);
    return fd;
}

// Splits path into its folder and name; a path that names no object ("", "/", "x/..") is the failure
// (EINVAL) and answers false.
bool SplitPath(const QString& path, Listed& out, Run& run)
{
    QByteArray native = EncodeFileName(path);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    if (native.isEmpty() || native == "/" || native.contains('\0'))
        return run.Fail(EINVAL, native);
    const qsizetype slash = native.lastIndexOf('/');
    out.path = path;
    out.native = native;
    out.parent = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
    out.name = native.mid(slash + 1);
    return out.name == "." || out.name == ".." ? run.Fail(EINVAL, native) : true;
}

// Whether a rename on a file system of this type keeps an object's inode and device (a FUSE driver may
// number a file by its name).
bool KeepsIdentity(unsigned long type)
{
    switch (type) {
    case EXT4_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case TMPFS_MAGIC: return true;
    default: return false;
    }
}

// A target folder as the copy writes into it.
struct Into
{
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    QByteArray path; // the folder's path, where known (for the hard links of a run)
    // A FUSE file system: sshfs applies a link's times to the file the link names, so a link's own
    // times are not set there.
    bool fuse = false;
    // No default ACL decides the bits of new files here, so the umask is all that can change them.
    bool umaskOnly = false;
    // This call made the folder: a name in it is nearly always free, so a new object takes it at once and
    // only a name found taken (someone else's object since) is looked at.
    bool made = false;
    // A rename here keeps an object's inode and device, and so its identity as the keeper records it.
    bool keepsIdentity = false;
};

// known: the folder's fstat when the caller has just made it. memory: where a run keeps what it learnt of
// each folder, so that a run of many calls into one folder asks once.
bool OpenInto(int fd, Into& into, const struct stat* known = nullptr, RunMemory::Impl* memory = nullptr)
{
    struct stat st {};
    if (known != nullptr)
        st = *known;
    else if (::fstat(fd, &st) != 0)
        return false;
    into.fd = fd;
    into.dev = st.st_dev;
    into.ino = st.st_ino;
    if (memory != nullptr) {
        if (const auto it = memory->folderKinds.find({st.st_dev, st.st_ino}); it != memory->folderKinds.end()) {
            into.fuse = it->second.fuse;
            into.umaskOnly = it->second.umaskOnly;
            into.keepsIdentity = it->second.keepsIdentity;
            return true;
        }
    }
    struct statfs fs {};
    const unsigned long type = ::fstatfs(fd, &fs) == 0 ? static_cast<unsigned long>(fs.f_type) : 0;
    into.fuse = type == 0x65735546UL;
    into.keepsIdentity = KeepsIdentity(type);
    into.umaskOnly = ::fgetxattr(fd, "system.posix_acl_default", nullptr, 0) < 0
                     && (errno == ENODATA || errno == ENOTSUP || errno == EOPNOTSUPP);
    if (memory != nullptr)
        memory->folderKinds[{st.st_dev, st.st_ino}] = {into.fuse, into.umaskOnly, into.keepsIdentity};
    return true;
}

struct FolderId
{
    dev_t dev;
    ino_t ino;
    bool operator==(const FolderId&) const = default;
};

struct Target
{
    QByteArray native;
    FileDescriptor fd;
    dev_t dev = 0;
    Into into;
    // The target folder and every folder above it, as ".." reaches them (read when first needed): a path
    // of any length and any link on the way lead to the same answer.
    std::vector<FolderId> chain;
};

void ReadChain(int fd, std::vector<FolderId>& chain)
{
    FileDescriptor current(::openat(fd, ".", FolderFlags));
    struct stat st {};
    while (current.valid() && ::fstat(current.get(), &st) == 0) {
        const FolderId id{st.st_dev, st.st_ino};
        if (!chain.empty() && chain.back() == id)
            return; // the root is its own parent
        chain.push_back(id);
        current = FileDescriptor(::openat(current.get(), "..", FolderFlags));
    }
}

bool OpenTarget(const QByteArray& folder, Run& run, Target& target)
{
    target.native = folder;
    target.fd = OpenFolderIn(target.native, run.roots(), run.KeptRoots());
    struct stat st {};
    if (!target.fd.valid() || ::fstat(target.fd.get(), &st) != 0)
        return run.Fail(errno, target.native, false);
    target.dev = st.st_dev;
    if (!OpenInto(target.fd.get(), target.into, &st, run.memory()))
        return run.Fail(errno, target.native, false);
    target.into.path = target.native;
    return true;
}

// A folder copied or moved into itself or below itself would never end (or eat itself).
bool NotIntoItself(const Listed& item, Target& target, Run& run)
{
    if (!S_ISDIR(item.node.mode))
        return true;
    // The folders above the target are only asked for when a folder is copied or moved.
    if (target.chain.empty())
        ReadChain(target.fd.get(), target.chain);
    const FolderId source{item.dev, item.node.ino};
    for (const FolderId& folder : target.chain)
        if (folder == source)
            return run.Fail(EINVAL, item.native);
    return true;
}

// Reads the entries of the folder open at fd into node's children, recursing into sub-folders.
bool ScanFolder(int fd, Node& node, const QByteArray& path, Run& run)
{
    if (run.Cancelled())
        return false;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int err = errno;
        ::close(fd);
        return run.Fail(err, path);
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, &::closedir);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0)
                return run.Fail(errno, path);
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        Node child;
        child.name = QByteArray(name);
        struct stat st {};
        if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int err = errno;
            if (err == ENOENT)
                continue; // gone between readdir and stat: not seen
            return run.Fail(err, ChildPath(path, child.name));
        }
        child.Take(st);
        run.AddTotals(1, S_ISREG(st.st_mode) ? st.st_size : 0);
        if (S_ISDIR(st.st_mode)) {
            const int childFd = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            const QByteArray childPath = ChildPath(path, child.name);
            if (childFd < 0)
                return run.Fail(errno, childPath);
            if (!ScanFolder(childFd, child, childPath, run))
                return false;
        }
        node.children.push_back(std::move(child));
    }
    return true;
}

// known: the object's stat when the caller has just made it.
bool ScanNode(int parentFd, Node& node, const QByteArray& path, Run& run, const struct stat* known = nullptr)
{
    struct stat st {};
    if (known != nullptr)
        st = *known;
    else if (::fstatat(parentFd, node.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return run.Fail(errno, path);
    node.Take(st);
    run.AddTotals(1, S_ISREG(st.st_mode) ? st.st_size : 0);
    if (!S_ISDIR(st.st_mode))
        return true;
    const int fd = ::openat(parentFd, node.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return run.Fail(errno, path);
    return ScanFolder(fd, node, path, run);
}

// Splits and looks up every listed object before anything is changed, so that a bad entry stops the
// call while nothing has happened yet. scanTree decides whose trees are read (for the totals and for
// what a copy may later delete); the others count as one object each. The folders opened on the way stay
// open in parents for the work of the call that follows.
template <typename ScanTree>
bool ListObjects(const QStringList& objects, Run& run, std::vector<Listed>& listed, ScanTree scanTree,
                 ParentFolder& parents)
{
    listed.reserve(size_t(objects.size()));
    for (const QString& object : objects) {
        Listed item;
        if (!SplitPath(object, item, run))
            return false;
        const int parentFd = parents.Open(item.parent);
        if (parentFd < 0)
            return run.Fail(errno, item.parent, false);
        item.node.name = item.name;
        struct stat st {};
        if (::fstatat(parentFd, item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return run.Fail(errno, item.native);
        item.dev = st.st_dev;
        item.node.Take(st);
        if (scanTree(item)) {
            item.scanned = true;
            if (!ScanNode(parentFd, item.node, item.native, run, &st))
                return false;
        } else {
            run.AddTotals(1, 0);
        }
        listed.push_back(std::move(item));
    }
    return true;
}

// Copies size bytes of in to out (what fstat saw when the file was opened, and so what the copy's time
// stamp will stand for), or everything up to the end of a file that reports size 0: files of /proc and
// /sys do that, and copy_file_range copies nothing from them. Uses copy_file_range while the kernel takes
// it, read/write otherwise. Answers 0 or the errno; ECANCELED when the user cancelled.
template <typename Context> int CopyData(int in, int out, qint64 size, dev_t from, dev_t to, Context& run)
{
    bool kernel = size > 0 && !run.KernelCopyRefused(from, to);
    qint64 copied = 0;
    while (size == 0 || copied < size) {
        const qint64 left = size == 0 ? qint64(BufferSize) : size - copied;
        ssize_t n;
        if (kernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, size_t(qMin<qint64>(left, KernelChunk)), 0);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                    return errno;
                run.SetKernelCopyRefused(from, to);
                kernel = false;
                continue;
            }
        } else {
            char* buffer = run.Buffer();
            if (buffer == nullptr)
                return ENOMEM;
            n = ::read(in, buffer, size_t(qMin<qint64>(left, BufferSize)));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            for (ssize_t written = 0; written < n;) {
                const ssize_t w = ::write(out, buffer + written, size_t(n - written));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    return errno;
                }
                written += w;
            }
        }
        if (n == 0)
            break; // shorter than it was: the source changed, and its new time will say so
        copied += n;
        run.BytesDone(n);
        if (run.Cancelled())
            return ECANCELED;
    }
    return 0;
}

// Permission bits on a file system without them (vfat, exfat) cannot be set; the data is still whole.
bool ModeUnsupported(int err) { return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == ENOSYS; }

// The failures that belong to the target side of a copy, whatever call met them: they are named with the
// target's path, where the user must look (a full or read-only disk is not the source's fault).
bool TargetFailure(int err) { return err == ENOSPC || err == EDQUOT || err == EROFS || err == EFBIG; }

// The path a copy's failure is named with: the target for a failure of the target side (or of a call that
// only writes), the source otherwise.
QByteArray FailedPath(int err, bool writing, const Into& into, const QByteArray& as, const QByteArray& source)
{
    if ((writing || TargetFailure(err)) && !into.path.isEmpty())
        return ChildPath(into.path, as);
    return source;
}

// Copies a file with holes extent by extent, so the copy has the same holes: a 5 GiB disk image with 1 MiB
// of data stays 1 MiB on disk. The holes count as done bytes for the progress report.
template <typename Context> int CopySparse(int in, int out, qint64 size, dev_t from, dev_t to, Context& run)
{
    qint64 offset = 0;
    while (offset < size) {
        off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0) {
            if (errno != ENXIO)
                return errno;
            data = size; // only a hole is left
        }
        off_t end = data < size ? ::lseek(in, data, SEEK_HOLE) : size;
        if (end < 0)
            return errno;
        end = qMin<qint64>(end, size);
        if (data > offset)
            run.BytesDone(qMin<qint64>(data, size) - offset);
        if (end > data) {
            if (::lseek(in, data, SEEK_SET) < 0 || ::lseek(out, data, SEEK_SET) < 0)
                return errno;
            if (const int err = CopyData(in, out, end - data, from, to, run); err != 0)
                return err;
        }
        offset = qMax<qint64>(end, data);
    }
    return ::ftruncate(out, size) == 0 ? 0 : errno;
}

Identity IdentityFrom(const struct stat& st)
{
    Identity id;
    id.mode = st.st_mode;
    id.size = st.st_size;
    id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    id.atimeNs = qint64(st.st_atim.tv_sec) * 1000000000LL + st.st_atim.tv_nsec;
    id.ino = quint64(st.st_ino);
    id.dev = quint64(st.st_dev);
    return id;
}

QByteArray AbsolutePath(const QByteArray& path)
{
    if (path.startsWith('/'))
        return path;
    const std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? ChildPath(QByteArray(cwd.get()), path) : path;
}

// Where the trash put an object, as the keeper hears it.
TrashPlace PlaceOf(const FileOpsTrash::Placed& placed)
{
    return {DecodeFileName(placed.trash), DecodeFileName(placed.name)};
}

// Tells the keeper that the call made the object name in the folder open at fd (path: its full path).
void ReportCreated(int fd, const QByteArray& name, const QByteArray& path, Run& run)
{
    Keeper* keeper = run.keeper();
    struct stat st {};
    if (keeper != nullptr && ::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        keeper->Created(DecodeFileName(AbsolutePath(path)), IdentityFrom(st));
}

// Puts the finished object under its temporary name in place as the name as of the target folder. Without
// a keeper it simply replaces what is there. With one, what is there is kept (see Keeper): a second name in
// the trash, then the new object is renamed over it; where the file system has no hard links, the old object
// itself goes to the trash just before the new one is renamed in; where no trash takes it, it is replaced
// as without a keeper and the keeper hears why.
// heard: the keeper heard of the object under its name already (Keeper::CreatingAhead), which holds while it
// takes a free name in a folder the call made.
// made: the finished object's stat under its temporary name (none where not known).
int Publish(TempName& temp, const Into& into, const QByteArray& as, Run& run, bool heard = false,
            const struct stat* made = nullptr)
{
    Keeper* keeper = run.keeper();
    if (keeper == nullptr)
        return temp.Commit(as);
    const QByteArray path = AbsolutePath(into.path.isEmpty() ? as : ChildPath(into.path, as));
    if (into.made) {
        // Never over anything: a name taken since the folder was made goes the way of any taken name below.
        if (!heard)
            run.Changing();
        const int err = temp.CommitNew(as);
        if (err == 0 && !heard)
            ReportCreated(into.fd, as, path, run);
        if (err != EEXIST)
            return err;
    }
    struct stat old {};
    if (::fstatat(into.fd, as.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return errno;
        // Where a rename keeps identities, the keeper hears of the finished object before it takes the name.
        const bool told = made != nullptr && into.keepsIdentity
                          && keeper->CreatingAhead({{DecodeFileName(path), IdentityFrom(*made)}});
        if (!told)
            run.Changing();
        const int err = temp.CommitNew(as);
        if (err == 0 && !told)
            ReportCreated(into.fd, as, path, run);
        return err;
    }
    if (S_ISDIR(old.st_mode))
        return temp.Commit(as); // refused by the rename (EISDIR): a folder is never replaced by a file
    const QString shown = DecodeFileName(path);
    const Identity was = IdentityFrom(old);
    FileOpsTrash::Placed placed;
    int err = FileOpsTrash::Put(into.fd, as, path, run.DataFolder(), &placed, FileOpsTrash::Hand::Link, run.Trashes());
    if (err == 0) {
        const TrashPlace place = PlaceOf(placed);
        // Where a rename keeps identities, the keeper hears of the new object with the old one, before the rename.
        const bool told = made != nullptr && into.keepsIdentity && keeper->Replacing(shown, was, place, IdentityFrom(*made));
        if (!told)
            keeper->Displaced(shown, was, place, 0);
        // The new object is renamed over the old one, which lives on in the trash: the name holds one whole
        // object or the other at every moment, and a folder that took the name meanwhile is refused (EISDIR).
        err = temp.Commit(as);
        if (err == 0) {
            if (!told)
                ReportCreated(into.fd, as, path, run);
            return 0;
        }
        FileOpsTrash::Remove(placed.trash, placed.name);
        return err;
    }
    if (err == EPERM || err == EMLINK || err == EOPNOTSUPP || err == ENOSYS) {
        // No hard links here: the old object itself goes to the trash, and the new one takes its name.
        err = FileOpsTrash::Put(into.fd, as, path, run.DataFolder(), &placed, FileOpsTrash::Hand::Rename, run.Trashes(),
                                [&](const FileOpsTrash::Placed& going) {
                                    keeper->Displaced(shown, was, PlaceOf(going), 0);
                                });
        if (err == 0) {
            err = temp.CommitNew(as);
            if (err == 0) {
                ReportCreated(into.fd, as, path, run);
                return 0;
            }
            // The old object goes back where it was.
            FileOpsTrash::Take(placed.trash, placed.name, into.fd, as);
            return err;
        }
    }
    // No trash takes it: replaced as without a keeper, and recorded so.
    keeper->Displaced(shown, was, {}, err);
    err = temp.Commit(as);
    if (err == 0)
        ReportCreated(into.fd, as, path, run);
    return err;
}

// A file of the run whose other name was copied before becomes another link to that copy, when the copy
// is still there as it was made. Answers Done, or Skipped when it must be copied after all.
Step LinkToEarlierCopy(const struct stat& st, const Into& into, Node& node, const QByteArray& path, Run& run,
                       const QByteArray& as)
{
    RunMemory::Impl* memory = run.memory();
    if (memory == nullptr || st.st_nlink < 2)
        return Step::Skipped;
    const auto it = memory->links.find({st.st_dev, st.st_ino});
    if (it == memory->links.end())
        return Step::Skipped;
    const RunMemory::Impl::Copied& copied = it->second;
    const FileDescriptor folder = OpenFolderIn(copied.folder, run.roots(), run.KeptRoots());
    struct stat there {};
    if (!folder.valid() || ::fstatat(folder.get(), copied.name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0
        || there.st_dev != copied.dev || there.st_ino != copied.ino || !S_ISREG(there.st_mode) || there.st_dev != into.dev)
        return Step::Skipped;
    struct stat current {};
    if (::fstatat(into.fd, as.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0 && current.st_dev == there.st_dev
        && current.st_ino == there.st_ino) {
        run.ObjectsDone(1, st.st_size); // already that link
    } else {
        TempName temp(into.fd, run.pid());
        int err = temp.Make([&](const char* name) {
            return ::linkat(folder.get(), copied.name.constData(), into.fd, name, 0) == 0;
        });
        if (err == EMLINK || err == EPERM || err == EOPNOTSUPP || err == ENOTSUP)
            return Step::Skipped; // no (more) hard links here: a copy of its own
        if (err == 0)
            err = Publish(temp, into, as, run);
        if (err != 0)
            return run.StopWith(err, path);
        run.ObjectsDone(1, st.st_size);
    }
    node.size = st.st_size;
    node.ino = st.st_ino;
    node.ctime = st.st_ctim;
    node.copied = true;
    return Step::Done;
}

// Fills a new temporary file in the folder into with the regular file open as in (st): its data, extended
// attributes, owner, mode and times; made receives the finished file's stat. Answers 0 or the errno, and
// writing whether the failure was on the target's side (the file could not be made, or finished once its
// data was in) rather than in reading the source.
// startWriting: the file is to replace one (see CopyAhead::Prepare); its data is sent on its way to the disk
// before the call returns.
template <typename Context>
int FillTemp(int in, const struct stat& st, const Into& into, TempName& temp, Context& run, struct stat& made, bool& writing,
             bool startWriting = false)
{
    if (st.st_size >= qint64(BufferSize))
        ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    // Created with its final permission bits, so that only a umask, a sticky or set-ID bit or a new owner
    // costs an fchmod.
    const mode_t mode = ModeToCopy(st.st_mode, st.st_uid, st.st_gid);
    // A named temporary file is written through a descriptor of its own; a nameless one through the one
    // that keeps it alive.
    FileDescriptor named;
    int err = run.Anonymous() ? temp.MakeAnonymous(mode & 0777) : -1;
    if (err != 0)
        err = temp.Make([&](const char* name) {
            named.reset(::openat(into.fd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode & 0777));
            return named.valid();
        });
    const int out = named.valid() ? named.get() : temp.AnonymousFd();
    const bool sparse = st.st_size > 0 && qint64(st.st_blocks) * 512 < st.st_size;
    writing = err != 0; // the temporary file could not be made
    if (err == 0)
        err = sparse ? CopySparse(in, out, st.st_size, st.st_dev, into.dev, run)
                     : CopyData(in, out, st.st_size, st.st_dev, into.dev, run);
    writing = writing || err == 0;
    if (err == 0)
        err = CopyXattrs(in, out);
    const bool chowned = RunningAsRoot() && (st.st_uid != OwnUid() || st.st_gid != OwnGid());
    if (err == 0 && chowned)
        CopyOwner(out, st.st_uid, st.st_gid);
    if (err == 0 && (chowned || !(into.umaskOnly && run.CreatesWithMode(mode))) && ::fchmod(out, mode) != 0
        && !ModeUnsupported(errno))
        err = errno;
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (err == 0 && ::futimens(out, times) != 0)
        err = errno;
    if (err == 0 && run.Durable() && ::fdatasync(out) != 0)
        err = errno;
    if (err == 0 && ::fstat(out, &made) != 0)
        err = errno;
    // Only a start: whether and when the data reaches the disk is as without it.
    if (err == 0 && startWriting && !run.Durable())
        ::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (const int closeErr = named.close(); err == 0)
        err = closeErr;
    return err;
}

// Files up to this size are copied ahead (see CopyAhead); a larger one is copied in its turn, where its
// data, not the calls around it, is the cost.
constexpr qint64 AheadMaxBytes = qint64(1) << 20;
// The threads that copy ahead.
constexpr int Workers = 2;
// How many files a copy keeps ready ahead of the one it puts in place.
constexpr size_t AheadDepth = 32;
// How many files ready ahead the keeper hears of at once (see FolderAhead).
constexpr size_t AheadTold = 16;

// Whether a file the scan saw is copied ahead: a small regular file of one name (one of several names
// may become a link to an earlier copy instead).
bool GoesAhead(const Node& node) { return S_ISREG(node.mode) && node.nlink == 1 && node.size <= AheadMaxBytes; }

// Copies regular files into temporary files beside their targets on a thread of its own, ahead of the call
// (or the later call of a run) that puts them in place: when a file's turn comes, its data, extended
// attributes, owner, mode and times are in, and only putting it in place is left, on the calling thread
// and in the call's order, so the keeper hears of every object as it always does. Nothing anyone sees
// changes before that: the file has no name yet (O_TMPFILE; where a file system has no such files, a hidden
// temporary name), one never put in place is removed again, and a killed run leaves no nameless file and
// its hidden names go with the next run's sweep. A prepared file is used only while its source is still the
// file the call saw and the target folder the one the call opened; otherwise the file is copied in its turn.
class CopyAhead final
{
public:
    struct Job
    {
        enum class State { Queued, Working, Ready, Failed, Dropped };
        // The source folder and the target folder, open; or their paths (fromPath, toPath), which the
        // worker opens below the run's roots as the calling thread would.
        std::shared_ptr<const FileDescriptor> from;
        std::shared_ptr<const FileDescriptor> to;
        QByteArray fromPath;
        QByteArray toPath;
        QByteArray name; // the source's name in its folder
        // The name it is to take in the target folder, for a file of its own (PrepareCopy); empty for the files
        // of a folder copy (FolderAhead), which are not looked for in the target folder.
        QByteArray targetName;
        Into into;       // the target folder, as the worker wrote into it
        CopyAhead* owner = nullptr;
        // The keeper heard of the file under its target name already (Keeper::CreatingAhead).
        bool heard = false;
        // Answered by the worker.
        State state = State::Queued;
        struct stat source {};
        struct stat made {};
        // Declared after the folder it lives in, so that it is removed while that folder is still open.
        std::unique_ptr<TempName> temp;
    };

    CopyAhead(const Control& control, mode_t umask, const std::vector<QByteArray>& roots)
        : m_cancel(control.cancel), m_durable(control.durable), m_umask(umask), m_roots(roots)
    {
        for (int i = 0; i < Workers; ++i)
            m_threads.emplace_back([this] { Work(); });
    }
    ~CopyAhead()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    Q_DISABLE_COPY_MOVE(CopyAhead)

    void Push(const std::shared_ptr<Job>& job)
    {
        job->owner = this;
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(job);
        }
        m_wake.notify_one();
    }
    // Waits for the job; answers whether its file is ready to be put in place. A job the worker has not
    // begun is taken back: the caller copies the file itself.
    bool Take(Job& job)
    {
        std::unique_lock lock(m_mutex);
        if (job.state == Job::State::Queued)
            job.state = Job::State::Dropped;
        m_done.wait(lock, [&] { return job.state != Job::State::Working; });
        return job.state == Job::State::Ready;
    }
    // Waits until the worker is done with the job; answers whether its file is ready.
    bool AwaitReady(Job& job)
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return job.state != Job::State::Queued && job.state != Job::State::Working; });
        return job.state == Job::State::Ready;
    }
    bool Ready(const Job& job)
    {
        const std::lock_guard lock(m_mutex);
        return job.state == Job::State::Ready;
    }
    // Takes the job back and removes its temporary file.
    void Drop(Job& job)
    {
        Take(job);
        job.temp.reset();
    }

    // Jobs of a run's later calls, by source and target path (see Key).
    void PushKeyed(const QByteArray& key, const std::shared_ptr<Job>& job)
    {
        if (const auto it = m_keyed.find(key); it != m_keyed.end())
            Drop(*it->second);
        m_keyed[key] = job;
        Push(job);
    }
    std::shared_ptr<Job> TakeKeyed(const QByteArray& key)
    {
        const auto it = m_keyed.find(key);
        if (it == m_keyed.end())
            return nullptr;
        std::shared_ptr<Job> job = std::move(it->second);
        m_keyed.erase(it);
        return job;
    }
    void DropKeyed()
    {
        for (auto& [key, job] : m_keyed)
            Drop(*job);
        m_keyed.clear();
    }
    static QByteArray Key(const QString& source, const QString& targetPath)
    {
        return EncodeFileName(source) + '\0' + EncodeFileName(targetPath);
    }

private:
    // What FillTemp needs of its caller, on the worker: no progress (the calling thread counts a file's
    // bytes when it puts the file in place) and no events.
    class Context final : public CopyScratch
    {
    public:
        explicit Context(const CopyAhead& owner) : m_owner(owner) {}
        void BytesDone(qint64) {}
        bool Cancelled() const
        {
            return m_owner.m_stopping.load(std::memory_order_relaxed)
                   || (m_owner.m_cancel != nullptr && m_owner.m_cancel->load(std::memory_order_relaxed));
        }
        bool CreatesWithMode(mode_t mode) const { return (mode & ~0777) == 0 && (mode & m_owner.m_umask) == 0; }
        bool Durable() const { return m_owner.m_durable; }
        // A file copied ahead waits without a name: its folder is not written to (nor locked) until the file
        // takes its name, and a killed run leaves nothing there. Where names of /proc/self/fd can be linked.
        bool Anonymous() const { return m_owner.m_anonymous; }

    private:
        const CopyAhead& m_owner;
    };

    // The folders a worker opened by path, kept for the jobs that follow.
    using Folders = std::map<QByteArray, std::pair<std::shared_ptr<const FileDescriptor>, Into>>;

    void Work()
    {
        Context context(*this);
        Folders folders;
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_stop || !m_queue.empty(); });
                if (m_stop)
                    return;
                job = std::move(m_queue.front());
                m_queue.pop_front();
                if (job->state == Job::State::Dropped)
                    continue;
                job->state = Job::State::Working;
            }
            const bool ready = Prepare(*job, context, folders);
            {
                const std::lock_guard lock(m_mutex);
                job->state = ready ? Job::State::Ready : Job::State::Failed;
            }
            m_done.notify_all();
        }
    }

    std::shared_ptr<const FileDescriptor> Folder(Folders& folders, const QByteArray& path, Into* into)
    {
        auto it = folders.find(path);
        if (it == folders.end()) {
            auto fd = std::make_shared<const FileDescriptor>(OpenFolderIn(path, m_roots));
            Into kind;
            if (!fd->valid() || !OpenInto(fd->get(), kind))
                return std::make_shared<const FileDescriptor>(); // not there yet, maybe: asked again next time
            if (folders.size() >= 64)
                folders.clear();
            it = folders.emplace(path, std::make_pair(std::move(fd), kind)).first;
        }
        if (into != nullptr)
            *into = it->second.second;
        return it->second.first;
    }

    bool Prepare(Job& job, Context& context, Folders& folders)
    {
        if (context.Cancelled())
            return false;
        if (!job.from)
            job.from = Folder(folders, job.fromPath, nullptr);
        if (!job.to)
            job.to = Folder(folders, job.toPath, &job.into);
        // Not onto FUSE: its drivers differ in how well they take two threads writing into one folder.
        if (!job.from->valid() || !job.to->valid() || job.into.fuse)
            return false;
        job.into.fd = job.to->get();
        FileDescriptor in(context.OpenSource(job.from->get(), job.name.constData()));
        if (!in.valid() || ::fstat(in.get(), &job.source) != 0 || !S_ISREG(job.source.st_mode)
            || job.source.st_nlink != 1 || job.source.st_size > AheadMaxBytes)
            return false;
        job.temp = std::make_unique<TempName>(job.into.fd, OwnPid());
        // A file that is to replace another is written out here, on the worker: ext4 writes out a file
        // renamed over another before the rename returns (its guard against empty files after a crash),
        // and that would otherwise fall to the calling thread, which puts the files in place one by one.
        struct stat old {};
        const bool replaces = !job.targetName.isEmpty()
                              && ::fstatat(job.into.fd, job.targetName.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0
                              && S_ISREG(old.st_mode);
        bool writing = false;
        if (FillTemp(in.get(), job.source, job.into, *job.temp, context, job.made, writing, replaces) != 0) {
            job.temp.reset();
            return false;
        }
        return true;
    }

    const std::atomic<bool>* const m_cancel;
    const bool m_durable;
    const bool m_anonymous = ::access("/proc/self/fd", X_OK) == 0;
    const mode_t m_umask;
    const std::vector<QByteArray> m_roots;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<std::shared_ptr<Job>> m_queue;
    bool m_stop = false;
    std::atomic<bool> m_stopping{false};
    // The calling thread's: jobs by Key.
    std::map<QByteArray, std::shared_ptr<Job>> m_keyed;
    std::vector<std::thread> m_threads; // last: started once everything they use is there
};

Run::~Run()
{
    m_result.objectsDone = m_progress.objectsDone;
    m_result.bytesDone = m_progress.bytesDone;
}

CopyAhead& Run::Ahead()
{
    RunMemory::Impl* shared = memory();
    std::unique_ptr<CopyAhead>& ahead = shared != nullptr ? shared->ahead : m_ahead;
    if (!ahead)
        ahead = std::make_unique<CopyAhead>(m_control, Umask(), m_roots);
    return *ahead;
}

// The small files of one folder, copied ahead while the calling thread puts the earlier ones in place. In a
// folder the call made, the keeper hears of the files ready ahead all at once (Keeper::CreatingAhead)
// instead of one by one as each takes its name.
class FolderAhead final
{
public:
    FolderAhead(Run& run, int srcFd, const Into& into, const std::vector<Node>& children)
        : m_run(run), m_children(children), m_into(into)
    {
        // Worth a second thread from two files on; not onto FUSE (see CopyAhead::Prepare).
        if (into.fuse || std::count_if(children.begin(), children.end(), GoesAhead) < 2)
            return;
        m_from = std::make_shared<const FileDescriptor>(::fcntl(srcFd, F_DUPFD_CLOEXEC, 0));
        m_to = std::make_shared<const FileDescriptor>(::fcntl(into.fd, F_DUPFD_CLOEXEC, 0));
        if (!m_from->valid() || !m_to->valid())
            return;
        m_ahead = &run.Ahead();
        m_jobs.resize(children.size());
        m_tellAhead = run.keeper() != nullptr && into.made && !into.path.isEmpty() && into.keepsIdentity;
    }
    ~FolderAhead() { DropAll(); }
    Q_DISABLE_COPY_MOVE(FolderAhead)

    // The job of child i, once those up to AheadDepth children after it are queued too.
    CopyAhead::Job* At(size_t i)
    {
        if (m_ahead == nullptr)
            return nullptr;
        m_next = std::max(m_next, i); // none for children passed over
        for (; m_next < m_children.size() && m_next <= i + AheadDepth; ++m_next) {
            if (!GoesAhead(m_children[m_next]))
                continue;
            auto job = std::make_shared<CopyAhead::Job>();
            job->from = m_from;
            job->to = m_to;
            job->into = m_into;
            job->name = m_children[m_next].name;
            m_jobs[m_next] = job;
            m_ahead->Push(job);
        }
        CopyAhead::Job* job = m_jobs[i].get();
        if (job != nullptr && m_tellAhead && !job->heard) {
            // The next few are waited for rather than copied here, so that the keeper hears of them at once.
            for (size_t j = i; j < m_next && j < i + AheadTold; ++j)
                if (m_jobs[j])
                    m_ahead->AwaitReady(*m_jobs[j]);
            TellAhead(i);
        }
        return job;
    }
    // Child i is done with: what was copied ahead for it and not used goes.
    void Done(size_t i)
    {
        if (m_ahead != nullptr && m_jobs[i]) {
            m_ahead->Drop(*m_jobs[i]);
            m_jobs[i].reset();
        }
    }
    // Removes every temporary file still waiting; before the folder's time is set, which removing one
    // would change again.
    void DropAll()
    {
        for (size_t i = 0; i < m_jobs.size(); ++i)
            Done(i);
    }

private:
    // The keeper hears of every file ready from child i on, each under the name it is to take.
    void TellAhead(size_t i)
    {
        std::vector<Keeper::Coming> coming;
        std::vector<CopyAhead::Job*> told;
        for (size_t j = i; j < m_next && j < i + AheadTold; ++j) {
            CopyAhead::Job* job = m_jobs[j].get();
            if (job == nullptr || job->heard || !m_ahead->Ready(*job))
                continue;
            coming.push_back({DecodeFileName(AbsolutePath(ChildPath(m_into.path, m_children[j].name))), IdentityFrom(job->made)});
            told.push_back(job);
        }
        if (m_run.keeper()->CreatingAhead(coming))
            for (CopyAhead::Job* job : told)
                job->heard = true;
    }

    Run& m_run;
    const std::vector<Node>& m_children;
    const Into m_into;
    std::shared_ptr<const FileDescriptor> m_from;
    std::shared_ptr<const FileDescriptor> m_to;
    CopyAhead* m_ahead = nullptr;
    std::vector<std::shared_ptr<CopyAhead::Job>> m_jobs;
    size_t m_next = 0;
    bool m_tellAhead = false;
};

// Whether a prepared job copied the file the call saw into the folder it writes into.
bool StillFits(const CopyAhead::Job& job, const Node& node, const Into& into)
{
    const struct stat& st = job.source;
    return job.into.dev == into.dev && job.into.ino == into.ino && st.st_dev == node.dev && st.st_ino == node.ino
           && st.st_size == node.size && SameTime(st.st_mtim, node.mtime) && SameTime(st.st_ctim, node.ctime);
}

// Each copy writes node under the name as in the target folder (node's own name unless given). ahead: the
// file copied ahead (see CopyAhead), taken here whether it is used or not.
Step CopyFile(int srcFd, const Into& into, Node& node, const QByteArray& path, Run& run, const QByteArray& as,
              CopyAhead::Job* ahead = nullptr)
{
    struct stat st {};
    struct stat made {};
    TempName own(into.fd, run.pid());
    TempName* temp = &own;
    bool writing = true;
    int err = 0;
    if (ahead != nullptr && ahead->owner->Take(*ahead) && StillFits(*ahead, node, into)) {
        st = ahead->source;
        made = ahead->made;
        temp = ahead->temp.get();
        run.BytesDone(st.st_size);
        if (run.Cancelled())
            return Step::Stop;
    } else {
        if (ahead != nullptr)
            ahead->temp.reset();
        // O_NONBLOCK: a FIFO put in the file's place since the scan must not hang the call.
        FileDescriptor in(run.OpenSource(srcFd, node.name.constData()));
        if (!in.valid() || ::fstat(in.get(), &st) != 0)
            return run.StopWith(errno, path);
        if (!S_ISREG(st.st_mode)) {
            // Became something else since the scan: a folder we would have to walk, or a special file that
            // must never be read.
            if (S_ISDIR(st.st_mode))
                return run.StopWith(EISDIR, path);
            node.mode = st.st_mode;
            run.Skip(path, node, Skipped::Reason::SpecialFile);
            return Step::Skipped;
        }
        if (const Step linked = LinkToEarlierCopy(st, into, node, path, run, as); linked != Step::Skipped)
            return linked;
        err = FillTemp(in.get(), st, into, own, run, made, writing);
    }
    if (err == 0)
        err = Publish(*temp, into, as, run, temp != &own && ahead->heard, &made);
    if (err == ECANCELED)
        return Step::Stop;
    if (err != 0)
        return run.StopWith(err, FailedPath(err, writing, into, as, path));
    if (RunMemory::Impl* memory = run.memory(); memory != nullptr && st.st_nlink > 1 && !into.path.isEmpty())
        memory->links[{st.st_dev, st.st_ino}] = {into.path, as, made.st_dev, made.st_ino};
    // The identity of what was read: a move deletes the source only while it still is this file.
    node.size = st.st_size;
    node.ino = st.st_ino;
    node.ctime = st.st_ctim;
    node.copied = true;
    run.ObjectsDone();
    return Step::Done;
}

Step CopyLink(int srcFd, const Into& into, Node& node, const QByteArray& path, Run& run, const QByteArray& as)
{
    const int dstFd = into.fd;
    QByteArray text(qMax<qint64>(node.size, 64) + 1, Qt::Uninitialized);
    ssize_t length;
    while ((length = ::readlinkat(srcFd, node.name.constData(), text.data(), size_t(text.size()))) == text.size())
        text.resize(text.size() * 2);
    if (length < 0)
        return run.StopWith(errno, path);
    text.truncate(length);

    TempName temp(dstFd, run.pid());
    int err = temp.Make([&](const char* name) { return ::symlinkat(text.constData(), dstFd, name) == 0; });
    if (err == 0) {
        if (RunningAsRoot())
            (void)::fchownat(dstFd, temp.name(), node.uid, node.gid, AT_SYMLINK_NOFOLLOW);
        // Not every file system keeps a link's own times; the link is whole without them.
        const timespec times[2] = {node.atime, node.mtime};
        if (!into.fuse)
            ::utimensat(dstFd, temp.name(), times, AT_SYMLINK_NOFOLLOW);
        err = Publish(temp, into, as, run);
    }
    if (err != 0)
        return run.StopWith(err, FailedPath(err, true, into, as, path));
    node.copied = true;
    run.ObjectsDone();
    return Step::Done;
}

// A FIFO, socket or device node is never opened: it is made anew from its type, mode and device number.
// One this system will not make here (a device node without root, a FIFO on vfat) is left as it was and
// listed under skipped.
Step CopySpecial(const Into& into, Node& node, const QByteArray& path, Run& run, const QByteArray& as)
{
    const int dstFd = into.fd;
    TempName temp(dstFd, run.pid());
    int err = temp.Make([&](const char* name) {
        return ::mknodat(dstFd, name, (node.mode & S_IFMT) | (node.mode & 0777), node.rdev) == 0;
    });
    if (err == EPERM || err == EACCES || err == EOPNOTSUPP || err == ENOTSUP || err == EINVAL) {
        run.Skip(path, node, Skipped::Reason::SpecialFile);
        return Step::Skipped;
    }
    if (err == 0) {
        if (RunningAsRoot())
            (void)::fchownat(dstFd, temp.name(), node.uid, node.gid, AT_SYMLINK_NOFOLLOW);
        if (::fchmodat(dstFd, temp.name(), ModeToCopy(node.mode, node.uid, node.gid), 0) != 0 && !ModeUnsupported(errno))
            err = errno;
        const timespec times[2] = {node.atime, node.mtime};
        if (err == 0 && ::utimensat(dstFd, temp.name(), times, AT_SYMLINK_NOFOLLOW) != 0)
            err = errno;
        if (err == 0)
            err = Publish(temp, into, as, run);
    }
    if (err != 0)
        return run.StopWith(err, FailedPath(err, true, into, as, path));
    node.copied = true;
    run.ObjectsDone();
    return Step::Done;
}

Step CopyNode(int srcFd, const Into& into, Node& node, const QByteArray& path, Run& run, const QByteArray* as = nullptr,
              CopyAhead::Job* ahead = nullptr);

Step CopyFolder(int srcFd, const Into& into, Node& node, const QByteArray& path, Run& run, const QByteArray& as)
{
    const int dstFd = into.fd;
    // Never more open than the source while it fills (a killed copy of a private folder stays private),
    // and writable by us until its contents are in.
    const bool made = ::mkdirat(dstFd, as.constData(), (node.mode & 0777) | S_IRWXU) == 0;
    if (made) {
        ReportCreated(dstFd, as, into.path.isEmpty() ? as : ChildPath(into.path, as), run);
    } else {
        if (errno != EEXIST)
            return run.StopWith(errno, FailedPath(errno, true, into, as, path));
        // Merge into an existing folder, but never write through a link or over a file of that name.
        struct stat st {};
        if (::fstatat(dstFd, as.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return run.StopWith(errno, FailedPath(errno, true, into, as, path));
        if (!S_ISDIR(st.st_mode)) // named with the object in the way
            return run.StopWith(EEXIST, FailedPath(EEXIST, true, into, as, path));
    }
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const FileDescriptor src(::openat(srcFd, node.name.constData(), flags));
    if (!src.valid())
        return run.StopWith(errno, path);
    const FileDescriptor dst(::openat(dstFd, as.constData(), flags));
    Into inside;
    if (!dst.valid() || !OpenInto(dst.get(), inside))
        return run.StopWith(errno, path);
    if (!into.path.isEmpty())
        inside.path = ChildPath(into.path, as);
    inside.made = made;

    NameGuard guard(dst.get(), run.control().targetIgnoresCase, run);
    FolderAhead ahead(run, src.get(), inside, node.children);
    for (size_t i = 0; i < node.children.size(); ++i) {
        Node& child = node.children[i];
        const QByteArray childPath = ChildPath(path, child.name);
        if (run.Cancelled())
            return Step::Stop;
        if (!guard.Claim(child.name)) {
            ahead.Done(i);
            run.Skip(childPath, child, Skipped::Reason::NameTaken);
            continue;
        }
        const Step step = CopyNode(src.get(), inside, child, childPath, run, nullptr, ahead.At(i));
        ahead.Done(i);
        if (step == Step::Stop)
            return Step::Stop;
    }
    ahead.DropAll();
    if (const int err = CopyXattrs(src.get(), dst.get()); err != 0)
        return run.StopWith(err, path);
    CopyOwner(dst.get(), node.uid, node.gid);
    // Last, because every entry written above changed the folder's time, and a read-only folder
    // had to stay writable until its contents were in.
    if (::fchmod(dst.get(), ModeToCopy(node.mode, node.uid, node.gid)) != 0 && !ModeUnsupported(errno))
        return run.StopWith(errno, path);
    const timespec times[2] = {node.atime, node.mtime};
    if (::futimens(dst.get(), times) != 0)
        return run.StopWith(errno, path);
    node.copied = true;
    run.ObjectsDone();
    return Step::Done;
}

Step CopyNode(int srcFd, const Into& into, Node& node, const QByteArray& path, Run& run, const QByteArray* as,
              CopyAhead::Job* ahead)
{
    run.Begin(path);
    const QByteArray& name = as != nullptr ? *as : node.name;
    if (S_ISREG(node.mode))
        return CopyFile(srcFd, into, node, path, run, name, ahead);
    if (S_ISLNK(node.mode))
        return CopyLink(srcFd, into, node, path, run, name);
    if (S_ISDIR(node.mode))
        return CopyFolder(srcFd, into, node, path, run, name);
    return CopySpecial(into, node, path, run, name);
}

// Copies the listed objects into the target; the first object refused by the guard is skipped.
// Answers false when the call stopped.
bool CopyListed(Listed& item, ParentFolder& parents, const Target& target, NameGuard& guard, Run& run)
{
    if (run.Cancelled())
        return false;
    if (!guard.Claim(item.name)) {
        run.Begin(item.native);
        run.Skip(item.native, item.node, Skipped::Reason::NameTaken);
        return true;
    }
    const int parentFd = parents.Open(item.parent);
    if (parentFd < 0)
        return run.Fail(errno, item.parent, false);
    const Step step = CopyNode(parentFd, target.into, item.node, item.native, run);
    if (step == Step::Done)
        run.result().completed.append(item.path);
    return step != Step::Stop;
}

// Deletes what a copy made of node from the folder open at fd, keeping whatever was not copied or has
// changed since. kept tells the caller that its folder cannot be empty now.
bool RemoveCopied(int fd, const Node& node, const QByteArray& path, Run& run, bool& kept)
{
    if (!node.copied) {
        kept = true;
        return true;
    }
    struct stat st {};
    if (::fstatat(fd, node.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || run.Fail(errno, path);
    if (S_ISDIR(node.mode)) {
        if (!S_ISDIR(st.st_mode) || st.st_ino != node.ino) {
            kept = true;
            run.Keep(path, Skipped::Reason::ChangedDuringMove);
            return true;
        }
        const FileDescriptor child(::openat(fd, node.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!child.valid())
            return run.Fail(errno, path);
        bool keptBelow = false;
        for (const Node& entry : node.children)
            if (!RemoveCopied(child.get(), entry, ChildPath(path, entry.name), run, keptBelow))
                return false;
        if (::unlinkat(fd, node.name.constData(), AT_REMOVEDIR) == 0)
            return true;
        if (errno != ENOTEMPTY && errno != EEXIST)
            return run.Fail(errno, path);
        kept = true;
        if (!keptBelow) // something appeared in it after it was copied
            run.Keep(path, Skipped::Reason::ChangedDuringMove);
        return true;
    }
    const bool same = st.st_ino == node.ino && (st.st_mode & S_IFMT) == (node.mode & S_IFMT)
                      && SameTime(st.st_ctim, node.ctime) && (!S_ISREG(st.st_mode) || st.st_size == node.size);
    if (!same) {
        kept = true;
        run.Keep(path, Skipped::Reason::ChangedDuringMove);
        return true;
    }
    return ::unlinkat(fd, node.name.constData(), 0) == 0 || errno == ENOENT || run.Fail(errno, path);
}

// A move across file systems, now: copy (under the name as), make the copy durable, then delete the
// source where it is still what was copied.
Step MoveAcross(int srcFd, int dstFd, Node& node, const QByteArray& path, Run& run, const QByteArray& as)
{
    Into into;
    if (!OpenInto(dstFd, into))
        return run.StopWith(errno, path);
    const Step step = CopyNode(srcFd, into, node, path, run, &as);
    if (step != Step::Done)
        return step;
    if (::syncfs(dstFd) != 0)
        return run.StopWith(errno, path);
    bool kept = false;
    return RemoveCopied(srcFd, node, path, run, kept) ? Step::Done : Step::Stop;
}

std::vector<QByteArray> ReadNames(int fd, int& err)
{
    std::vector<QByteArray> names;
    err = 0;
    DIR* dir = ::fdopendir(::dup(fd));
    if (dir == nullptr) {
        err = errno;
        return names;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            err = errno;
            break;
        }
        const char* name = entry->d_name;
        if (!(name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))))
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

// Moves one object within a file system by renaming it to as; a folder onto an existing folder is
// merged entry by entry. A part that turns out to live on another file system (a mount inside) is copied.
Step MoveByRename(int srcFd, int dstFd, const QByteArray& name, const QByteArray& as, const QByteArray& path, Run& run)
{
    if (::renameat(srcFd, name.constData(), dstFd, as.constData()) == 0)
        return Step::Done;
    const int err = errno;
    if (err == EXDEV) {
        Node node;
        node.name = name;
        if (!ScanNode(srcFd, node, path, run))
            return Step::Stop;
        return MoveAcross(srcFd, dstFd, node, path, run, as);
    }
    struct stat from {};
    struct stat to {};
    const bool merge = (err == ENOTEMPTY || err == EEXIST)
                       && ::fstatat(srcFd, name.constData(), &from, AT_SYMLINK_NOFOLLOW) == 0
                       && ::fstatat(dstFd, as.constData(), &to, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(from.st_mode)
                       && S_ISDIR(to.st_mode);
    if (!merge)
        return run.StopWith(err, path);

    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const FileDescriptor src(::openat(srcFd, name.constData(), flags));
    const FileDescriptor dst(src.valid() ? ::openat(dstFd, as.constData(), flags) : -1);
    if (!dst.valid())
        return run.StopWith(errno, path);
    int readErr = 0;
    const std::vector<QByteArray> names = ReadNames(src.get(), readErr);
    if (readErr != 0)
        return run.StopWith(readErr, path);
    NameGuard guard(dst.get(), run.control().targetIgnoresCase, run);
    bool kept = false;
    for (const QByteArray& child : names) {
        const QByteArray childPath = ChildPath(path, child);
        if (run.Cancelled())
            return Step::Stop;
        if (!guard.Claim(child)) {
            kept = true;
            run.Keep(childPath, Skipped::Reason::NameTaken);
            continue;
        }
        if (MoveByRename(src.get(), dst.get(), child, child, childPath, run) == Step::Stop)
            return Step::Stop;
    }
    if (::unlinkat(srcFd, name.constData(), AT_REMOVEDIR) == 0)
        return Step::Done;
    if (errno != ENOTEMPTY && errno != EEXIST)
        return run.StopWith(errno, path);
    if (!kept)
        run.Keep(path, Skipped::Reason::ChangedDuringMove);
    return Step::Done;
}

// Listed objects copied across file systems, waiting for one syncfs() before their sources are
// deleted: a syncfs per small file would cost more than the copy.
class PendingMoves final
{
public:
    explicit PendingMoves(const Target& target) : m_target(target) {}

    void Add(Listed& item) { m_items.push_back(&item); }
    bool Full() const { return m_items.size() >= PendingMovesPerSync; }

    // Runs also after a failure or a cancel: what was copied whole is moved whole.
    bool Finish(ParentFolder& parents, Run& run)
    {
        if (m_items.empty())
            return true;
        std::vector<Listed*> items;
        items.swap(m_items);
        if (::syncfs(m_target.fd.get()) != 0)
            return run.Fail(errno, m_target.native, false);
        for (Listed* item : items) {
            const int parentFd = parents.Open(item->parent);
            if (parentFd < 0)
                return run.Fail(errno, item->parent, false);
            bool kept = false;
            if (!RemoveCopied(parentFd, item->node, item->native, run, kept))
                return false;
            run.result().completed.append(item->path);
        }
        return true;
    }

private:
    const Target& m_target;
    std::vector<Listed*> m_items;
};

Step DeleteNode(int fd, const Node& node, const QByteArray& path, Run& run)
{
    if (run.Cancelled())
        return Step::Stop;
    run.Begin(path);
    if (S_ISDIR(node.mode)) {
        const FileDescriptor child(::openat(fd, node.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!child.valid())
            return run.StopWith(errno, path);
        for (const Node& entry : node.children)
            if (DeleteNode(child.get(), entry, ChildPath(path, entry.name), run) == Step::Stop)
                return Step::Stop;
        if (::unlinkat(fd, node.name.constData(), AT_REMOVEDIR) != 0)
            return run.StopWith(errno, path);
    } else if (::unlinkat(fd, node.name.constData(), 0) != 0 && errno != ENOENT) {
        return run.StopWith(errno, path);
    }
    run.ObjectsDone();
    return Step::Done;
}

bool ValidNewName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

template <typename Body> Result Perform(const Control& control, Body body)
{
    Result result;
    {
        Run run(control, result);
        body(run);
    }
    return result;
}

// A call on the one object at path: its folder opened below the roots, then body(run, folderFd, item), which
// records its own failure and answers whether the object was handled.
template <typename Body> Result PerformOnObject(const QString& path, const Control& control, Body body)
{
    return Perform(control, [&](Run& run) {
        Listed item;
        if (!SplitPath(path, item, run))
            return;
        run.AddTotals(1, 0);
        run.Start();
        ParentFolder parents(run);
        const int fd = OpenParent(parents, item, run);
        if (fd < 0)
            return;
        run.Begin(item.native);
        if (!body(run, fd, item))
            return;
        run.ObjectsDone();
        run.result().completed.append(path);
    });
}

} // namespace

Result Copy(const QStringList& objects, const QString& targetFolder, const Control& control)
{
    return Perform(control, [&](Run& run) {
        Target target;
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!OpenTarget(EncodeFileName(targetFolder), run, target)
            || !ListObjects(objects, run, listed, [](const Listed&) { return true; }, parents))
            return;
        for (const Listed& item : listed) {
            if (!NotIntoItself(item, target, run))
                return;
            // Onto itself: nothing to gain, and a folder would read its own temporary files.
            struct stat st {};
            if (::fstatat(target.fd.get(), item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
                && st.st_dev == item.dev && st.st_ino == item.node.ino) {
                run.Fail(EINVAL, item.native);
                return;
            }
        }
        run.Start();
        NameGuard guard(target.fd.get(), control.targetIgnoresCase, run);
        for (Listed& item : listed)
            if (!CopyListed(item, parents, target, guard, run))
                return;
    });
}

Result Move(const QStringList& objects, const QString& targetFolder, const Control& control)
{
    return Perform(control, [&](Run& run) {
        Target target;
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!OpenTarget(EncodeFileName(targetFolder), run, target)
            || !ListObjects(objects, run, listed, [&](const Listed& item) { return item.dev != target.dev; }, parents))
            return;
        for (const Listed& item : listed)
            if (!NotIntoItself(item, target, run))
                return;
        run.Start();
        NameGuard guard(target.fd.get(), control.targetIgnoresCase, run);
        PendingMoves pending(target);
        for (Listed& item : listed) {
            if (run.Cancelled())
                break;
            if (!guard.Claim(item.name)) {
                run.Begin(item.native);
                run.Skip(item.native, item.node, Skipped::Reason::NameTaken);
                continue;
            }
            const int parentFd = parents.Open(item.parent);
            if (parentFd < 0) {
                run.Fail(errno, item.parent, false);
                break;
            }
            if (item.scanned) {
                const Step step = CopyNode(parentFd, target.into, item.node, item.native, run);
                if (step == Step::Stop)
                    break;
                if (step == Step::Done)
                    pending.Add(item);
                if (pending.Full() && !pending.Finish(parents, run))
                    break;
                continue;
            }
            run.Begin(item.native);
            if (MoveByRename(parentFd, target.fd.get(), item.name, item.name, item.native, run) == Step::Stop)
                break;
            run.ObjectsDone();
            run.result().completed.append(item.path);
        }
        pending.Finish(parents, run);
    });
}

namespace {

// The target of CopyAs and MoveAs: its folder, open, and the name in it.
bool OpenTargetPath(const QString& targetPath, Run& run, Target& target, QByteArray& name)
{
    Listed there;
    if (!SplitPath(targetPath, there, run))
        return false;
    name = there.name;
    return OpenTarget(there.parent, run, target);
}

bool IsNetworkFileSystem(const struct statfs& fs)
{
    switch (static_cast<unsigned long>(fs.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case 0xFF534D42UL: // cifs
    case 0xFE534D42UL: // smb2
    case 0x65735546UL: // fuse: sshfs and friends may be shared with another machine
    case V9FS_MAGIC:
    case AFS_SUPER_MAGIC:
    case 0x00C36400UL: // ceph
        return true;
    default:
        return false;
    }
}

// Removes the temporary files that killed runs of this program left in the folder open at fd: our names
// whose process is gone. Only on a local file system, since a network folder may be written by the same
// program on another machine, whose process numbers mean nothing here.
void RemoveLeftovers(int fd, Run& run)
{
    const pid_t own = run.pid();
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0 || IsNetworkFileSystem(fs))
        return;
    int err = 0;
    for (const QByteArray& name : ReadNames(fd, err)) {
        long pid = 0;
        if (!IsTemporaryName(name.constData(), &pid) || pid <= 0 || pid == long(own))
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) {
            run.Changing();
            ::unlinkat(fd, name.constData(), 0);
        }
    }
}

// The leftovers of the target folder, once per folder and run.
void SweepLeftovers(const Target& target, Run& run)
{
    RunMemory::Impl* memory = run.memory();
    if (memory != nullptr && memory->swept.try_emplace({target.into.dev, target.into.ino}, true).second)
        RemoveLeftovers(target.fd.get(), run);
}

// Whether the run lets this call give out name in the target folder (see RunMemory).
bool ClaimInRun(const Target& target, const QByteArray& name, Run& run)
{
    RunMemory::Impl* memory = run.memory();
    if (memory == nullptr)
        return true;
    auto known = memory->ignoresCase.find(target.native);
    if (known == memory->ignoresCase.end())
        known = memory->ignoresCase.emplace(target.native, run.control().targetIgnoresCase
                                                                || FolderIgnoresCase(target.fd.get(), run)).first;
    const bool ignoresCase = known->second;
    const QString folder = DecodeFileName(target.native);
    return ClaimName(memory->names[ignoresCase ? folder.toCaseFolded() : folder], target.fd.get(), ignoresCase, name, run);
}

// Whether the target name already reaches the listed object itself.
bool ReachesItself(const Target& target, const QByteArray& name, const Listed& item, struct stat& there)
{
    return ::fstatat(target.fd.get(), name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && there.st_dev == item.dev
           && there.st_ino == item.node.ino;
}

} // namespace

Result CopyAs(const QString& source, const QString& targetPath, const Control& control)
{
    return Perform(control, [&](Run& run) {
        Target target;
        QByteArray name;
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!OpenTargetPath(targetPath, run, target, name)
            || !ListObjects({source}, run, listed, [](const Listed&) { return true; }, parents))
            return;
        Listed& item = listed.front();
        if (!NotIntoItself(item, target, run))
            return;
        // Onto itself (the same path, or another hard link of the file): nothing to gain.
        struct stat there {};
        if (ReachesItself(target, name, item, there)) {
            run.Fail(EINVAL, item.native);
            return;
        }
        run.Start();
        if (run.Cancelled())
            return;
        SweepLeftovers(target, run);
        if (!ClaimInRun(target, name, run)) {
            run.Begin(item.native);
            run.Skip(item.native, item.node, Skipped::Reason::NameTaken);
            return;
        }
        const int parentFd = parents.Open(item.parent);
        if (parentFd < 0) {
            run.Fail(errno, item.parent, false);
            return;
        }
        // The file may have been copied ahead by the run. Then only putting it in place is left, which the
        // keeper hears of beforehand; any other copy makes things first.
        std::shared_ptr<CopyAhead::Job> ahead;
        if (RunMemory::Impl* memory = run.memory(); memory != nullptr && memory->ahead)
            ahead = memory->ahead->TakeKeyed(CopyAhead::Key(source, targetPath));
        if (!ahead || !S_ISREG(item.node.mode) || !ahead->owner->Take(*ahead) || !StillFits(*ahead, item.node, target.into))
            run.Changing();
        const Step step = CopyNode(parentFd, target.into, item.node, item.native, run, &name, ahead.get());
        if (ahead)
            ahead->owner->Drop(*ahead);
        if (step == Step::Done)
            run.result().completed.append(item.path);
    });
}

RunMemory::~RunMemory() = default;

void RunMemory::PrepareCopy(const QString& source, const QString& targetPath, const Control& control)
{
    const auto split = [](const QString& path, QByteArray& folder, QByteArray& name) {
        QByteArray native = EncodeFileName(path);
        while (native.size() > 1 && native.endsWith('/'))
            native.chop(1);
        const qsizetype slash = native.lastIndexOf('/');
        if (slash <= 0 || native.contains('\0'))
            return false;
        folder = native.left(slash);
        name = native.mid(slash + 1);
        return name != "." && name != "..";
    };
    auto job = std::make_shared<CopyAhead::Job>();
    if (!split(source, job->fromPath, job->name) || !split(targetPath, job->toPath, job->targetName))
        return;
    Impl& impl = *m_impl;
    if (!impl.ahead) {
        if (impl.umask == mode_t(-1))
            impl.umask = ReadUmask();
        impl.ahead = std::make_unique<CopyAhead>(control, impl.umask, NativeRoots(control.roots));
    }
    impl.ahead->PushKeyed(CopyAhead::Key(source, targetPath), job);
}

void RunMemory::DropPrepared()
{
    if (m_impl->ahead)
        m_impl->ahead->DropKeyed();
}

Result MoveAs(const QString& source, const QString& targetPath, const Control& control)
{
    return Perform(control, [&](Run& run) {
        Target target;
        QByteArray name;
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!OpenTargetPath(targetPath, run, target, name)
            || !ListObjects({source}, run, listed, [&](const Listed& item) { return item.dev != target.dev; }, parents))
            return;
        Listed& item = listed.front();
        if (!NotIntoItself(item, target, run))
            return;
        // A rename onto another hard link of the same file does nothing and answers success, which would
        // report a move that never happened. The object itself under a spelling its folder folds onto it
        // is a change of case, which the rename makes.
        struct stat there {};
        if (ReachesItself(target, name, item, there) && !S_ISDIR(there.st_mode) && there.st_nlink > 1) {
            run.Fail(EINVAL, item.native);
            return;
        }
        run.Start();
        if (run.Cancelled())
            return;
        const int parentFd = parents.Open(item.parent);
        if (parentFd < 0) {
            run.Fail(errno, item.parent, false);
            return;
        }
        if (item.scanned) {
            // Across file systems: the source goes only once the copy is on the target's disk, and only
            // what is still as it was copied.
            if (CopyNode(parentFd, target.into, item.node, item.native, run, &name) != Step::Done)
                return;
            if (::syncfs(target.fd.get()) != 0) {
                run.Fail(errno, target.native, false);
                return;
            }
            bool kept = false;
            if (RemoveCopied(parentFd, item.node, item.native, run, kept))
                run.result().completed.append(item.path);
            return;
        }
        run.Begin(item.native);
        if (MoveByRename(parentFd, target.fd.get(), item.name, name, item.native, run) == Step::Stop)
            return;
        run.ObjectsDone();
        run.result().completed.append(item.path);
    });
}

Result MakeFolders(const QString& path, const Control& control)
{
    return Perform(control, [&](Run& run) {
        QByteArray native = EncodeFileName(path);
        while (native.size() > 1 && native.endsWith('/'))
            native.chop(1);
        if (native.isEmpty() || native.contains('\0')) {
            run.Fail(EINVAL, native, false);
            return;
        }
        // Up to the deepest folder that is there already; the names below it are made.
        std::vector<QByteArray> missing;
        QByteArray existing = native;
        FileDescriptor fd;
        for (;;) {
            fd = OpenFolderIn(existing, run.roots(), run.KeptRoots());
            if (fd.valid())
                break;
            int err = errno;
            // Something that is no folder has the name: what mkdir says of it.
            struct stat st {};
            if (err == ENOTDIR && ::lstat(existing.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
                err = EEXIST;
            if ((err != ENOENT && err != ENOTDIR) || existing == "/" || existing == ".") {
                run.Fail(err, existing, false);
                return;
            }
            const qsizetype slash = existing.lastIndexOf('/');
            const QByteArray name = existing.mid(slash + 1);
            if (!name.isEmpty() && name != ".")
                missing.push_back(name);
            existing = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : existing.left(slash);
        }
        run.AddTotals(qint64(missing.size()), 0);
        run.Start();
        if (!missing.empty())
            run.Changing();
        QByteArray made = existing == "." ? QByteArray() : existing;
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            made = made.isEmpty() ? *it : ChildPath(made, *it);
            run.Begin(made);
            if (::mkdirat(fd.get(), it->constData(), 0777) != 0 && errno != EEXIST) {
                run.Fail(errno, made, false);
                return;
            }
            // Made by someone else meanwhile is as good, but a link or a file in its place is not.
            FileDescriptor next(::openat(fd.get(), it->constData(), FolderFlags));
            if (!next.valid()) {
                run.Fail(errno, made, false);
                return;
            }
            ReportCreated(fd.get(), *it, made, run);
            fd = std::move(next);
            run.ObjectsDone();
        }
        run.result().completed.append(path);
    });
}

Result MoveToTrash(const QStringList& objects, const Control& control)
{
    return Perform(control, [&](Run& run) {
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!ListObjects(objects, run, listed, [](const Listed&) { return false; }, parents))
            return;
        run.Start();
        for (const Listed& item : listed) {
            if (run.Cancelled())
                return;
            run.Begin(item.native);
            const int parentFd = parents.Open(item.parent);
            if (parentFd < 0) {
                run.Fail(errno, item.parent, false);
                return;
            }
            struct stat was {};
            const bool known = run.keeper() != nullptr && ::fstatat(parentFd, item.name.constData(), &was, AT_SYMLINK_NOFOLLOW) == 0;
            const QByteArray path = AbsolutePath(item.native);
            // The keeper hears where the object goes before it leaves its folder.
            const auto placing = [&](const FileOpsTrash::Placed& going) {
                if (known)
                    run.keeper()->Displaced(DecodeFileName(path), IdentityFrom(was), PlaceOf(going), 0);
            };
            if (const int err = FileOpsTrash::Put(parentFd, item.name, path, run.DataFolder(), nullptr,
                                                  FileOpsTrash::Hand::Rename, run.Trashes(), placing);
                err != 0) {
                run.Fail(err, item.native);
                return;
            }
            run.ObjectsDone();
            run.result().completed.append(item.path);
        }
    });
}

Result DeletePermanently(const QStringList& objects, const Control& control)
{
    return Perform(control, [&](Run& run) {
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!ListObjects(objects, run, listed, [](const Listed&) { return true; }, parents))
            return;
        run.Start();
        for (const Listed& item : listed) {
            const int parentFd = parents.Open(item.parent);
            if (parentFd < 0) {
                run.Fail(errno, item.parent, false);
                return;
            }
            if (DeleteNode(parentFd, item.node, item.native, run) == Step::Stop)
                return;
            run.result().completed.append(item.path);
        }
    });
}

Result RemoveFolder(const QString& path, const Control& control)
{
    return PerformOnObject(path, control, [&](Run& run, int fd, const Listed& item) {
        struct stat st {};
        if (::fstatat(fd, item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            run.Fail(errno, item.native);
            return false;
        }
        if (!S_ISDIR(st.st_mode)) {
            run.Fail(ENOTDIR, item.native);
            return false;
        }
        // What a killed run left half made in it is no one's object (an undo of that run must be able to take
        // the folder back).
        const FileDescriptor folder(::openat(fd, item.name.constData(), FolderFlags));
        if (folder.valid())
            RemoveLeftovers(folder.get(), run);
        if (run.keeper() != nullptr) {
            // Kept: the folder goes to the trash, but only while it is empty.
            int err = folder.valid() ? 0 : errno;
            if (err == 0 && !ReadNames(folder.get(), err).empty())
                err = ENOTEMPTY;
            const QByteArray full = AbsolutePath(item.native);
            if (err == 0)
                err = FileOpsTrash::Put(fd, item.name, full, run.DataFolder(), nullptr, FileOpsTrash::Hand::Rename,
                                        run.Trashes(), [&](const FileOpsTrash::Placed& going) {
                                            run.keeper()->Displaced(DecodeFileName(full), IdentityFrom(st), PlaceOf(going), 0);
                                        });
            if (err == 0)
                return true;
            if (err == ENOTEMPTY || err == ENOENT) {
                run.Fail(err, item.native);
                return false;
            }
            run.keeper()->Displaced(DecodeFileName(full), IdentityFrom(st), {}, err);
        }
        if (::unlinkat(fd, item.name.constData(), AT_REMOVEDIR) != 0) {
            run.Fail(errno == EEXIST ? ENOTEMPTY : errno, item.native);
            return false;
        }
        return true;
    });
}

Result CopyAttributes(const QString& source, const QString& target, const Control& control)
{
    return Perform(control, [&](Run& run) {
        Listed from;
        Listed to;
        if (!SplitPath(source, from, run) || !SplitPath(target, to, run))
            return;
        run.AddTotals(1, 0);
        run.Start();
        ParentFolder fromParent(run);
        ParentFolder toParent(run);
        const int fromFd = OpenParent(fromParent, from, run);
        const int toFd = fromFd < 0 ? -1 : OpenParent(toParent, to, run);
        if (toFd < 0)
            return;
        struct stat st {};
        struct stat there {};
        if (::fstatat(fromFd, from.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            run.Fail(errno, from.native);
            return;
        }
        if (::fstatat(toFd, to.name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0) {
            run.Fail(errno, to.native);
            return;
        }
        run.Begin(to.native);
        if ((st.st_mode & S_IFMT) != (there.st_mode & S_IFMT)) {
            run.Fail(EINVAL, to.native); // not the same kind of object: nothing to take over
            return;
        }
        if (!S_ISLNK(st.st_mode)) {
            if (RunningAsRoot() && (st.st_uid != there.st_uid || st.st_gid != there.st_gid))
                (void)::fchownat(toFd, to.name.constData(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
            const mode_t mode = ModeToCopy(st.st_mode, st.st_uid, st.st_gid);
            if ((there.st_mode & 07777) != mode && ::fchmodat(toFd, to.name.constData(), mode, 0) != 0
                && !ModeUnsupported(errno)) {
                run.Fail(errno, to.native);
                return;
            }
        }
        const timespec times[2] = {st.st_atim, st.st_mtim};
        struct statfs fs {};
        const bool linkOnFuse = S_ISLNK(st.st_mode) && ::fstatfs(toFd, &fs) == 0
                                && static_cast<unsigned long>(fs.f_type) == 0x65735546UL;
        if (!SameTime(there.st_mtim, st.st_mtim) && !linkOnFuse
            && ::utimensat(toFd, to.name.constData(), times, AT_SYMLINK_NOFOLLOW) != 0 && !S_ISLNK(st.st_mode)) {
            run.Fail(errno, to.native);
            return;
        }
        run.ObjectsDone();
        run.result().completed.append(target);
    });
}

Result Rename(const QString& object, const QString& newName, const Control& control)
{
    return Perform(control, [&](Run& run) {
        std::vector<Listed> listed;
        ParentFolder parents(run);
        if (!ListObjects({object}, run, listed, [](const Listed&) { return false; }, parents))
            return;
        const Listed& item = listed.front();
        if (!ValidNewName(newName)) {
            run.Fail(EINVAL, item.native);
            return;
        }
        run.Start();
        const int fd = OpenParent(parents, item, run);
        if (fd < 0)
            return;
        run.Begin(item.native);
        const QByteArray name = EncodeFileName(newName);
        if (name != item.name && ::renameat2(fd, item.name.constData(), fd, name.constData(), RENAME_NOREPLACE) != 0) {
            int err = errno;
            struct stat there {};
            const bool exists = ::fstatat(fd, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0;
            // On a folder that ignores case the name that exists may be the object itself: a change of
            // case, which only a plain rename makes. A second hard link of the file looks the same, but
            // a rename onto it does nothing and answers success, so it counts only for a change of case
            // of an object with one name. EINVAL: this file system has no RENAME_NOREPLACE.
            const bool caseChange = QString::compare(DecodeFileName(item.name), newName, Qt::CaseInsensitive) == 0;
            const bool itself = exists && caseChange && there.st_dev == item.dev && there.st_ino == item.node.ino
                                && (S_ISDIR(there.st_mode) || there.st_nlink == 1);
            if (itself || (err == EINVAL && !exists))
                err = ::renameat(fd, item.name.constData(), fd, name.constData()) == 0 ? 0 : errno;
            else if (err == EINVAL)
                err = EEXIST;
            if (err != 0) {
                run.Fail(err, item.native);
                return;
            }
        }
        run.ObjectsDone();
        run.result().completed.append(item.path);
    });
}

bool IdentityOf(const QString& path, Identity& identity)
{
    struct stat st {};
    if (::lstat(EncodeFileName(path).constData(), &st) != 0)
        return false;
    identity = IdentityFrom(st);
    return true;
}

Result RestoreFromTrash(const TrashPlace& place, const QString& path, const Control& control)
{
    return PerformOnObject(path, control, [&](Run& run, int fd, const Listed& item) {
        if (const int err = FileOpsTrash::Take(EncodeFileName(place.trash), EncodeFileName(place.name), fd, item.name);
            err != 0) {
            run.Fail(err, item.native);
            return false;
        }
        return true;
    });
}

Result ForgetTrashLink(const TrashPlace& place, const QString& path, const Control& control)
{
    return PerformOnObject(path, control, [&](Run& run, int fd, const Listed& item) {
        const QByteArray trash = EncodeFileName(place.trash);
        const QByteArray name = EncodeFileName(place.name);
        struct stat here {};
        struct stat kept {};
        if (::fstatat(fd, item.name.constData(), &here, AT_SYMLINK_NOFOLLOW) != 0) {
            run.Fail(errno, item.native);
            return false;
        }
        if (::lstat((trash + "/files/" + name).constData(), &kept) != 0) {
            run.Fail(errno, trash + "/files/" + name);
            return false;
        }
        if (here.st_dev != kept.st_dev || here.st_ino != kept.st_ino || S_ISDIR(kept.st_mode)) {
            run.Fail(ESTALE, trash + "/files/" + name);
            return false;
        }
        if (const int err = FileOpsTrash::Remove(trash, name); err != 0) {
            run.Fail(err, trash + "/files/" + name);
            return false;
        }
        return true;
    });
}

Result SetModeAndTimes(const QString& path, const Identity& to, const Control& control)
{
    return PerformOnObject(path, control, [&](Run& run, int fd, const Listed& item) {
        struct stat st {};
        if (::fstatat(fd, item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            run.Fail(errno, item.native);
            return false;
        }
        if (!S_ISLNK(st.st_mode) && (st.st_mode & 07777) != (to.mode & 07777)
            && ::fchmodat(fd, item.name.constData(), to.mode & 07777, 0) != 0 && !ModeUnsupported(errno)) {
            run.Fail(errno, item.native);
            return false;
        }
        const timespec times[2] = {{time_t(to.atimeNs / 1000000000LL), long(to.atimeNs % 1000000000LL)},
                                   {time_t(to.mtimeNs / 1000000000LL), long(to.mtimeNs % 1000000000LL)}};
        if (::utimensat(fd, item.name.constData(), times, AT_SYMLINK_NOFOLLOW) != 0 && !S_ISLNK(st.st_mode)) {
            run.Fail(errno, item.native);
            return false;
        }
        return true;
    });
}

namespace {

// Whether the object st is still the one identity describes.
bool IsSameObject(const struct stat& st, const Identity& identity)
{
    const Identity now = IdentityFrom(st);
    return now.ino == identity.ino && now.dev == identity.dev && now.size == identity.size
           && now.mtimeNs == identity.mtimeNs;
}

// Answers 0 or the errno of the first failing write.
int WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        left -= n;
    }
    return 0;
}

} // namespace

Result WriteWhole(const QString& path, const QByteArray& bytes, const Identity* expected, const Control& control)
{
    return Perform(control, [&](Run& run) {
        Listed item;
        if (!SplitPath(path, item, run))
            return;
        run.AddTotals(1, bytes.size());
        run.Start();
        ParentFolder parents(run);
        const int fd = OpenParent(parents, item, run);
        if (fd < 0)
            return;
        run.Begin(item.native);
        struct stat old {};
        bool exists = ::fstatat(fd, item.name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && errno != ENOENT) {
            run.Fail(errno, item.native);
            return;
        }
        if (exists && (S_ISDIR(old.st_mode) || S_ISLNK(old.st_mode))) {
            run.Fail(S_ISDIR(old.st_mode) ? EISDIR : ELOOP, item.native);
            return;
        }
        if (expected != nullptr && (!exists || !IsSameObject(old, *expected))) {
            run.Fail(ESTALE, item.native);
            return;
        }
        TempName temp(fd, run.pid());
        int out = -1;
        if (const int err = temp.Make([&](const char* name) {
                out = ::openat(fd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
                return out >= 0;
            });
            err != 0) {
            run.Fail(err, item.parent, false);
            return;
        }
        FileDescriptor file(out);
        if (const int err = WriteAll(file.get(), bytes); err != 0) {
            run.Fail(err, item.native);
            return;
        }
        if (exists) {
            // The old file's owner and group where we may give them (a group of our own), its xattrs,
            // then its bits: a set-ID bit survives only once the owner is in place.
            if (::fchown(file.get(), RunningAsRoot() ? old.st_uid : uid_t(-1), old.st_gid) != 0 && !ModeUnsupported(errno)) {
                run.Fail(errno, item.native);
                return;
            }
            const FileDescriptor in(::openat(fd, item.name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            if (in.valid())
                CopyXattrs(in.get(), file.get());
        }
        const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~ReadUmask());
        if (::fchmod(file.get(), mode) != 0 && !ModeUnsupported(errno)) {
            run.Fail(errno, item.native);
            return;
        }
        if (::fsync(file.get()) != 0) {
            run.Fail(errno, item.native);
            return;
        }
        // Once more just before the rename: a change made while we wrote must not be lost either.
        if (expected != nullptr) {
            struct stat now {};
            if (::fstatat(fd, item.name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !IsSameObject(now, *expected)) {
                run.Fail(ESTALE, item.native);
                return;
            }
        }
        if (const int err = temp.Commit(item.name); err != 0) {
            run.Fail(err, item.native);
            return;
        }
        ::fsync(fd);
        run.ObjectsDone(1, bytes.size());
        run.result().completed.append(path);
    });
}

} // namespace FileOps
