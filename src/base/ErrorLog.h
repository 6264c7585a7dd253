#pragma once

#include "base/Failure.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>

class UserDialogs;

// The log of failures met while comparing, "ERRORLOG.TXT" in the application folder: 8-bit text with
// CR LF line ends. A comparison run starts a new log; content comparison appends one entry per failure.
// Comparers on several I/O threads may append at once: entries are written whole, one after another,
// and the entry hook runs under the same lock.
//
// A run owns its log file: it holds an exclusive lock on it (flock) from StartNew until the next StartNew
// or its end, so that another run (a second program, the headless command) never empties it. When the
// log's own place cannot be used (another run owns it, the folder is read-only, the disk is full) the log
// goes to the first fallback folder that takes it, under the same name or, when that one is owned too,
// under a name of its own; File() then names that place and Displacement() says why. When no place takes
// it, Lost() says so.
class ErrorLog final
{
public:
    explicit ErrorLog(QString file, QStringList fallbackFolders = DefaultFallbackFolders());
    ~ErrorLog();
    Q_DISABLE_COPY_MOVE(ErrorLog)

    static QString FileName() { return QStringLiteral("ERRORLOG.TXT"); }
    // The user's cache folder for the program (XDG), then a private folder under the temporary folder.
    static QStringList DefaultFallbackFolders();

    // The log's own place.
    const QString& OwnFile() const { return m_file; }
    // Where the log is: its own place unless it was written elsewhere.
    QString File() const;
    // Why the log is not in its own place ("it is in use by another comparison", "No space left on
    // device"); empty when it is.
    QString Displacement() const;
    // Why the log could not be written anywhere; empty while it could.
    QString Lost() const;

    // Creates or empties the log and forgets earlier entries.
    void StartNew();
    // Appends an entry for a failure met on fileName during step ("Opening the file", "Reading bytes").
    // Never fails visibly: a log that cannot be written anywhere loses the entry and says so in Lost().
    void AppendEntry(const QString& fileName, const QString& process, const Failure& failure);
    // Whether an entry was appended since StartNew (mirrored into CCompare's ErrorsDuringCompare).
    bool EntriesWritten() const;
    // Called after each entry is written, so the comparison settings can set ErrorsDuringCompare.
    void SetOnEntry(std::function<void()> onEntry) { m_onEntry = std::move(onEntry); }

    // The lines of one entry, without line ends, exactly as they are written.
    static QStringList EntryLines(const QString& fileName, const QString& process, const Failure& failure);

private:
    // Opens and locks the first place from candidate on that takes the log; empties it when fresh.
    bool Open(int candidate, bool fresh);
    bool OpenAt(const QString& path, bool unique, bool fresh, QString* why);
    void Close();
    // Whether the open file is still the one at the path (the error log window deletes and re-creates it).
    bool StillInPlace() const;
    // Moves the log to the next place that takes it, with what the current file holds up to keep bytes.
    bool MoveOn(qint64 keep, const QString& why);

    QString m_file;
    QStringList m_fallbackFolders;
    mutable std::mutex m_lock;
    int m_fd = -1;
    int m_candidate = 0; // 0 the own place, n the fallback folder n - 1
    QString m_current;
    QString m_displacement;
    QString m_lost;
    bool m_entriesWritten = false;
    std::function<void()> m_onEntry;
};

// At the end of a comparison with errors, tells where the error log is; with offerToView (there is a
// window to show it in) it asks whether to show it. Answers true when the user asked to see it.
bool ReportComparisonErrors(bool errorsDuringCompare, const ErrorLog& log, UserDialogs& dialogs, bool offerToView);
