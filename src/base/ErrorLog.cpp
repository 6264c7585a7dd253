#include "base/ErrorLog.h"

#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "base/UserDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The failure's description followed by what the system said, unless the description says it already.
QString FailureWithReason(const Failure& failure)
{
    if (failure.systemCode() == 0)
        return failure.description();
    const QString reason = DescribeSystemError(failure.systemCode());
    if (reason.isEmpty() || failure.description().contains(reason))
        return failure.description();
    return failure.description() + QStringLiteral(" (") + reason + QLatin1Char(')');
}

QString InUseByAnotherRun() { return QStringLiteral("it is in use by another comparison"); }

// Writes all of data at the end of fd; answers 0 or the errno of the write that failed.
int WriteAll(int fd, const char* data, qint64 size)
{
    if (::lseek(fd, 0, SEEK_END) < 0)
        return errno;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

// Copies the first size bytes of from to the end of to; answers 0 or the errno that stopped it.
int CopyStart(int from, int to, qint64 size)
{
    char buffer[1 << 16];
    for (qint64 at = 0; at < size;) {
        const ssize_t n = ::pread(from, buffer, static_cast<size_t>(qMin<qint64>(sizeof buffer, size - at)), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        if (const int error = WriteAll(to, buffer, n))
            return error;
        at += n;
    }
    return 0;
}

// A folder of our own to put a displaced log in: created when missing, and only used when it is a real
// folder of this user (the temporary folder is shared with everyone).
bool PrepareFolder(const QString& folder)
{
    QDir().mkpath(QFileInfo(folder).absolutePath());
    const QByteArray path = EncodeFileName(folder);
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

} // namespace

ErrorLog::ErrorLog(QString file, QStringList fallbackFolders)
    : m_file(std::move(file)), m_fallbackFolders(std::move(fallbackFolders))
{
}

ErrorLog::~ErrorLog() { Close(); }

QStringList ErrorLog::DefaultFallbackFolders()
{
    QStringList folders;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty())
        folders << cache + QStringLiteral("/parvex");
    folders << QDir::tempPath() + QStringLiteral("/parvex-") + QString::number(::geteuid());
    return folders;
}

QString ErrorLog::File() const
{
    const std::lock_guard guard(m_lock);
    return m_current.isEmpty() ? m_file : m_current;
}

QString ErrorLog::Displacement() const
{
    const std::lock_guard guard(m_lock);
    return m_displacement;
}

QString ErrorLog::Lost() const
{
    const std::lock_guard guard(m_lock);
    return m_lost;
}

void ErrorLog::Close()
{
    if (m_fd >= 0)
        ::close(m_fd); // and with it the lock
    m_fd = -1;
    m_current.clear();
}

bool ErrorLog::OpenAt(const QString& path, bool unique, bool fresh, QString* why)
{
    int fd = -1;
    QString opened = path;
    if (unique) {
        QByteArray pattern = EncodeFileName(path);
        fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
        opened = DecodeFileName(pattern);
    } else {
        // Non-blocking, so that a FIFO in the log's place cannot hold the run up.
        fd = ::open(EncodeFileName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    }
    if (fd < 0) {
        *why = DescribeSystemError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = QStringLiteral("it is not a regular file");
        ::close(fd);
        return false;
    }
    // A file system without locks still takes the log; only a lock held by another run turns it away.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        *why = InUseByAnotherRun();
        ::close(fd);
        return false;
    }
    if (fresh && ::ftruncate(fd, 0) != 0) {
        *why = DescribeSystemError(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_current = opened;
    return true;
}

bool ErrorLog::Open(int candidate, bool fresh)
{
    Close();
    QString why;
    for (int c = candidate; c <= m_fallbackFolders.size(); ++c) {
        QString whyHere;
        bool opened = false;
        if (c == 0) {
            opened = OpenAt(m_file, false, fresh, &whyHere);
        } else {
            const QString folder = m_fallbackFolders.at(c - 1);
            // A place of its own in that folder when another run owns the log there too. A displaced log
            // always starts empty: what the file holds belongs to another run.
            opened = PrepareFolder(folder)
                  && (OpenAt(folder + QLatin1Char('/') + FileName(), false, true, &whyHere)
                      || OpenAt(folder + QStringLiteral("/ERRORLOG-XXXXXX.TXT"), true, true, &whyHere));
        }
        if (opened) {
            m_candidate = c;
            if (c > 0 && candidate == 0)
                m_displacement = why;
            return true;
        }
        if (c == candidate)
            why = whyHere;
    }
    m_lost = why.isEmpty() ? m_displacement : why;
    return false;
}

bool ErrorLog::StillInPlace() const
{
    struct stat open {};
    struct stat named {};
    return ::fstat(m_fd, &open) == 0 && open.st_nlink > 0
        && ::stat(EncodeFileName(m_current).constData(), &named) == 0 && named.st_dev == open.st_dev
        && named.st_ino == open.st_ino;
}

bool ErrorLog::MoveOn(qint64 keep, const QString& why)
{
    if (m_displacement.isEmpty())
        m_displacement = why;
    const int old = m_fd;
    m_fd = -1; // kept open (and locked) until its entries are copied
    m_current.clear();
    bool moved = false;
    for (int next = m_candidate + 1; next <= m_fallbackFolders.size(); next = m_candidate + 1) {
        if (!Open(next, true))
            break;
        if (CopyStart(old, m_fd, keep) == 0) {
            moved = true;
            break;
        }
    }
    ::close(old);
    if (!moved) {
        Close();
        m_lost = why;
    }
    return moved;
}

void ErrorLog::StartNew()
{
    const std::lock_guard guard(m_lock);
    m_entriesWritten = false;
    m_lost.clear();
    m_displacement.clear();
    // The run before kept the log locked: this run takes it over.
    if (m_fd >= 0 && m_candidate == 0 && StillInPlace() && ::ftruncate(m_fd, 0) == 0)
        return;
    Open(0, true);
}

QStringList ErrorLog::EntryLines(const QString& fileName, const QString& process, const Failure& failure)
{
    QStringList lines;
    lines << QString();
    lines << QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    lines << QStringLiteral("Errors encountered during comparison");
    // Any name can be listed and opened, so a failure is never the name's own fault: the entry names the
    // object as parvexcmd writes names (one line, its bytes recoverable) and gives the system's reason.
    lines << QStringLiteral("File Name: ") + EscapedFileName(fileName);
    lines << QStringLiteral("Process: ") + process;
    if (failure.number() == Failure::OutOfStringSpace)
        lines << QStringLiteral("Error: Insufficient memory.  Try cutting your chunk size in half.");
    else
        lines << QStringLiteral("Error: ") + FailureWithReason(failure);
    return lines;
}

bool ErrorLog::EntriesWritten() const
{
    const std::lock_guard guard(m_lock);
    return m_entriesWritten;
}

void ErrorLog::AppendEntry(const QString& fileName, const QString& process, const Failure& failure)
{
    const std::lock_guard guard(m_lock);
    QByteArray bytes;
    for (const QString& line : EntryLines(fileName, process, failure))
        bytes += line.toUtf8() + "\r\n";

    if (m_fd >= 0 && !StillInPlace())
        Open(m_candidate, false); // the error log window deleted it and made a new one
    else if (m_fd < 0 && m_lost.isEmpty())
        Open(0, false); // an entry without a run (the two-file comparison)
    while (m_fd >= 0) {
        const off_t before = ::lseek(m_fd, 0, SEEK_END);
        const int error = before < 0 ? errno : WriteAll(m_fd, bytes.constData(), bytes.size());
        if (error == 0)
            break;
        // Never half an entry: the file is cut back to its whole entries, which alone move elsewhere.
        if (before >= 0) {
            const int cut = ::ftruncate(m_fd, before);
            Q_UNUSED(cut)
        }
        if (!MoveOn(qMax<off_t>(before, 0), DescribeSystemError(error)))
            break;
    }
    m_entriesWritten = true;
    if (m_onEntry)
        m_onEntry();
}

bool ReportComparisonErrors(bool errorsDuringCompare, const ErrorLog& log, UserDialogs& dialogs, bool offerToView)
{
    if (!errorsDuringCompare)
        return false;
    const QString title = QStringLiteral("Errors Occurred");
    QString text = QStringLiteral("Errors were encountered during the comparison.\r\n");
    const QString lost = log.Lost();
    if (!lost.isEmpty()) {
        text += QStringLiteral("The error log could not be written to ") + log.OwnFile() + QStringLiteral(" (") + lost
              + QStringLiteral(") or anywhere else.");
        dialogs.Message(text, title, UserDialogs::Icon::Error, UserDialogs::Buttons::Ok);
        return false;
    }
    const QString displacement = log.Displacement();
    // The window names the log as it always has; without a window the name alone does not find it.
    if (displacement.isEmpty() && offerToView)
        text += QStringLiteral("See the file ERRORLOG.TXT for details.");
    else
        text += QStringLiteral("See the file ") + log.File() + QStringLiteral(" for details.");
    if (!displacement.isEmpty())
        text += QStringLiteral("\r\n(It could not be written to ") + log.OwnFile() + QStringLiteral(": ") + displacement
              + QStringLiteral(".)");
    if (!offerToView) {
        dialogs.Message(text, title, UserDialogs::Icon::Error, UserDialogs::Buttons::Ok);
        return false;
    }
    text += QStringLiteral("\r\n\r\nWould you like to view the log file now?");
    return dialogs.Message(text, title, UserDialogs::Icon::Error, UserDialogs::Buttons::YesNo) == UserDialogs::Answer::Yes;
}
