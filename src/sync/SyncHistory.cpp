#include "sync/SyncHistory.h"

#include "platform/FileDescriptor.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/UserDialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <QtEndian>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SyncHistory {
namespace {

const QDate OleEpoch(1899, 12, 30);
constexpr qint64 MsPerDay = Q_INT64_C(86400000);
// 1 January 100 and 31 December 9999, the range of OLE Automation dates.
constexpr double FirstOleDay = -657434.0;
constexpr double LastOleDay = 2958465.0;

QByteArray Native(const QString& path) { return QFile::encodeName(path); }


bool WriteAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The whole records of the file as raw bytes; empty when there is no file. A file torn by a crash in
// the middle of a record (its length is no multiple of 773) ends in a piece of a record whose time and
// texts cannot be trusted: that piece is never read, and it is dropped the next time the file is
// written. Only what the file really holds is read, so a file that shrinks meanwhile gives fewer records.
QByteArray ReadWholeRecords(const QString& file)
{
    const FileDescriptor fd(::open(Native(file).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return {};
        throw Failure::FromErrno(errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw Failure::FromErrno(errno);
    QByteArray bytes(qsizetype(st.st_size / RecordBytes * RecordBytes), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Failure::FromErrno(errno);
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done / RecordBytes * RecordBytes);
    return bytes;
}

// Replaces file with data through a temporary file of the same folder, synced before it is renamed over
// the old file, so at every moment the history file is either the old one or the new one, whole.
// Answers 0, or the errno of a failed rename (the old file is then untouched and the temporary removed).
int ReplaceFile(const QString& file, const QByteArray& data)
{
    const QFileInfo info(file);
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.SyncHist-XXXXXX.tmp"));
    if (!temp.open()) {
        const int err = errno;
        throw Failure(Failure::PathFileAccessError, QStringLiteral("Unable to create temp file"), Failure::ProgramSource(),
                      err);
    }
    // The temporary file is made private; the history keeps the permissions it had.
    struct stat st {};
    const mode_t mode = ::stat(Native(file).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(0644);
    if (!WriteAll(temp.handle(), data.constData(), data.size()) || ::fchmod(temp.handle(), mode) != 0
        || ::fsync(temp.handle()) != 0)
        throw Failure::FromErrno(errno);
    if (::rename(Native(temp.fileName()).constData(), Native(file).constData()) != 0)
        return errno;
    temp.setAutoRemove(false);
    // The rename itself survives a power cut only once the folder is synced; the old file or the new one
    // is there either way, so a failure here is no reason to report.
    const FileDescriptor folder(::open(Native(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
    return 0;
}

QString DecodeField(const char* data) { return QString::fromUtf8(data, FieldBytes); }

} // namespace

QString FilePath(const QString& appFolder)
{
    return appFolder.endsWith(QLatin1Char('/')) ? appFolder + FileName() : appFolder + QLatin1Char('/') + FileName();
}

double OleDateFromDateTime(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    const qint64 days = OleEpoch.daysTo(local.date());
    const double fraction = double(local.time().msecsSinceStartOfDay()) / double(MsPerDay);
    // Before the epoch the whole part counts backwards while the fraction still runs forward through the
    // day: -1.25 is 29 December 1899, 06:00.
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

QDateTime DateTimeFromOleDate(double oleDate)
{
    if (!std::isfinite(oleDate) || oleDate < FirstOleDay || oleDate >= LastOleDay + 1.0)
        return {};
    double whole = std::trunc(oleDate);
    qint64 ms = std::llround(std::fabs(oleDate - whole) * double(MsPerDay));
    if (ms >= MsPerDay) {
        ms -= MsPerDay;
        whole += 1.0;
    }
    return QDateTime(OleEpoch.addDays(qint64(whole)), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::LocalTime);
}

QByteArray FieldBytesOf(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > FieldBytes) {
        // Back off over continuation bytes, so the character that straddles the cut goes whole.
        qsizetype cut = FieldBytes;
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    return bytes.leftJustified(FieldBytes, ' ');
}

QString DisplayText(const QString& field)
{
    const qsizetype run = field.indexOf(QLatin1String("   "));
    return run > 0 ? field.left(run) : field;
}

std::optional<qint32> NumEntriesFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    value = std::nearbyint(value);
    if (value < MinEntries || value > MaxEntries)
        return std::nullopt;
    return qint32(value);
}

QByteArray Encode(double when, const QString& left, const QString& right, const QString& outcome)
{
    QByteArray record(LeftOffset, Qt::Uninitialized);
    qToLittleEndian(std::bit_cast<quint64>(when), record.data());
    record += FieldBytesOf(left);
    record += FieldBytesOf(right);
    record += FieldBytesOf(outcome);
    return record;
}

Record Decode(const char* data)
{
    Record r;
    r.when = std::bit_cast<double>(qFromLittleEndian<quint64>(data));
    r.left = DecodeField(data + LeftOffset);
    r.right = DecodeField(data + RightOffset);
    r.outcome = DecodeField(data + OutcomeOffset);
    return r;
}

qint64 RecordCount(qint64 length) { return length <= 0 ? 0 : (length + RecordBytes / 2) / RecordBytes; }

qint64 RecordCount(const QString& appFolder)
{
    struct stat st {};
    if (::stat(Native(FilePath(appFolder)).constData(), &st) != 0) {
        if (errno == ENOENT)
            return 0;
        throw Failure::FromErrno(errno);
    }
    return RecordCount(qint64(st.st_size));
}

QList<Record> ReadAll(const QString& appFolder)
{
    const QByteArray bytes = ReadWholeRecords(FilePath(appFolder));
    QList<Record> records;
    records.reserve(bytes.size() / RecordBytes);
    for (qsizetype at = 0; at + RecordBytes <= bytes.size(); at += RecordBytes)
        records.push_back(Decode(bytes.constData() + at));
    return records;
}

void Append(const QString& appFolder, const QByteArray& record, qint64 maxEntries)
{
    Q_ASSERT(record.size() == RecordBytes);
    const QString file = FilePath(appFolder);
    FileDescriptor fd(::open(Native(file).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        throw Failure::FromErrno(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw Failure::FromErrno(errno);
    const qint64 count = RecordCount(qint64(st.st_size));
    const bool sound = st.st_size % RecordBytes == 0;

    if (sound && count != maxEntries) {
        // Below (or above) the maximum: one write of the whole record at the end. Should the disk fill
        // half-way, the piece is cut off again so the file keeps whole records only.
        if (!WriteAll(fd.get(), record.constData(), record.size())) {
            const int err = errno;
            (void)::ftruncate(fd.get(), st.st_size);
            throw Failure::FromErrno(err);
        }
        if (const int err = fd.close())
            throw Failure::FromErrno(err);
        return;
    }

    // At the maximum the oldest record goes, and a torn file loses its torn piece: both rewrite the file,
    // which is done whole through a temporary file.
    fd.close();
    QByteArray content = ReadWholeRecords(file);
    if (count == maxEntries && !content.isEmpty())
        content.remove(0, RecordBytes);
    content += record;
    if (const int err = ReplaceFile(file, content))
        throw Failure::FromErrno(err);
}

int KeepNewest(const QString& appFolder, qint64 keep)
{
    const QString file = FilePath(appFolder);
    QByteArray content = ReadWholeRecords(file);
    const qint64 newest = qMax<qint64>(keep, 0) * RecordBytes;
    if (content.size() > newest)
        content = content.right(qsizetype(newest));
    return ReplaceFile(file, content);
}

} // namespace SyncHistory

bool AppendSyncRecord(const QString& appFolder, const QDateTime& when, const QString& left, const QString& right,
                      const QString& outcome, qint64 maxEntries, ErrorHandler& errors, const QString& label)
{
    using namespace SyncHistory;
    try {
        Append(appFolder,
               Encode(OleDateFromDateTime(when), left, right, outcome),
               maxEntries);
        return true;
    } catch (...) {
        errors.HandleUnexpectedError(label);
        return false;
    }
}

bool AdjustNumLogEntries(const QString& appFolder, qint32 newMax, bool ask, qint32& maximum, UserDialogs& dialogs,
                         ErrorHandler& errors)
{
    using Icon = UserDialogs::Icon;
    try {
        const BusyPointer busy(dialogs);
        if (newMax < SyncHistory::MinEntries)
            throw Failure(Failure::InvalidProcedureCall, Failure::DescriptionOf(Failure::InvalidProcedureCall));
        if (newMax >= SyncHistory::RecordCount(appFolder)) {
            maximum = newMax;
            return true;
        }
        if (ask) {
            const QString text = QStringLiteral("You are about to permanently remove some entries from the "
                                                "Synchronization Log.\r\n\r\nDo you wish to continue?");
            if (dialogs.Message(text, QStringLiteral("Please confirm"), Icon::Question, UserDialogs::Buttons::YesNo, 1)
                != UserDialogs::Answer::Yes)
                return false;
        }
        if (const int err = SyncHistory::KeepNewest(appFolder, newMax)) {
            dialogs.Message(QString::number(err) + QStringLiteral(" - ") + DescribeSystemError(err) + QStringLiteral("\r\n\r\n")
                                + SyncHistory::FilePath(appFolder),
                            QStringLiteral("API Error"), Icon::Warning);
            return false;
        }
        maximum = newMax;
        return true;
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("frmSyncLog.AdjustNumLogEntries"));
        return false;
    }
}
