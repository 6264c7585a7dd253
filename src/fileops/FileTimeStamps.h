#pragma once

#include "compare/ResultList.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

class UserDialogs;

// The time stamps of files and the two commands that change them: copying a file's counterpart's times
// onto it, and stamping one chosen date and time onto several files.
//
// An object is always stamped as itself: a symbolic link gets the link's own times and its target is
// never touched. Times are carried to the nanosecond, so a copied stamp is the counterpart's exactly,
// however fine the comparison looks. This system keeps the birth ("created") time only on some file
// systems and never lets a program set it: it is read and shown where there is one, and left alone.

// A moment as the file system keeps it.
struct FileStamp
{
    qint64 seconds = 0;     // since 1970-01-01 00:00 UTC
    qint32 nanoseconds = 0; // 0 .. 999,999,999

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
    // FILETIME ticks (100 ns since 1601, UTC), as result rows keep them.
    qint64 Ticks() const;
    // The local date and time, to the millisecond.
    QDateTime ToDateTime() const;
    static FileStamp FromDateTime(const QDateTime& when);
};

struct FileDateTimes
{
    std::optional<FileStamp> created; // the birth time, where the file system records one
    FileStamp accessed;
    FileStamp modified;
};

// The times of the object at path itself. On failure answers false with the errno in *error.
bool GetFileDateTimes(const QString& path, FileDateTimes& times, int* error = nullptr);
// Gives the object at path itself the accessed and modified times, to the nanosecond; created cannot be
// set here and is ignored.
bool SetFileDateTimes(const QString& path, const FileDateTimes& times, int* error = nullptr);
// Gives the object at path itself a new modified time and keeps its accessed time.
bool SetLastModifiedTime(const QString& path, const FileStamp& modified, int* error = nullptr);
// Whether the user running the program may not write to the object: its permissions, or a file system
// mounted read-only.
bool IsReadOnlyForUser(const QString& path);

// "Synchronize Date/Time of Selected File with its Counterpart". row is the selected row's position in
// own (-1 when none); the counterpart is other's row at that position, under its own spelling. Asks
// first when confirm is set. Answers whether the file was stamped, so that the caller compares again or
// clears the results.
bool SyncTimeStampWithCounterpart(UserDialogs& dialogs, const ResultList& own, const ResultList& other, int row,
                                  const QString& ownFolder, const QString& otherFolder, bool confirm);

// The 24-hour hour of a 12-hour clock's hour (1..12): 12 AM is midnight, 12 PM noon.
int To24Hour(int hour12, bool pm);
struct TwelveHourClock
{
    int hour = 12; // 1 .. 12
    bool pm = false;
};
TwelveHourClock ToTwelveHour(int hour24);

// The three time boxes of the "Set Multiple File Date/Times" window.
enum class TimeBox { Hour, Minute, Second };
// "Hour", "Minute", "Second": the box's name in messages.
QString TimeBoxTag(TimeBox box);

struct TimeBoxCheck
{
    // The texts after the check: an empty box reads "0".
    QString hourText, minuteText, secondText;
    // The first box (hour, minute, second) whose text is no number of its range; none when all are.
    std::optional<TimeBox> failing;
    int hour12 = 0, minute = 0, second = 0;
};
TimeBoxCheck CheckTimeBoxes(const QString& hour, const QString& minute, const QString& second);

// The local moment of date at hour24:minute:second; none when the local clock skips that time (the hour
// lost when daylight saving time begins) or the date is no date.
std::optional<QDateTime> NewLocalDateTime(const QDate& date, int hour24, int minute, int second);

// The date and time texts of the window's list and its question: the locale's short date, and the time
// on a 12-hour clock with seconds ("03:04:05 PM").
QString ShortDateText(const QDate& date);
QString AmPmTimeText(const QTime& time);

// The question before stamping the window's files with when.
QString StampManyQuestion(const QDateTime& when);

struct ManyStampResult
{
    // One entry per path: whether that file now has the new time.
    QList<bool> stamped;
    // The files that kept their times, each with the system's reason.
    QStringList failures;
};
// Sets when as the modified time of every path, keeping each file's other times.
ManyStampResult StampModifiedTimes(const QStringList& paths, const QDateTime& when);
// The message for the files StampModifiedTimes could not stamp; shown when there is any.
void ShowStampFailures(UserDialogs& dialogs, const QStringList& failures, const QString& title);
