#pragma once

#include "base/ErrorHandler.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <sys/mount.h>

// A small tmpfs mounted for the life of the object: a drive that fills up. Mounting needs root; where it
// is refused, mounted() answers false and why() says so for the test's skip message.
class Tmpfs final
{
public:
    Tmpfs(const QString& mountPoint, const char* options) : m_path(mountPoint)
    {
        QDir().mkpath(mountPoint);
        m_mounted = ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, options) == 0;
        m_error = errno;
    }
    ~Tmpfs()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString why() const { return QStringLiteral("cannot mount a tmpfs here (%1)").arg(DescribeSystemError(m_error)); }

private:
    QString m_path;
    bool m_mounted = false;
    int m_error = 0;
};

// Skips the test, saying why, when the file system could not be mounted.
#define MOUNT_OR_SKIP(fs)                                                                                              \
    if (!(fs).mounted())                                                                                               \
    GTEST_SKIP() << qPrintable((fs).why())
