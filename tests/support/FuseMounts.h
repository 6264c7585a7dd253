#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <sys/types.h>

// Real file systems mounted for the life of an object, for tests that must see how a program behaves on
// a FAT volume, a network folder or a fresh ext4/btrfs: each makes what it needs (image, keys, config) in
// a temporary folder of its own and undoes everything in its destructor, also when the test failed.
// Where the machine refuses (no /dev/fuse, no loop devices, no sshd, not allowed to mount), mounted()
// answers false and why() says what was missing, for MOUNT_OR_SKIP (Tmpfs.h).
//
// The FUSE daemons run in the foreground as children of the test and die with it, and are mounted with
// auto_unmount, so a test that crashes leaves no mount behind.

// Common part: a mount point and the answer to "did it mount".
class RealMount
{
public:
    virtual ~RealMount() = default;
    RealMount(const RealMount&) = delete;
    RealMount& operator=(const RealMount&) = delete;

    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    // The mount point, without a trailing "/".
    QString path() const { return m_mountPoint; }

protected:
    RealMount() = default;
    // Makes the mount point (a folder "mnt" in the own temporary folder when mountPoint is empty) and
    // records its device so that the mount can be recognised by the device changing.
    bool PrepareMountPoint(const QString& mountPoint);
    // Waits until the mount point shows another device than before; gives up when daemon (if any) ends
    // or the deadline passes. Records why on failure.
    bool WaitForMount(QProcess* daemon, const QString& what);
    // Whether the mount point currently shows another device than before.
    bool DeviceChanged() const;
    // Unmounts the mount point, lazily when it is busy; answers whether it is gone.
    bool UnmountPoint();
    void Fail(const QString& why)
    {
        m_mounted = false;
        m_why = why;
    }
    QString Own(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

    QTemporaryDir m_dir;
    QString m_mountPoint;
    dev_t m_deviceBefore = 0;
    bool m_mounted = false;
    QString m_why;
};

// A FAT image of the given size made with mkfs.vfat and mounted read-write through the fusefat driver.
class FatImage final : public RealMount
{
public:
    explicit FatImage(qint64 bytes = 32 * 1024 * 1024, const QString& mountPoint = {});
    ~FatImage() override;

    QString image() const { return Own(QStringLiteral("fat.img")); }
    // Unmounts now and waits for the driver to end, so that the image can be checked (fsck.vfat -n).
    bool unmount();

private:
    std::unique_ptr<QProcess> m_daemon;
};

// A folder of this machine seen through sshfs: an sshd of its own on 127.0.0.1 (own host key, own
// authorized key, own config, a free port) serves folder, mounted at the mount point.
class SshfsMount final : public RealMount
{
public:
    explicit SshfsMount(const QString& folder, const QString& mountPoint = {}, const QStringList& sshfsOptions = {});
    ~SshfsMount() override;

    int port() const { return m_port; }
    // What sshd and sshfs said, for a failure message.
    QString log() const;
    // Unmounts now and waits for sshfs to end.
    bool unmount();

private:
    bool StartServer();
    bool Mount(const QString& folder, const QStringList& sshfsOptions);

    std::unique_ptr<QProcess> m_sshd;
    std::unique_ptr<QProcess> m_sshfs;
    int m_port = 0;
    QString m_log;
};

// An image file with a fresh ext4 or btrfs file system, mounted through a loop device.
class LoopImage final : public RealMount
{
public:
    enum class Kind { Ext4, Btrfs };
    // btrfs wants at least about 110 MiB.
    explicit LoopImage(Kind kind, qint64 bytes = 128 * 1024 * 1024, const QString& mountPoint = {},
                       const QString& mountOptions = {});
    ~LoopImage() override;

    QString image() const { return Own(QStringLiteral("fs.img")); }
    bool unmount();
};
