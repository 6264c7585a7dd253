#include "fileops/FileTimeStamps.h"

#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "base/UserDialogs.h"
#include "compare/RowFormat.h"
#include "model/CFile.h"

#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Icon = UserDialogs::Icon;

const QString CrLf = QStringLiteral("\r\n");

QString UnableTitle() { return QStringLiteral("Unable to Change File Date/Time"); }

timespec ToTimespec(const FileStamp& stamp)
{
    timespec t{};
    t.tv_sec = static_cast<time_t>(stamp.seconds);
    t.tv_nsec = stamp.nanoseconds;
    return t;
}

FileStamp FromStatx(const statx_timestamp& t) { return {t.tv_sec, static_cast<qint32>(t.tv_nsec)}; }

bool Fail(int* error, int value)
{
    if (error != nullptr)
        *error = value;
    return false;
}

// Sets the object's own times; a link is never followed, so its target keeps its times.
bool SetTimes(const QString& path, const timespec (&times)[2], int* error)
{
    if (path.isEmpty())
        return Fail(error, ENOENT);
    if (::utimensat(AT_FDCWD, EncodeFileName(path).constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(error, errno);
    return true;
}

// The dates and times the question shows: the locale's general date/time, as in the result rows.
QString GeneralText(const FileStamp& stamp) { return FormatDateText(stamp.Ticks()); }

bool ParseBox(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (!ok || number < low || number > high)
        return false;
    value = number;
    return true;
}

} // namespace

qint64 FileStamp::Ticks() const { return UnixToFileTime(seconds, nanoseconds); }

QDateTime FileStamp::ToDateTime() const { return QDateTime::fromMSecsSinceEpoch(seconds * 1000 + nanoseconds / 1000000); }

FileStamp FileStamp::FromDateTime(const QDateTime& when)
{
    const qint64 ms = when.toMSecsSinceEpoch();
    const qint64 seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    return {seconds, static_cast<qint32>((ms - seconds * 1000) * 1000000)};
}

bool GetFileDateTimes(const QString& path, FileDateTimes& times, int* error)
{
    if (path.isEmpty())
        return Fail(error, ENOENT);
    struct statx st {};
    if (::statx(AT_FDCWD, EncodeFileName(path).constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT,
                STATX_ATIME | STATX_MTIME | STATX_BTIME, &st)
        != 0)
        return Fail(error, errno);
    times = FileDateTimes{};
    if ((st.stx_mask & STATX_BTIME) != 0)
        times.created = FromStatx(st.stx_btime);
    times.accessed = FromStatx(st.stx_atime);
    times.modified = FromStatx(st.stx_mtime);
    return true;
}

bool SetFileDateTimes(const QString& path, const FileDateTimes& times, int* error)
{
    const timespec both[2] = {ToTimespec(times.accessed), ToTimespec(times.modified)};
    return SetTimes(path, both, error);
}

bool SetLastModifiedTime(const QString& path, const FileStamp& modified, int* error)
{
    timespec keepAccessed{};
    keepAccessed.tv_nsec = UTIME_OMIT;
    const timespec both[2] = {keepAccessed, ToTimespec(modified)};
    return SetTimes(path, both, error);
}

bool IsReadOnlyForUser(const QString& path)
{
    if (::faccessat(AT_FDCWD, EncodeFileName(path).constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0)
        return false;
    return errno == EACCES || errno == EROFS || errno == EPERM;
}

bool SyncTimeStampWithCounterpart(UserDialogs& dialogs, const ResultList& own, const ResultList& other, int row,
                                  const QString& ownFolder, const QString& otherFolder, bool confirm)
{
    const auto at = [row](const ResultList& list) -> const ResultRow* {
        return row >= 0 && static_cast<size_t>(row) < list.size() ? &list[static_cast<size_t>(row)] : nullptr;
    };
    const ResultRow* mine = at(own);
    if (mine == nullptr || !IsRealRow(*mine) || mine->IsFolder()) {
        dialogs.Message(QStringLiteral("No file selected.  Please select a file and try again."), UnableTitle(),
                        Icon::Warning);
        return false;
    }
    const QString thisPath = RowObjectPath(ownFolder, *mine);
    const ResultRow* pair = at(other);
    const QString otherPath = pair != nullptr && !pair->IsFolder() ? RowObjectPath(otherFolder, *pair) : QString();
    struct stat st {};
    if (otherPath.isEmpty() || ::lstat(EncodeFileName(otherPath).constData(), &st) != 0) {
        dialogs.Message(QStringLiteral("The selected file is an Orphan"), UnableTitle(), Icon::Warning);
        return false;
    }
    FileDateTimes times;
    if (!GetFileDateTimes(otherPath, times))
        return false;
    if (confirm) {
        // Only the times that change are named: Linux never lets a program set a birth ("created") time.
        const QString tab = QStringLiteral("\t");
        const QString question =
            QStringLiteral("The Dates/Times of the selected file, ") + mine->text
            + QStringLiteral(", are about to be changed to:") + CrLf + CrLf + QStringLiteral("Last Modified: ") + tab
            + GeneralText(times.modified) + CrLf + QStringLiteral("Last Accessed: ") + tab + GeneralText(times.accessed)
            + CrLf + CrLf + QStringLiteral("Do you wish to continue?");
        if (dialogs.Message(question, QStringLiteral("Confirm Date/Time Change"), Icon::Question,
                            UserDialogs::Buttons::YesNo)
            != UserDialogs::Answer::Yes)
            return false;
    }
    if (IsReadOnlyForUser(thisPath)) {
        dialogs.Message(QStringLiteral("The file \"") + thisPath + QStringLiteral("\" is read-only.") + CrLf
                            + QStringLiteral("Select Properties from the File menu and remove this attribute."),
                        UnableTitle(), Icon::Warning);
        return false;
    }
    int error = 0;
    if (!SetFileDateTimes(thisPath, times, &error)) {
        ShowStampFailures(dialogs, {thisPath + QStringLiteral(" - ") + DescribeSystemError(error)}, UnableTitle());
        return false;
    }
    return true;
}

int To24Hour(int hour12, bool pm)
{
    if (hour12 == 12)
        return pm ? 12 : 0;
    return pm ? hour12 + 12 : hour12;
}

TwelveHourClock ToTwelveHour(int hour24)
{
    // Midnight reads 12 AM: a 0 would be refused by the hour box's own check.
    if (hour24 == 0)
        return {12, false};
    if (hour24 < 12)
        return {hour24, false};
    return {hour24 == 12 ? 12 : hour24 - 12, true};
}

QString TimeBoxTag(TimeBox box)
{
    switch (box) {
    case TimeBox::Hour: return QStringLiteral("Hour");
    case TimeBox::Minute: return QStringLiteral("Minute");
    case TimeBox::Second: break;
    }
    return QStringLiteral("Second");
}

TimeBoxCheck CheckTimeBoxes(const QString& hour, const QString& minute, const QString& second)
{
    TimeBoxCheck check{hour, minute, second, std::nullopt, 0, 0, 0};
    struct Box
    {
        TimeBox box;
        QString* text;
        int low, high;
        int* value;
    };
    const Box boxes[] = {{TimeBox::Hour, &check.hourText, 1, 12, &check.hour12},
                         {TimeBox::Minute, &check.minuteText, 0, 59, &check.minute},
                         {TimeBox::Second, &check.secondText, 0, 59, &check.second}};
    for (const Box& b : boxes) {
        if (b.text->trimmed().isEmpty())
            *b.text = QStringLiteral("0");
        if (!ParseBox(*b.text, b.low, b.high, *b.value)) {
            check.failing = b.box;
            break;
        }
    }
    return check;
}

std::optional<QDateTime> NewLocalDateTime(const QDate& date, int hour24, int minute, int second)
{
    const QTime time(hour24, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime when(date, time, Qt::LocalTime);
    // A time the local clock skips comes back moved on by the gap.
    if (!when.isValid() || when.date() != date || when.time() != time)
        return std::nullopt;
    return when;
}

QString ShortDateText(const QDate& date) { return QLocale().toString(date, QLocale::ShortFormat); }

QString AmPmTimeText(const QTime& time) { return QLocale().toString(time, QStringLiteral("hh:mm:ss AP")); }

QString StampManyQuestion(const QDateTime& when)
{
    return QStringLiteral("The Dates/Time of these files is about to be changed to:") + CrLf + CrLf
           + ShortDateText(when.date()) + QLatin1Char(' ') + AmPmTimeText(when.time()) + CrLf + CrLf
           + QStringLiteral("Do you wish to continue?");
}

ManyStampResult StampModifiedTimes(const QStringList& paths, const QDateTime& when)
{
    ManyStampResult result;
    const FileStamp stamp = FileStamp::FromDateTime(when);
    for (const QString& path : paths) {
        int error = 0;
        const bool ok = SetLastModifiedTime(path, stamp, &error);
        result.stamped.push_back(ok);
        if (!ok)
            result.failures << path + QStringLiteral(" - ") + DescribeSystemError(error);
    }
    return result;
}

void ShowStampFailures(UserDialogs& dialogs, const QStringList& failures, const QString& title)
{
    if (failures.isEmpty())
        return;
    dialogs.Message(QStringLiteral("The Date/Time of these file(s) could not be changed:") + CrLf + CrLf
                        + failures.join(CrLf),
                    title, Icon::Warning);
}
