#include "sync/SyncJournal.h"

#include "base/Path.h"

#include <QDir>
#include <sqlite3.h>

namespace {

// "PVXJ": marks the file as this program's journal, so another program's database of the same name is
// never written to.
constexpr int ApplicationId = 0x50565a4a;
// 2: the memory of folder pairs (memory_pairs, memory_objects).
constexpr int SchemaVersion = 2;

const char* const Schema = R"(
CREATE TABLE runs (
    id INTEGER PRIMARY KEY,
    started INTEGER NOT NULL,
    ended INTEGER,
    left_folder BLOB NOT NULL,
    right_folder BLOB NOT NULL,
    method TEXT NOT NULL,
    outcome TEXT,
    left_dev INTEGER,
    right_dev INTEGER,
    kept INTEGER NOT NULL DEFAULT 0,
    undo_of INTEGER NOT NULL DEFAULT 0,
    undone_by INTEGER NOT NULL DEFAULT 0,
    copied INTEGER NOT NULL DEFAULT 0,
    deleted INTEGER NOT NULL DEFAULT 0,
    replaced INTEGER NOT NULL DEFAULT 0,
    failed INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE operations (
    id INTEGER PRIMARY KEY,
    run INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    path BLOB,
    target BLOB,
    state INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX operations_run ON operations (run, seq);
CREATE TABLE objects (
    id INTEGER PRIMARY KEY,
    operation INTEGER NOT NULL,
    role INTEGER NOT NULL,
    path BLOB NOT NULL,
    mode INTEGER, size INTEGER, mtime_ns INTEGER, atime_ns INTEGER, ino INTEGER, dev INTEGER,
    trash BLOB, trash_name BLOB,
    error INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX objects_operation ON objects (operation);
)";

// Added by version 2; made in a journal of version 1 when it is first opened.
const char* const MemorySchema = R"(
CREATE TABLE IF NOT EXISTS memory_pairs (
    id INTEGER PRIMARY KEY,
    left_folder BLOB NOT NULL,
    right_folder BLOB NOT NULL,
    left_dev INTEGER NOT NULL,
    right_dev INTEGER NOT NULL,
    stored INTEGER NOT NULL,
    count INTEGER NOT NULL,
    objects BLOB NOT NULL,
    UNIQUE (left_folder, right_folder)
);
)";

// Operation states.
constexpr int Intent = 0;
constexpr int Done = 1;
constexpr int FailedState = 2;

// One prepared statement, finalised at the end of its scope; or one of the journal's kept statements, reset
// for the next use instead.
class Statement final
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (db == nullptr || sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    // kept: the journal's slot of the statement, which a failure of the journal empties (and finalises)
    // while this is still in scope.
    explicit Statement(sqlite3_stmt** kept) : m_stmt(kept != nullptr ? *kept : nullptr), m_slot(kept) {}
    ~Statement()
    {
        if (m_slot == nullptr) {
            sqlite3_finalize(m_stmt);
        } else if (*m_slot != nullptr) {
            sqlite3_reset(*m_slot);
            sqlite3_clear_bindings(*m_slot);
        }
    }
    Q_DISABLE_COPY_MOVE(Statement)

    bool valid() const { return m_stmt != nullptr; }
    Statement& Bind(int i, qint64 v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Statement& Bind(int i, const QString& text)
    {
        // Names are bytes: kept as the file system spells them, whatever their encoding.
        const QByteArray bytes = EncodeFileName(text);
        sqlite3_bind_blob(m_stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindText(int i, const QString& text)
    {
        const QByteArray bytes = text.toUtf8();
        sqlite3_bind_text(m_stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return m_stmt == nullptr ? SQLITE_MISUSE : sqlite3_step(m_stmt); }
    qint64 Int(int i) const { return sqlite3_column_int64(m_stmt, i); }
    bool IsNull(int i) const { return sqlite3_column_type(m_stmt, i) == SQLITE_NULL; }
    QString Name(int i) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
        return data == nullptr ? QString() : DecodeFileName(data, sqlite3_column_bytes(m_stmt, i));
    }
    QString Text(int i) const
    {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        return data == nullptr ? QString() : QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, i));
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    sqlite3_stmt** m_slot = nullptr;
};

qint64 Int(sqlite3* db, const char* sql)
{
    Statement st(db, sql);
    return st.Step() == SQLITE_ROW ? st.Int(0) : -1;
}

QString CodeText(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("it is locked by another program");
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return QStringLiteral("it is damaged (not a database this program can read)");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN: return QStringLiteral("it cannot be opened for writing");
    case SQLITE_FULL: return QStringLiteral("the disk is full");
    default: break;
    }
    return QString::fromUtf8(sqlite3_errstr(code));
}

SyncJournal::RunRecord ReadRun(const Statement& st)
{
    SyncJournal::RunRecord r;
    r.id = st.Int(0);
    r.started = QDateTime::fromMSecsSinceEpoch(st.Int(1));
    if (!st.IsNull(2))
        r.ended = QDateTime::fromMSecsSinceEpoch(st.Int(2));
    r.left = st.Name(3);
    r.right = st.Name(4);
    r.method = st.Text(5);
    r.outcome = st.Text(6);
    r.leftDev = quint64(st.Int(7));
    r.rightDev = quint64(st.Int(8));
    r.kept = st.Int(9) != 0;
    r.undoOf = st.Int(10);
    r.undoneBy = st.Int(11);
    r.copied = st.Int(12);
    r.deleted = st.Int(13);
    r.replaced = st.Int(14);
    r.failed = st.Int(15);
    return r;
}

const char* const RunColumns = "SELECT id, started, ended, left_folder, right_folder, method, outcome, left_dev, right_dev, "
                               "kept, undo_of, undone_by, copied, deleted, replaced, failed FROM runs ";

} // namespace

SyncJournal::SyncJournal(const QString& appFolder)
{
    if (appFolder.isEmpty()) {
        m_problem = QStringLiteral("The synchronization journal cannot be kept: there is no application folder.");
        return;
    }
    QDir().mkpath(appFolder);
    m_path = QDir(appFolder).filePath(FileName());
    const QByteArray native = EncodeFileName(m_path);
    int code = sqlite3_open_v2(native.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                               nullptr);
    if (code != SQLITE_OK) {
        Fail(QStringLiteral("it cannot be opened: ") + CodeText(code));
        return;
    }
    sqlite3_busy_timeout(m_db, 3000);
    sqlite3_extended_result_codes(m_db, 0);
    // Reading the header tells a damaged or foreign file from ours before anything is written.
    const qint64 id = Int(m_db, "PRAGMA application_id");
    const qint64 tables = Int(m_db, "SELECT count(*) FROM sqlite_master");
    if (id < 0 || tables < 0) {
        Fail(CodeText(sqlite3_errcode(m_db)));
        return;
    }
    if (id != ApplicationId && (id != 0 || tables != 0)) {
        Fail(QStringLiteral("it is not a journal of this program; it was left as it is"));
        return;
    }
    // A new journal gets pages of 1 KiB. A run commits a few small records per file, and every commit logs
    // each page it touched whole: 4 KiB pages made the log four times as long and cost a synchronisation of
    // 100,000 files about a tenth of its time. The size is fixed when the first table is made, so a journal
    // made before keeps its pages. In WAL mode it can no longer be changed: this comes first.
    if (tables == 0 && !Exec("PRAGMA page_size=1024"))
        return;
    // Write-ahead log without an fsync per write: what was written survives a killed process.
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") || !Exec("PRAGMA journal_size_limit=4194304"))
        return;
    if (tables == 0) {
        const QByteArray setup = QByteArray("BEGIN IMMEDIATE;") + Schema + MemorySchema + "PRAGMA application_id="
                                 + QByteArray::number(ApplicationId) + ";PRAGMA user_version="
                                 + QByteArray::number(SchemaVersion) + ";COMMIT;";
        if (!Exec(setup.constData()))
            return;
    } else if (const qint64 version = Int(m_db, "PRAGMA user_version"); version > SchemaVersion) {
        Fail(QStringLiteral("it was written by a newer version of this program"));
        return;
    } else if (version < SchemaVersion) {
        const QByteArray upgrade = QByteArray("BEGIN IMMEDIATE;") + MemorySchema + "PRAGMA user_version="
                                   + QByteArray::number(SchemaVersion) + ";COMMIT;";
        if (!Exec(upgrade.constData()))
            return;
    }
    // A run that was killed before its end stays as it was: it can still be undone up to where it got.
}

SyncJournal::~SyncJournal()
{
    Flush();
    for (const auto& [sql, stmt] : m_kept)
        sqlite3_finalize(stmt);
    if (m_db != nullptr)
        sqlite3_close_v2(m_db);
}

sqlite3_stmt** SyncJournal::Kept(const char* sql)
{
    if (m_db == nullptr)
        return nullptr;
    sqlite3_stmt*& stmt = m_kept[sql];
    if (stmt == nullptr && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        stmt = nullptr;
    return &stmt;
}

void SyncJournal::HoldWrites(bool on)
{
    if (on == m_hold)
        return;
    if (!on)
        Flush();
    m_hold = on;
    if (m_db == nullptr)
        return;
    // A run writes a record or two per file: the log is copied into the database (with an fsync of each)
    // every 16,384 pages (16 MiB in a journal made now) instead of every 1,000, and once more after the run,
    // which leaves it short again.
    if (on) {
        sqlite3_wal_autocheckpoint(m_db, 16384);
    } else {
        sqlite3_wal_autocheckpoint(m_db, 1000);
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    }
}

bool SyncJournal::Held()
{
    if (!m_hold || m_inTransaction)
        return true;
    m_inTransaction = Exec("BEGIN IMMEDIATE");
    return m_inTransaction;
}

bool SyncJournal::Flush()
{
    if (!m_inTransaction)
        return m_db != nullptr;
    m_inTransaction = false;
    return Exec("COMMIT");
}

bool SyncJournal::Exec(const char* sql)
{
    if (m_db == nullptr)
        return false;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (code == SQLITE_OK)
        return true;
    Fail(CodeText(code));
    return false;
}

void SyncJournal::Fail(const QString& what)
{
    m_problem = QStringLiteral("The synchronization journal ") + QDir::toNativeSeparators(m_path) + QStringLiteral(" cannot be used: ")
                + what + QLatin1Char('.');
    // The slots stay (a statement in use holds one); emptied, they are never used again.
    for (auto& [sql, stmt] : m_kept) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    m_inTransaction = false;
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

qint64 SyncJournal::BeginRun(const RunRecord& run)
{
    Flush();
    Statement st(m_db, "INSERT INTO runs (started, left_folder, right_folder, method, left_dev, right_dev, kept, undo_of) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!st.valid())
        return 0;
    st.Bind(1, (run.started.isValid() ? run.started : QDateTime::currentDateTime()).toMSecsSinceEpoch())
        .Bind(2, run.left)
        .Bind(3, run.right)
        .BindText(4, run.method)
        .Bind(5, qint64(run.leftDev))
        .Bind(6, qint64(run.rightDev))
        .Bind(7, run.kept ? 1 : 0)
        .Bind(8, run.undoOf);
    if (const int code = st.Step(); code != SQLITE_DONE) {
        Fail(CodeText(code));
        return 0;
    }
    const qint64 id = sqlite3_last_insert_rowid(m_db);
    Prune(id);
    return id;
}

void SyncJournal::Prune(qint64 newest)
{
    // The journal keeps the last KeptRuns runs; older ones (and what their objects were) are forgotten. What
    // they put in the trash stays there for the user.
    const qint64 oldest = newest - KeptRuns;
    if (oldest <= 0 || Int(m_db, "SELECT count(*) FROM runs") <= KeptRuns)
        return;
    Statement objects(m_db, "DELETE FROM objects WHERE operation IN (SELECT id FROM operations WHERE run <= ?)");
    Statement operations(m_db, "DELETE FROM operations WHERE run <= ?");
    Statement runs(m_db, "DELETE FROM runs WHERE id <= ?");
    if (!Exec("BEGIN IMMEDIATE"))
        return;
    objects.Bind(1, oldest).Step();
    operations.Bind(1, oldest).Step();
    runs.Bind(1, oldest).Step();
    Exec("COMMIT");
}

void SyncJournal::EndRun(qint64 run, const QString& outcome, qint64 copied, qint64 deleted, qint64 replaced, qint64 failed)
{
    Flush();
    Statement st(m_db, "UPDATE runs SET ended = ?, outcome = ?, copied = ?, deleted = ?, replaced = ?, failed = ? WHERE id = ?");
    st.Bind(1, QDateTime::currentMSecsSinceEpoch()).BindText(2, outcome).Bind(3, copied).Bind(4, deleted).Bind(5, replaced)
        .Bind(6, failed).Bind(7, run);
    if (const int code = st.Step(); st.valid() && code != SQLITE_DONE)
        Fail(CodeText(code));
}

qint64 SyncJournal::BeginOperation(qint64 run, qint64 seq, OpKind kind, const QString& path, const QString& target)
{
    if (!Held())
        return 0;
    Statement st(Kept("INSERT INTO operations (run, seq, kind, path, target, state) VALUES (?, ?, ?, ?, ?, 0)"));
    if (!st.valid())
        return 0;
    st.Bind(1, run).Bind(2, seq).Bind(3, qint64(kind)).Bind(4, path).Bind(5, target);
    if (const int code = st.Step(); code != SQLITE_DONE) {
        Fail(CodeText(code));
        return 0;
    }
    return sqlite3_last_insert_rowid(m_db);
}

void SyncJournal::EndOperation(qint64 op, bool ok)
{
    if (!Held())
        return;
    Statement st(Kept("UPDATE operations SET state = ? WHERE id = ?"));
    st.Bind(1, ok ? Done : FailedState).Bind(2, op);
    if (const int code = st.Step(); st.valid() && code != SQLITE_DONE)
        Fail(CodeText(code));
}

void SyncJournal::AddObject(qint64 op, const ObjectRecord& object)
{
    if (!Held())
        return;
    Statement st(Kept("INSERT INTO objects (operation, role, path, mode, size, mtime_ns, atime_ns, ino, dev, trash, "
                      "trash_name, error) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!st.valid())
        return;
    const FileOps::Identity& id = object.identity;
    st.Bind(1, op).Bind(2, qint64(object.role)).Bind(3, object.path).Bind(4, qint64(id.mode)).Bind(5, id.size)
        .Bind(6, id.mtimeNs).Bind(7, id.atimeNs).Bind(8, qint64(id.ino)).Bind(9, qint64(id.dev))
        .Bind(10, object.place.trash).Bind(11, object.place.name).Bind(12, object.error);
    if (const int code = st.Step(); code != SQLITE_DONE)
        Fail(CodeText(code));
}

void SyncJournal::MarkUndone(qint64 run, qint64 byRun)
{
    Flush();
    Statement st(m_db, "UPDATE runs SET undone_by = ? WHERE id = ?");
    st.Bind(1, byRun).Bind(2, run);
    if (const int code = st.Step(); st.valid() && code != SQLITE_DONE)
        Fail(CodeText(code));
}

std::vector<SyncJournal::RunRecord> SyncJournal::Runs()
{
    std::vector<RunRecord> runs;
    Statement st(m_db, (QByteArray(RunColumns) + "ORDER BY id DESC").constData());
    while (st.Step() == SQLITE_ROW)
        runs.push_back(ReadRun(st));
    return runs;
}

std::optional<SyncJournal::RunRecord> SyncJournal::Run(qint64 id)
{
    Statement st(m_db, (QByteArray(RunColumns) + "WHERE id = ?").constData());
    st.Bind(1, id);
    if (st.Step() == SQLITE_ROW)
        return ReadRun(st);
    return std::nullopt;
}

qint64 SyncJournal::LastUndoableRun()
{
    Statement st(m_db, "SELECT r.id FROM runs r WHERE r.undo_of = 0 AND r.undone_by = 0 AND EXISTS "
                       "(SELECT 1 FROM operations o WHERE o.run = r.id AND o.state <> 2) ORDER BY r.id DESC LIMIT 1");
    return st.Step() == SQLITE_ROW ? st.Int(0) : 0;
}

std::vector<SyncJournal::OperationRecord> SyncJournal::Operations(qint64 run)
{
    std::vector<OperationRecord> ops;
    {
        Statement st(m_db, "SELECT id, seq, kind, path, target, state FROM operations WHERE run = ? ORDER BY seq, id");
        st.Bind(1, run);
        while (st.Step() == SQLITE_ROW) {
            OperationRecord op;
            op.id = st.Int(0);
            op.seq = st.Int(1);
            op.kind = OpKind(st.Int(2));
            op.path = st.Name(3);
            op.target = st.Name(4);
            op.done = st.Int(5) == Done;
            op.failed = st.Int(5) == FailedState;
            ops.push_back(std::move(op));
        }
    }
    if (ops.empty())
        return ops;
    Statement st(m_db, "SELECT o.operation, o.role, o.path, o.mode, o.size, o.mtime_ns, o.atime_ns, o.ino, o.dev, o.trash, "
                       "o.trash_name, o.error FROM objects o JOIN operations p ON p.id = o.operation WHERE p.run = ? "
                       "ORDER BY o.id");
    st.Bind(1, run);
    std::unordered_map<qint64, size_t> index;
    for (size_t i = 0; i < ops.size(); ++i)
        index.emplace(ops[i].id, i);
    while (st.Step() == SQLITE_ROW) {
        const auto it = index.find(st.Int(0));
        if (it == index.end())
            continue;
        ObjectRecord object;
        object.role = ObjectRole(st.Int(1));
        object.path = st.Name(2);
        object.identity.mode = quint32(st.Int(3));
        object.identity.size = st.Int(4);
        object.identity.mtimeNs = st.Int(5);
        object.identity.atimeNs = st.Int(6);
        object.identity.ino = quint64(st.Int(7));
        object.identity.dev = quint64(st.Int(8));
        object.place.trash = st.Name(9);
        object.place.name = st.Name(10);
        object.error = int(st.Int(11));
        ops[it->second].objects.push_back(std::move(object));
    }
    return ops;
}

std::optional<std::pair<quint64, quint64>> SyncJournal::LastDevices(const QString& left, const QString& right)
{
    Statement st(m_db, "SELECT left_folder, left_dev, right_dev FROM runs WHERE undo_of = 0 AND left_dev <> 0 AND "
                       "((left_folder = ?1 AND right_folder = ?2) OR (left_folder = ?2 AND right_folder = ?1)) "
                       "ORDER BY id DESC LIMIT 1");
    st.Bind(1, left).Bind(2, right);
    if (st.Step() != SQLITE_ROW)
        return std::nullopt;
    const quint64 l = quint64(st.Int(1));
    const quint64 r = quint64(st.Int(2));
    return st.Name(0) == left ? std::make_pair(l, r) : std::make_pair(r, l);
}

QString SyncJournal::KindWord(OpKind kind)
{
    switch (kind) {
    case OpKind::Copy: return QStringLiteral("copy");
    case OpKind::Delete: return QStringLiteral("delete");
    case OpKind::Mode: return QStringLiteral("mode");
    case OpKind::Rename: return QStringLiteral("rename");
    case OpKind::MakeFolder: return QStringLiteral("make-folder");
    case OpKind::FolderAttributes: return QStringLiteral("folder-attributes");
    case OpKind::Restore: return QStringLiteral("restore");
    case OpKind::Remove: return QStringLiteral("remove");
    case OpKind::Move: return QStringLiteral("move");
    }
    return QString();
}
