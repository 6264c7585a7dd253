#include "FuseMounts.h"

#include "base/ErrorHandler.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MountDeadlineMs = 20000;
constexpr int ServerDeadlineMs = 10000;
constexpr int ExitDeadlineMs = 10000;

QString Tool(const QString& name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                      QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    return found;
}

// A missing tool, as a skip message names it: "" when all are there.
QString MissingTools(const QStringList& names)
{
    QStringList missing;
    for (const QString& name : names) {
        if (Tool(name).isEmpty())
            missing << name;
    }
    return missing.isEmpty() ? QString() : QStringLiteral("not installed here: ") + missing.join(QStringLiteral(", "));
}

// Why FUSE cannot be used here, "" when it can.
QString FuseUnavailable()
{
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("FUSE is not available (/dev/fuse: %1)").arg(DescribeSystemError(errno));
    ::close(fd);
    return {};
}

// A tool run to its end: its exit code (-1 when it did not start or end normally) and what it printed.
struct Run
{
    int code = -1;
    QString output;
    bool ok() const { return code == 0; }
};

Run RunTool(const QString& name, const QStringList& arguments)
{
    Run r;
    const QString program = Tool(name);
    if (program.isEmpty()) {
        r.output = name + QStringLiteral(" is not installed");
        return r;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(ExitDeadlineMs);
    }
    r.output = QString::fromLocal8Bit(p.readAll()).trimmed();
    if (p.exitStatus() == QProcess::NormalExit && p.error() != QProcess::FailedToStart)
        r.code = p.exitCode();
    return r;
}

QString Described(const QString& what, const Run& r)
{
    return QStringLiteral("%1 failed (exit %2): %3").arg(what).arg(r.code).arg(r.output);
}

// A daemon that ends with the test: the kernel sends it SIGTERM when the test process dies, however it dies.
std::unique_ptr<QProcess> Daemon()
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    return p;
}

// Ends a daemon: asked first, then killed.
void Stop(QProcess* p)
{
    if (p == nullptr || p->state() == QProcess::NotRunning)
        return;
    p->terminate();
    if (!p->waitForFinished(ExitDeadlineMs)) {
        p->kill();
        p->waitForFinished(ExitDeadlineMs);
    }
}

dev_t DeviceOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

// A TCP port on 127.0.0.1 nobody listens on at the moment.
int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

QString UserName()
{
    const passwd* pw = ::getpwuid(::geteuid());
    return pw != nullptr ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

bool WriteFile(const QString& file, const QByteArray& data, QFile::Permissions permissions)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size() && f.setPermissions(permissions);
}

} // namespace

// --- RealMount ---------------------------------------------------------------------------------------------

bool RealMount::PrepareMountPoint(const QString& mountPoint)
{
    if (!m_dir.isValid()) {
        Fail(QStringLiteral("cannot make a temporary folder for the mount"));
        return false;
    }
    m_mountPoint = QDir::cleanPath(mountPoint.isEmpty() ? Own(QStringLiteral("mnt")) : mountPoint);
    if (!QDir().mkpath(m_mountPoint)) {
        Fail(QStringLiteral("cannot make the mount point ") + m_mountPoint);
        return false;
    }
    m_deviceBefore = DeviceOf(m_mountPoint);
    return true;
}

bool RealMount::DeviceChanged() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(m_mountPoint).constData(), &st) != 0)
        return errno == ENOTCONN;  // a FUSE mount whose daemon is gone is still a mount
    return st.st_dev != m_deviceBefore;
}

bool RealMount::WaitForMount(QProcess* daemon, const QString& what)
{
    // The mount table wakes a poller when it changes; slices keep an eye on a daemon that gave up.
    const int table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    QElapsedTimer clock;
    clock.start();
    bool done = false;
    while (!(done = DeviceChanged()) && clock.elapsed() < MountDeadlineMs) {
        if (daemon != nullptr && daemon->state() == QProcess::NotRunning)
            break;
        if (table >= 0) {
            pollfd p {table, POLLPRI, 0};
            ::poll(&p, 1, 100);
        } else if (daemon != nullptr) {
            daemon->waitForFinished(100);
        }
    }
    if (table >= 0)
        ::close(table);
    m_mounted = done;
    if (!done) {
        QString said;
        if (daemon != nullptr) {
            if (daemon->state() == QProcess::NotRunning)
                said = QStringLiteral(" (ended with exit %1)").arg(daemon->exitCode());
            Stop(daemon);
            said += QStringLiteral(": ") + QString::fromLocal8Bit(daemon->readAll()).trimmed();
        }
        m_why = QStringLiteral("cannot mount %1 at %2%3").arg(what, m_mountPoint, said);
    }
    return done;
}

bool RealMount::UnmountPoint()
{
    if (!DeviceChanged())
        return true;
    const QByteArray native = QFile::encodeName(m_mountPoint);
    if (::umount2(native.constData(), 0) != 0) {
        // Not root: the FUSE helper may unmount what the user mounted.
        if (errno == EPERM) {
            if (RunTool(QStringLiteral("fusermount3"), {QStringLiteral("-u"), m_mountPoint}).ok()
                || RunTool(QStringLiteral("fusermount"), {QStringLiteral("-u"), m_mountPoint}).ok())
                return true;
        }
        ::umount2(native.constData(), MNT_DETACH);
    }
    return !DeviceChanged();
}

// --- FatImage ----------------------------------------------------------------------------------------------

FatImage::FatImage(qint64 bytes, const QString& mountPoint)
{
    if (!PrepareMountPoint(mountPoint))
        return;
    if (const QString missing = MissingTools({QStringLiteral("mkfs.vfat"), QStringLiteral("fusefat")}); !missing.isEmpty()) {
        Fail(missing);
        return;
    }
    if (const QString fuse = FuseUnavailable(); !fuse.isEmpty()) {
        Fail(fuse);
        return;
    }
    QFile file(image());
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes)) {
        Fail(QStringLiteral("cannot make the image file ") + image());
        return;
    }
    file.close();
    const Run mkfs = RunTool(QStringLiteral("mkfs.vfat"), {image()});
    if (!mkfs.ok()) {
        Fail(Described(QStringLiteral("mkfs.vfat"), mkfs));
        return;
    }
    m_daemon = Daemon();
    m_daemon->start(Tool(QStringLiteral("fusefat")),
                    {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("rw+,auto_unmount"), image(), m_mountPoint});
    WaitForMount(m_daemon.get(), QStringLiteral("the FAT image through fusefat"));
}

FatImage::~FatImage() { unmount(); }

bool FatImage::unmount()
{
    const bool gone = UnmountPoint();
    // The driver writes the image until it ends.
    if (m_daemon && m_daemon->state() != QProcess::NotRunning && !m_daemon->waitForFinished(ExitDeadlineMs))
        Stop(m_daemon.get());
    m_mounted = false;
    return gone;
}

// --- SshfsMount --------------------------------------------------------------------------------------------

SshfsMount::SshfsMount(const QString& folder, const QString& mountPoint, const QStringList& sshfsOptions)
{
    if (!PrepareMountPoint(mountPoint))
        return;
    if (const QString missing = MissingTools({QStringLiteral("sshd"), QStringLiteral("sshfs"), QStringLiteral("ssh-keygen"),
                                              QStringLiteral("ssh")});
        !missing.isEmpty()) {
        Fail(missing);
        return;
    }
    if (const QString fuse = FuseUnavailable(); !fuse.isEmpty()) {
        Fail(fuse);
        return;
    }
    if (StartServer())
        Mount(folder, sshfsOptions);
}

bool SshfsMount::StartServer()
{
    for (const char* key : {"host_key", "client_key"}) {
        const Run keygen = RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                                                                 QStringLiteral("-N"), QString(), QStringLiteral("-C"),
                                                                 QStringLiteral("parvex-test"), QStringLiteral("-f"),
                                                                 Own(QLatin1String(key))});
        if (!keygen.ok()) {
            Fail(Described(QStringLiteral("ssh-keygen"), keygen));
            return false;
        }
    }
    QFile publicKey(Own(QStringLiteral("client_key.pub")));
    if (!publicKey.open(QIODevice::ReadOnly)
        || !WriteFile(Own(QStringLiteral("authorized_keys")), publicKey.readAll(), QFile::ReadOwner | QFile::WriteOwner)) {
        Fail(QStringLiteral("cannot write authorized_keys"));
        return false;
    }
    // sshd refuses to start without its privilege separation folder, which only its service makes.
    if (!QFileInfo::exists(QStringLiteral("/run/sshd"))
        && (::mkdir("/run/sshd", 0755) != 0 && errno != EEXIST)) {
        Fail(QStringLiteral("sshd needs /run/sshd, which cannot be made here (%1)").arg(DescribeSystemError(errno)));
        return false;
    }
    // A port found free may be taken before sshd binds it: another try takes another port.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = FreePort();
        const QString config = QStringLiteral(
                                   "Port %1\nListenAddress 127.0.0.1\nHostKey %2\nAuthorizedKeysFile %3\nPidFile %4\n"
                                   "PermitRootLogin prohibit-password\nPubkeyAuthentication yes\nPasswordAuthentication no\n"
                                   "KbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\nUseDNS no\nPrintMotd no\n"
                                   "AllowTcpForwarding no\nX11Forwarding no\nSubsystem sftp internal-sftp\n")
                                   .arg(m_port)
                                   .arg(Own(QStringLiteral("host_key")), Own(QStringLiteral("authorized_keys")),
                                        Own(QStringLiteral("sshd.pid")));
        if (!WriteFile(Own(QStringLiteral("sshd_config")), config.toUtf8(), QFile::ReadOwner | QFile::WriteOwner)) {
            Fail(QStringLiteral("cannot write sshd_config"));
            return false;
        }
        m_sshd = Daemon();
        m_sshd->start(Tool(QStringLiteral("sshd")), {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"),
                                                     Own(QStringLiteral("sshd_config"))});
        // Listening is announced on its error output; a connection proves it.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ServerDeadlineMs && m_sshd->state() != QProcess::NotRunning) {
            if (Accepts(m_port))
                return true;
            m_sshd->waitForReadyRead(100);
        }
        m_log += QString::fromLocal8Bit(m_sshd->readAll());
        Stop(m_sshd.get());
        if (!m_log.contains(QLatin1String("Address already in use")))
            break;
    }
    Fail(QStringLiteral("cannot start sshd on 127.0.0.1: ") + m_log.trimmed());
    return false;
}

bool SshfsMount::Mount(const QString& folder, const QStringList& sshfsOptions)
{
    const QString options = QStringList{QStringLiteral("auto_unmount"), QStringLiteral("port=%1").arg(m_port),
                                        QStringLiteral("IdentityFile=") + Own(QStringLiteral("client_key")),
                                        QStringLiteral("IdentitiesOnly=yes"), QStringLiteral("BatchMode=yes"),
                                        QStringLiteral("StrictHostKeyChecking=no"),
                                        QStringLiteral("UserKnownHostsFile=/dev/null"), QStringLiteral("LogLevel=ERROR")}
                                .join(QLatin1Char(','));
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("-F"), QStringLiteral("/dev/null"), QStringLiteral("-o"), options};
    for (const QString& extra : sshfsOptions)
        arguments << QStringLiteral("-o") << extra;
    arguments << UserName() + QStringLiteral("@127.0.0.1:") + QDir::cleanPath(QDir(folder).absolutePath()) << m_mountPoint;
    m_sshfs = Daemon();
    m_sshfs->start(Tool(QStringLiteral("sshfs")), arguments);
    if (WaitForMount(m_sshfs.get(), QStringLiteral("the folder through sshfs")))
        return true;
    m_why += QStringLiteral("; sshd said: ") + log();
    return false;
}

QString SshfsMount::log() const
{
    QString all = m_log;
    if (m_sshd)
        all += QString::fromLocal8Bit(m_sshd->readAll());
    return all.trimmed();
}

bool SshfsMount::unmount()
{
    const bool gone = UnmountPoint();
    if (m_sshfs && m_sshfs->state() != QProcess::NotRunning && !m_sshfs->waitForFinished(ExitDeadlineMs))
        Stop(m_sshfs.get());
    m_mounted = false;
    return gone;
}

SshfsMount::~SshfsMount()
{
    unmount();
    Stop(m_sshd.get());
}

// --- LoopImage ---------------------------------------------------------------------------------------------

LoopImage::LoopImage(Kind kind, qint64 bytes, const QString& mountPoint, const QString& mountOptions)
{
    if (!PrepareMountPoint(mountPoint))
        return;
    const QString mkfs = kind == Kind::Ext4 ? QStringLiteral("mkfs.ext4") : QStringLiteral("mkfs.btrfs");
    if (const QString missing = MissingTools({mkfs, QStringLiteral("mount")}); !missing.isEmpty()) {
        Fail(missing);
        return;
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control")) && !QFileInfo::exists(QStringLiteral("/dev/loop0"))) {
        Fail(QStringLiteral("no loop devices here (/dev/loop-control is missing)"));
        return;
    }
    QFile file(image());
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes)) {
        Fail(QStringLiteral("cannot make the image file ") + image());
        return;
    }
    file.close();
    const Run made = kind == Kind::Ext4 ? RunTool(mkfs, {QStringLiteral("-q"), QStringLiteral("-F"), image()})
                                        : RunTool(mkfs, {QStringLiteral("-q"), QStringLiteral("-f"), image()});
    if (!made.ok()) {
        Fail(Described(mkfs, made));
        return;
    }
    QString options = QStringLiteral("loop");
    if (!mountOptions.isEmpty())
        options += QLatin1Char(',') + mountOptions;
    const Run mount = RunTool(QStringLiteral("mount"), {QStringLiteral("-o"), options, image(), m_mountPoint});
    if (!mount.ok()) {
        Fail(Described(QStringLiteral("mount -o ") + options, mount));
        return;
    }
    m_mounted = DeviceChanged();
    if (!m_mounted)
        m_why = QStringLiteral("mount reported success but %1 shows no new file system").arg(m_mountPoint);
}

bool LoopImage::unmount()
{
    // The loop device goes with the last unmount: mount set it to clear itself.
    const bool gone = UnmountPoint();
    m_mounted = false;
    return gone;
}

LoopImage::~LoopImage() { unmount(); }
