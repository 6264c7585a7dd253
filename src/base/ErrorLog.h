#pragma once

#include "base/Failure.h"

#include <QString>
#include <functional>
#include <mutex>

class UserDialogs;

// The log of failures met while comparing, "ERRORLOG.TXT" in the application folder: 8-bit text with
// CR LF line ends. A comparison run starts a new log; content comparison appends one entry per failure.
// Comparers on several I/O threads may append at once: entries are written whole, one after another,
// and the entry hook runs under the same lock.
class ErrorLog final
{
public:
    explicit ErrorLog(QString file);

    static QString FileName() { return QStringLiteral("ERRORLOG.TXT"); }
    const QString& File() const { return m_file; }

    // Creates or empties the log and forgets earlier entries.
    void StartNew();
    // Appends an entry for a failure met on fileName during step ("Opening the file", "Reading bytes").
    // Never fails visibly: a log that cannot be written loses the entry.
    void AppendEntry(const QString& fileName, const QString& process, const Failure& failure);
    // Whether an entry was appended since StartNew (mirrored into CCompare's ErrorsDuringCompare).
    bool EntriesWritten() const;
    // Called after each entry is written, so the comparison settings can set ErrorsDuringCompare.
    void SetOnEntry(std::function<void()> onEntry) { m_onEntry = std::move(onEntry); }

    // The lines of one entry, without line ends, exactly as they are written.
    static QStringList EntryLines(const QString& fileName, const QString& process, const Failure& failure);

private:
    QString m_file;
    mutable std::mutex m_lock;
    bool m_entriesWritten = false;
    std::function<void()> m_onEntry;
};

// At the end of a comparison with errors, offers the error log. Answers true when the user asked to see it.
bool ReportComparisonErrors(bool errorsDuringCompare, UserDialogs& dialogs);
