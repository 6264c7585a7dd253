#pragma once

#include "platform/FileOps.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The journal of synchronisations: SyncJournal.db (SQLite) in the application folder. Each run is a row
// (start, end, the two folders and the devices they were on, method, outcome, counts), each operation of a
// run a row written as an intent before it starts and marked done after, and each object an operation kept
// in the trash or created a row of its own, written the moment it happens. A run killed half way can so be
// taken back up to where it got.
//
// The journal never stops a synchronisation: a database that is missing is made, one that is locked,
// foreign (another program's file of that name) or damaged is left alone, and Problem() says why in a
// sentence a user can act on. Writes go out at once (write-ahead log, no fsync per write): a killed
// process loses nothing it wrote; a power cut may lose the last writes, never the file.
class SyncJournal final
{
public:
    static QString FileName() { return QStringLiteral("SyncJournal.db"); }

    explicit SyncJournal(const QString& appFolder);
    ~SyncJournal();
    Q_DISABLE_COPY_MOVE(SyncJournal)

    bool IsOpen() const { return m_db != nullptr; }
    // Why the journal is not open (or why the last write failed): empty when all is well.
    const QString& Problem() const { return m_problem; }
    QString Path() const { return m_path; }

    enum class OpKind { Copy, Delete, Mode, Rename, MakeFolder, FolderAttributes, Restore, Remove, Move };
    enum class ObjectRole { Created = 1, Displaced = 2, Before = 3 };

    struct RunRecord
    {
        qint64 id = 0;
        QDateTime started;
        QDateTime ended;     // invalid while running (or killed)
        QString left;        // the compared folders, as the history names them
        QString right;
        QString method;      // "Make Right Same As Left", ..., "Undo of run 4"
        QString outcome;     // the history's outcome text; empty for a run that never ended
        quint64 leftDev = 0; // the devices the folders were on when the run began
        quint64 rightDev = 0;
        bool kept = false;   // the run kept what it displaced
        qint64 undoOf = 0;   // this run undid run undoOf
        qint64 undoneBy = 0; // the run that undid this one
        qint64 copied = 0, deleted = 0, replaced = 0, failed = 0;
    };

    struct ObjectRecord
    {
        ObjectRole role = ObjectRole::Created;
        QString path;
        FileOps::Identity identity;
        FileOps::TrashPlace place; // a displaced object that was kept
        int error = 0;             // a displaced object that could not be kept: why
    };

    struct OperationRecord
    {
        qint64 id = 0;
        qint64 seq = 0;
        OpKind kind = OpKind::Copy;
        QString path;   // the object deleted or renamed, a copy's source
        QString target; // a copy's target, a rename's new path
        bool done = false;
        bool failed = false;
        std::vector<ObjectRecord> objects; // in the order they happened
    };

    // A new run; 0 when it could not be written.
    qint64 BeginRun(const RunRecord& run);
    void EndRun(qint64 run, const QString& outcome, qint64 copied, qint64 deleted, qint64 replaced, qint64 failed);
    // Held writes: while on, the intents, ends and objects of operations gather in one transaction that
    // Flush() writes out, so a run pays for one write of the log per file instead of one per record. The
    // caller flushes at each point where what is held must be on disk before it goes on (before a file
    // operation starts, once an object was displaced); every other call of the journal flushes first.
    void HoldWrites(bool on);
    // Writes out what is held; false when that failed (Problem() says why, and the journal is closed).
    bool Flush();

    // The intent of an operation (0 when it could not be written), then its end.
    qint64 BeginOperation(qint64 run, qint64 seq, OpKind kind, const QString& path, const QString& target);
    void EndOperation(qint64 op, bool ok);
    void AddObject(qint64 op, const ObjectRecord& object);
    void MarkUndone(qint64 run, qint64 byRun);

    // Every run, newest first.
    std::vector<RunRecord> Runs();
    std::optional<RunRecord> Run(qint64 id);
    // The newest run that changed something, is no undo itself and was not undone; 0 when none.
    qint64 LastUndoableRun();
    std::vector<OperationRecord> Operations(qint64 run);

    // The devices of the pair's folders at its last run (either order of the two), when there was one.
    std::optional<std::pair<quint64, quint64>> LastDevices(const QString& left, const QString& right);

    static QString KindWord(OpKind kind);

    // The database itself, for the memory of folder pairs kept in it (sync/SyncMemory), with nothing held;
    // null when not open.
    sqlite3* Database()
    {
        Flush();
        return m_db;
    }

    // How many runs the journal remembers.
    static constexpr qint64 KeptRuns = 100;

private:
    bool Exec(const char* sql);
    // The transaction held writes go into, begun at the first of them.
    bool Held();
    void Prune(qint64 newest);
    void Fail(const QString& what);
    // A statement of the hot writes, prepared once per journal.
    sqlite3_stmt** Kept(const char* sql);

    QString m_path;
    QString m_problem;
    sqlite3* m_db = nullptr;
    std::unordered_map<const char*, sqlite3_stmt*> m_kept;
    bool m_hold = false;
    bool m_inTransaction = false;
};
