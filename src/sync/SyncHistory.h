#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

class ErrorHandler;
class UserDialogs;

// The synchronisation history: "SyncHist.Log" in the application folder, a sequence of 773-byte records,
// oldest first, no header. A record holds the time of the synchronisation as an OLE Automation date
// (8-byte little-endian double, days since 30 December 1899 in local time) at offset 0, then three text
// fields of 255 bytes each at 8, 263 and 518: the left folder, the right folder and the outcome, as UTF-8
// padded with blanks and cut at 255 bytes without splitting a character.
//
// The file is never left half-written: a record is either appended with one write of all its bytes or
// the whole new content goes to a temporary file in the same folder that is renamed over the old one.
namespace SyncHistory {

constexpr int RecordBytes = 773;
constexpr int FieldBytes = 255;
constexpr int LeftOffset = 8;
constexpr int RightOffset = LeftOffset + FieldBytes;
constexpr int OutcomeOffset = RightOffset + FieldBytes;
// The range of the number of records the user may ask the file to keep.
constexpr int MinEntries = 1;
constexpr int MaxEntries = 32000;

inline QString FileName() { return QStringLiteral("SyncHist.Log"); }
inline QString CompletedText() { return QStringLiteral("Completed Successfully"); }
inline QString CancelledText() { return QStringLiteral("Cancelled"); }
// A run that went through to its end although some of its operations failed or were withheld.
inline QString CompletedWithErrorsText() { return QStringLiteral("Completed With Errors"); }
// A run that a failed operation ended before its last step.
inline QString StoppedByErrorText() { return QStringLiteral("Stopped By An Error"); }

// The history file of an application folder (with or without its trailing "/").
QString FilePath(const QString& appFolder);

struct Record
{
    double when = 0;   // OLE Automation date, local time
    QString left;      // the three fields as stored: 255 bytes' worth of text, blanks included
    QString right;
    QString outcome;
};

// OLE Automation dates in local time. A date that is not finite or lies outside the years 100 to 9999
// gives an invalid QDateTime.
double OleDateFromDateTime(const QDateTime& when);
QDateTime DateTimeFromOleDate(double oleDate);

// A text as a stored field: its UTF-8 bytes cut at 255 without splitting a character, padded with blanks.
QByteArray FieldBytesOf(const QString& text);
// A stored field as the history window shows it: cut before its first run of three blanks, unless it has
// none or the run starts at its first character (then the whole field).
QString DisplayText(const QString& field);

// The number of entries typed into the history window: accepted when it is a number whose value,
// rounded to a whole number (halves to the even neighbour), lies between MinEntries and MaxEntries.
std::optional<qint32> NumEntriesFromText(const QString& text);

QByteArray Encode(double when, const QString& left, const QString& right, const QString& outcome);
// Decodes RecordBytes bytes at data.
Record Decode(const char* data);

// The record count of a file of length bytes: length / 773 rounded to the nearest whole number.
qint64 RecordCount(qint64 length);
// The record count of the history file now (0 when there is none).
qint64 RecordCount(const QString& appFolder);

// Every whole record of the file, oldest first; none when there is no file. Throws Failure.
QList<Record> ReadAll(const QString& appFolder);

// Appends a record. When the file holds exactly maxEntries records the oldest is dropped; a file that
// holds more keeps growing until the next trim. Throws Failure; the file stays as it was then.
void Append(const QString& appFolder, const QByteArray& record, qint64 maxEntries);

// Keeps the newest keep records (keep >= 1) and answers 0, or the errno of a failed rename of the
// temporary file into place. Throws Failure "Unable to create temp file" when the temporary file cannot
// be made, and the system's failure when it cannot be written. The old file stays whole on every failure
// and the temporary file is removed again.
int KeepNewest(const QString& appFolder, qint64 keep);

} // namespace SyncHistory

// What a synchronisation run calls at its end: appends the record of the run with its outcome text (one
// of the texts above) under the maximum. A failure goes to errors under label and answers false.
bool AppendSyncRecord(const QString& appFolder, const QDateTime& when, const QString& left, const QString& right,
                      const QString& outcome, qint64 maxEntries, ErrorHandler& errors,
                      const QString& label = QStringLiteral("frmMain.AutoSync()"));

// Makes newMax the maximum number of records (into maximum). When the file holds more, the oldest are
// removed, after the question "You are about to permanently remove ..." when ask is set; No changes
// nothing, not even the maximum. Answers whether the maximum became newMax. A failure goes to errors
// with the label "frmSyncLog.AdjustNumLogEntries" and leaves the file and the maximum as they were.
bool AdjustNumLogEntries(const QString& appFolder, qint32 newMax, bool ask, qint32& maximum, UserDialogs& dialogs,
                         ErrorHandler& errors);
