#include "sync/SyncUndo.h"

#include "base/Path.h"

#include <QDateTime>
#include <algorithm>
#include <sys/stat.h>
#include <unordered_set>

namespace {

using Role = SyncJournal::ObjectRole;
using Action = UndoStep::Action;

bool IsFolder(quint32 mode) { return S_ISDIR(mode); }

// Whether the object now at a path is still the one the run made: the same inode, and for anything but a
// folder (whose times change with what is put in it) the same size and modification time.
bool StillAsMade(const FileOps::Identity& now, const FileOps::Identity& made)
{
    if (now.ino != made.ino || now.dev != made.dev || (now.mode & S_IFMT) != (made.mode & S_IFMT))
        return false;
    return IsFolder(now.mode) || (now.size == made.size && now.mtimeNs == made.mtimeNs);
}

bool TrashEntry(const FileOps::TrashPlace& place, struct stat& st)
{
    const QByteArray path = EncodeFileName(place.trash + QStringLiteral("/files/") + place.name);
    return ::lstat(path.constData(), &st) == 0;
}

QString ParentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The folders as the plan expects them to stand when each step runs: what is there now, less what earlier
// steps remove, plus what they put back.
class Expected final
{
public:
    bool Exists(const QString& path)
    {
        if (m_gone.count(path) != 0)
            return false;
        if (m_back.count(path) != 0)
            return true;
        FileOps::Identity id;
        return FileOps::IdentityOf(path, id);
    }
    void Remove(const QString& path)
    {
        m_back.erase(path);
        m_gone.insert(path);
    }
    void Put(const QString& path)
    {
        m_gone.erase(path);
        m_back.insert(path);
    }

private:
    std::unordered_set<QString> m_gone;
    std::unordered_set<QString> m_back;
};

} // namespace

QString UndoStepWord(UndoStep::Action action)
{
    switch (action) {
    case Action::RemoveCreated:
    case Action::RemoveFolder: return QStringLiteral("remove");
    case Action::RestoreKept: return QStringLiteral("restore");
    case Action::ForgetLink: return QStringLiteral("forget");
    case Action::RenameBack: return QStringLiteral("rename");
    case Action::RestoreMode: return QStringLiteral("mode");
    }
    return QString();
}

UndoPlan PlanUndo(SyncJournal& journal, qint64 run)
{
    UndoPlan plan;
    if (!journal.IsOpen()) {
        plan.problem = journal.Problem();
        return plan;
    }
    if (run == 0)
        run = journal.LastUndoableRun();
    const std::optional<SyncJournal::RunRecord> record = run == 0 ? std::nullopt : journal.Run(run);
    if (!record) {
        plan.problem = run == 0 ? QStringLiteral("There is no synchronization to undo.")
                                : QStringLiteral("There is no synchronization number %1.").arg(run);
        return plan;
    }
    plan.run = run;
    if (record->undoneBy != 0) {
        plan.problem = QStringLiteral("Synchronization %1 was undone already.").arg(run);
        return plan;
    }
    if (record->undoOf != 0) {
        plan.problem = QStringLiteral("Synchronization %1 is itself an undo; synchronize again instead.").arg(run);
        return plan;
    }
    if (!record->kept) {
        plan.problem = QStringLiteral("Synchronization %1 did not keep what it replaced or deleted (\"Keep Replaced and "
                                      "Deleted Objects for Undo\" was off), so it cannot be undone.")
                           .arg(run);
        return plan;
    }

    std::vector<SyncJournal::OperationRecord> ops = journal.Operations(run);
    Expected expected;
    std::unordered_set<QString> blocked; // paths whose newer object stays: what was there before stays in the trash
    std::vector<std::pair<QString, FileOps::Identity>> folders; // folder modes and times, given back last
    std::unordered_set<QString> foldersSeen;
    for (auto op = ops.rbegin(); op != ops.rend(); ++op) {
        if ((op->kind == SyncJournal::OpKind::Rename || op->kind == SyncJournal::OpKind::Move) && op->done) {
            if (expected.Exists(op->target) && !expected.Exists(op->path)) {
                plan.steps.push_back({Action::RenameBack, op->path, op->target, {}, {}});
                expected.Remove(op->target);
                expected.Put(op->path);
            } else {
                plan.left.push_back({op->target, QStringLiteral("it was renamed again or removed since the synchronization"), true});
            }
            continue;
        }
        // What a step replaced but cannot give back (no longer in the trash, or never kept): its successor
        // stays, or the name would be left empty.
        std::unordered_set<QString> lost;
        for (const SyncJournal::ObjectRecord& object : op->objects) {
            struct stat kept {};
            if (object.role == Role::Displaced && (object.place.name.isEmpty() || !TrashEntry(object.place, kept)))
                lost.insert(object.path);
        }
        // What a step did, taken back last thing first.
        for (auto object = op->objects.rbegin(); object != op->objects.rend(); ++object) {
            const QString& path = object->path;
            FileOps::Identity now;
            const bool there = FileOps::IdentityOf(path, now);
            switch (object->role) {
            case Role::Created: {
                if (!there || !expected.Exists(path))
                    break; // gone already
                // Recorded with the object it was to replace, which still has the name: the replacement never
                // took place, and the displaced object's own record says what is left to do.
                const bool neverReplaced = std::any_of(op->objects.begin(), op->objects.end(), [&](const SyncJournal::ObjectRecord& other) {
                    return other.role == Role::Displaced && other.path == path && other.identity.ino == now.ino
                           && other.identity.dev == now.dev && now.ino != object->identity.ino;
                });
                if (neverReplaced)
                    break;
                if (lost.count(path) != 0) {
                    blocked.insert(path);
                    break; // said with the object it replaced
                }
                if (!StillAsMade(now, object->identity)) {
                    plan.left.push_back({path, QStringLiteral("it changed after the synchronization"), true});
                    blocked.insert(path);
                    break;
                }
                plan.steps.push_back({IsFolder(now.mode) ? Action::RemoveFolder : Action::RemoveCreated, path, {},
                                      object->identity, {}});
                expected.Remove(path);
                break;
            }
            case Role::Displaced: {
                if (object->place.name.isEmpty()) {
                    plan.left.push_back({path, QStringLiteral("what the synchronization replaced here could not be kept "
                                                              "(error %1), so the newer object stays")
                                                   .arg(object->error),
                                         false});
                    break;
                }
                struct stat kept {};
                const bool inTrash = TrashEntry(object->place, kept);
                if (there && now.ino == object->identity.ino && now.dev == object->identity.dev) {
                    // Still (or again) in place: a replacement killed before its rename leaves a second name of
                    // it in the trash, which goes; an undo that was cancelled brought it back already.
                    if (inTrash && quint64(kept.st_ino) == now.ino && quint64(kept.st_dev) == now.dev)
                        plan.steps.push_back({Action::ForgetLink, path, {}, object->identity, object->place});
                    break;
                }
                if (!inTrash) {
                    plan.left.push_back({path, QStringLiteral("what the synchronization replaced or deleted here is no "
                                                              "longer in the trash"),
                                         false});
                    break;
                }
                if (blocked.count(path) != 0)
                    break; // the newer object stays; this one stays in the trash
                if (expected.Exists(path)) {
                    plan.left.push_back({path, QStringLiteral("another object took its name after the synchronization"), true});
                    break;
                }
                plan.steps.push_back({Action::RestoreKept, path, {}, object->identity, object->place});
                expected.Put(path);
                break;
            }
            case Role::Before: {
                if (IsFolder(object->identity.mode)) {
                    if (foldersSeen.insert(path).second)
                        folders.emplace_back(path, object->identity);
                    break;
                }
                if (there && expected.Exists(path) && now.ino == object->identity.ino)
                    plan.steps.push_back({Action::RestoreMode, path, {}, object->identity, {}});
                break;
            }
            }
        }
    }
    // Folders take their modes and times back once nothing more changes in them, the deepest first.
    std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
        return a.first.count(QLatin1Char('/')) > b.first.count(QLatin1Char('/'));
    });
    for (const auto& [path, identity] : folders) {
        FileOps::Identity now;
        if (FileOps::IdentityOf(path, now) && now.ino == identity.ino)
            plan.steps.push_back({Action::RestoreMode, path, {}, identity, {}});
    }
    return plan;
}

namespace {

// Hears what the undo's own calls trash, so that the undo is recorded like any run.
class UndoKeeper final : public FileOps::Keeper
{
public:
    explicit UndoKeeper(SyncJournal& journal) : m_journal(journal) {}
    void SetOperation(qint64 op) { m_op = op; }
    void Displaced(const QString& path, const FileOps::Identity& was, const FileOps::TrashPlace& place, int error) override
    {
        if (m_op != 0)
            m_journal.AddObject(m_op, {Role::Displaced, path, was, place, error});
    }
    void Created(const QString& path, const FileOps::Identity& made) override
    {
        if (m_op != 0)
            m_journal.AddObject(m_op, {Role::Created, path, made, {}, 0});
    }

private:
    SyncJournal& m_journal;
    qint64 m_op = 0;
};

SyncJournal::OpKind KindOf(Action action)
{
    switch (action) {
    case Action::RemoveCreated:
    case Action::RemoveFolder:
    case Action::ForgetLink: return SyncJournal::OpKind::Remove;
    case Action::RestoreKept: return SyncJournal::OpKind::Restore;
    case Action::RenameBack: return SyncJournal::OpKind::Rename;
    case Action::RestoreMode: break;
    }
    return SyncJournal::OpKind::Mode;
}

} // namespace

UndoOutcome CarryOutUndo(SyncJournal& journal, const UndoPlan& plan, const FileOps::Control& control,
                         const UndoObserver& observer)
{
    UndoOutcome outcome;
    outcome.left = plan.left;
    const std::optional<SyncJournal::RunRecord> record = journal.Run(plan.run);
    if (!record)
        return outcome;
    SyncJournal::RunRecord undo;
    undo.started = QDateTime::currentDateTime();
    undo.left = record->left;
    undo.right = record->right;
    undo.method = QStringLiteral("Undo of synchronization %1").arg(plan.run);
    undo.kept = true;
    undo.undoOf = plan.run;
    outcome.undoRun = journal.BeginRun(undo);

    UndoKeeper keeper(journal);
    FileOps::Control confined = control;
    confined.keeper = &keeper;
    // Below the two folders no link is followed, as in the run itself.
    if (confined.roots.isEmpty())
        confined.roots = QStringList{record->left, record->right};
    qint64 seq = 0;
    qint64 restored = 0;
    qint64 removed = 0;
    for (const UndoStep& step : plan.steps) {
        if (control.cancel != nullptr && control.cancel->load()) {
            outcome.cancelled = true;
            break;
        }
        const qint64 op = outcome.undoRun == 0 ? 0
                                                : journal.BeginOperation(outcome.undoRun, ++seq, KindOf(step.action),
                                                                         step.from.isEmpty() ? step.path : step.from, step.path);
        keeper.SetOperation(op);
        FileOps::Result result;
        FileOps::Identity now;
        switch (step.action) {
        case Action::RemoveCreated:
            // Looked at again right before: it may have changed since the plan was shown.
            if (!FileOps::IdentityOf(step.path, now))
                break;
            if (!StillAsMade(now, step.identity)) {
                outcome.left.push_back({step.path, QStringLiteral("it changed after the synchronization"), true});
                break;
            }
            result = FileOps::MoveToTrash({step.path}, confined);
            removed += result.ok() ? 1 : 0;
            break;
        case Action::RemoveFolder:
            if (!FileOps::IdentityOf(step.path, now))
                break;
            result = FileOps::RemoveFolder(step.path, confined);
            if (result.error == ENOTEMPTY) {
                outcome.left.push_back({step.path, QStringLiteral("it holds objects put there after the synchronization"), true});
                result = {};
            }
            break;
        case Action::RestoreKept: {
            const QString parent = ParentOf(step.path);
            if (!FileOps::IdentityOf(parent, now))
                result = FileOps::MakeFolders(parent, confined);
            if (result.ok())
                result = FileOps::RestoreFromTrash(step.place, step.path, confined);
            if (result.error == EEXIST) {
                outcome.left.push_back({step.path, QStringLiteral("another object took its name after the synchronization"), true});
                result = {};
            } else if (result.error == ENOENT) {
                outcome.left.push_back({step.path, QStringLiteral("it is no longer in the trash"), false});
                result = {};
            }
            restored += result.ok() ? 1 : 0;
            break;
        }
        case Action::ForgetLink:
            result = FileOps::ForgetTrashLink(step.place, step.path, confined);
            break;
        case Action::RenameBack:
            if (ParentOf(step.from) == ParentOf(step.path)) {
                result = FileOps::Rename(step.from, step.path.mid(step.path.lastIndexOf(QLatin1Char('/')) + 1), confined);
            } else if (FileOps::IdentityOf(step.path, now)) {
                // A move into another folder goes back the same way, never over what took its old name.
                outcome.left.push_back({step.path, QStringLiteral("another object took its name after the synchronization"), true});
            } else {
                result = FileOps::MoveAs(step.from, step.path, confined);
            }
            break;
        case Action::RestoreMode:
            if (FileOps::IdentityOf(step.path, now) && now.ino == step.identity.ino)
                result = FileOps::SetModeAndTimes(step.path, step.identity, confined);
            break;
        }
        if (op != 0)
            journal.EndOperation(op, result.ok());
        if (result.aborted) {
            outcome.cancelled = true;
            break;
        }
        if (observer)
            observer(step, result);
        if (result.ok())
            ++outcome.done;
        else
            outcome.failures.emplace_back(step, result);
    }
    if (outcome.undoRun != 0) {
        const bool whole = !outcome.cancelled && outcome.failures.empty() && outcome.left.empty();
        journal.EndRun(outcome.undoRun,
                       outcome.cancelled ? QStringLiteral("Cancelled")
                                         : whole ? QStringLiteral("Completed") : QStringLiteral("Completed With Errors"),
                       restored, removed, 0, qint64(outcome.failures.size()));
    }
    // A cancelled undo can be started again: what it did not reach is still in the journal and the trash.
    if (!outcome.cancelled)
        journal.MarkUndone(plan.run, outcome.undoRun);
    return outcome;
}
