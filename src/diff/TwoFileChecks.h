#pragma once

#include "compare/CompareServices.h"

#include <QString>
#include <QtGlobal>
#include <array>

class EventPump;
class ProgressSink;
class UserDialogs;

// The checks of the two-file comparison, shared by its window and by "parvexcmd files": size, date/time,
// version, contents, CRC-32 and SHA-1 of two files, each with the value found for both files and a
// verdict, in the words the window shows.
enum class TwoFileCheck : int { Size = 0, DateTime, Version, BinaryContents, Crc32, Sha1 };
constexpr int TwoFileCheckCount = 6;

// The row text of a check: the method name with three leading blanks ("   Size").
QString TwoFileCheckText(TwoFileCheck check);

// What a check's verdict says about the pair.
enum class TwoFileVerdict {
    None,         // no verdict (yet)
    Same,
    Different,    // different, or newer/older, smaller/larger
    NotAvailable, // the check could not judge: "Version not available for both files"
};

struct TwoFileRow
{
    QString fileOne; // the File #1 column
    QString fileTwo; // the File #2 column
    QString result;  // the verdict's text; empty until the check has given one
    TwoFileVerdict verdict = TwoFileVerdict::None;
};
using TwoFileRows = std::array<TwoFileRow, TwoFileCheckCount>;
// Which checks run (the rows' check marks), in the order of TwoFileCheck.
using TwoFileCheckMarks = std::array<bool, TwoFileCheckCount>;

// Where the checks report while they run. Rows change column by column, so what was found before a
// cancellation stays visible.
class TwoFileChecksView
{
public:
    virtual ~TwoFileChecksView() = default;
    // The current step ("Comparing file sizes..."); empty at the end.
    virtual void SetStatus(const QString& text) = 0;
    virtual void RowChanged(TwoFileCheck check, const TwoFileRow& row) = 0;
    // A check that reads whole files begins: from now on the user may cancel. Ended says it is over
    // (also when it was cancelled or failed).
    virtual void LongCheckStarted() = 0;
    virtual void LongCheckEnded() = 0;
    // The progress of the long checks, 0 to 100.
    virtual ProgressSink& Bar() = 0;
};

// Whether path names an existing regular file (a link counts as the file it points to). A folder, a
// FIFO or a device is no file here: none of the checks could read it.
bool IsExistingFile(const QString& path);

// The path checks of Compare and Show Differences, in this order, each refusal a warning titled
// "File Not Found": file 1 empty after trimming, file 1 missing, file 2 empty, file 2 missing. Only the
// emptiness test trims; existence is tested on the text as typed. Answers whether both passed.
bool CheckTwoFilePaths(UserDialogs& dialogs, const QString& fileOne, const QString& fileTwo);

// The binary form of a file's first bytes for the contents row: up to 37 bytes followed by "...", each
// character as 8 binary digits, separated by blanks.
QString LeadingBytesInBinary(const QByteArray& leadingBytes);

enum class TwoFileOutcome {
    Done,        // every marked check gave its verdict
    PathRefused, // a path check failed and said so
    Cancelled,   // the user cancelled a long check ("User cancelled the comparison" was shown)
    Failed,      // an unexpected failure, reported through the error handler
};

// One Compare of the two-file window. Starts a new error log and clears the cancel and error flags;
// content read failures go to the log (and the verdict falls back to size and time, as the folder
// comparison's do), and at the end the user is told about them. Cancellation is CCompare's cancel flag,
// read after each poll of pump.
class TwoFileChecks final
{
public:
    // offerLog: there is a window that can show the error log, so the closing question offers it.
    // failureLabel names the procedure in unexpected-error messages.
    TwoFileChecks(const CompareServices& services, TwoFileChecksView& view, EventPump& pump, bool offerLog,
                  QString failureLabel = QStringLiteral("frmCompareFiles.cmdCompare_Click"));
    Q_DISABLE_COPY_MOVE(TwoFileChecks)

    TwoFileOutcome Run(const QString& fileOne, const QString& fileTwo, const TwoFileCheckMarks& marks);

    const TwoFileRows& Rows() const { return m_rows; }
    // The user answered Yes to viewing the error log.
    bool LogWanted() const { return m_logWanted; }

private:
    class Pass;

    CompareServices m_services;
    TwoFileChecksView& m_view;
    EventPump& m_pump;
    bool m_offerLog;
    QString m_failureLabel;
    TwoFileRows m_rows;
    bool m_logWanted = false;
};
