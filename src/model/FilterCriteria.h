#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

class ErrorHandler;

// The size and date tests of the selection commands. A criterion is 0 equal, 1 the file's value greater
// (later), 2 the file's value less (earlier); any other criterion answers false.

// False for an empty size text. A text that is not a number is reported with
// "modParvex.FileMatchesSizeCriteria" and answers false.
bool FileMatchesSizeCriteria(ErrorHandler& errors, const QString& sizeText, qint64 fileSize, int criterion);

// False for an empty date text. The text is read as a local date and time in the short or long form of
// the default locale or in ISO form (a date alone means its midnight; a two-digit year is 1950-2049);
// equality is to the whole second. An unreadable
// text is reported with "modParvex.FileMatchesDateCriteria" and answers false.
bool FileMatchesDateCriteria(ErrorHandler& errors, const QString& dateText, const QDateTime& fileDate, int criterion);

// The date and time a user's text stands for, in local time; none when it cannot be read.
std::optional<QDateTime> ReadUserDateTime(const QString& text);
