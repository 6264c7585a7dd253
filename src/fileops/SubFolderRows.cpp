#include "fileops/SubFolderRows.h"

#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "base/UserDialogs.h"
#include "compare/RowFormat.h"
#include "platform/ParvexLib.h"
#include "platform/PathOpen.h"
#include "sync/SyncPlan.h"

#include <QHash>
#include <sys/stat.h>

namespace {

using Icon = UserDialogs::Icon;
using Kind = FileOpRunner::Kind;

const QString CrLf = QStringLiteral("\r\n");

QString WithSlash(const QString& folder) { return Path::WithSlash(folder); }

// lstat of a path of any length and any bytes.
bool LinkStat(const QString& path, struct stat& st) { return StatPath(path, st, false); }

ResultRow& At(ResultList& list, int row) { return list[size_t(row)]; }

bool InRange(const SubFolderRows& rows, int row)
{
    return row >= 0 && size_t(row) < rows.left.size() && size_t(row) < rows.right.size();
}

// The path of target below base, for the row that now stands for it.
QString Relative(const QString& base, const QString& target)
{
    return target.startsWith(base) ? target.mid(base.size()) : Path(target).FileName();
}

// Whether the object at path is still a file or link, as the row says it is: a folder that took its
// place since the comparison is never copied over, moved or deleted on the row's account.
bool StillAFile(const QString& path)
{
    struct stat st {};
    if (!LinkStat(path, st))
        return true; // gone: the operation itself says so
    return !S_ISDIR(st.st_mode);
}

qint64 TicksOf(const struct stat& st)
{
    constexpr qint64 EpochTicks = 116444736000000000LL; // 1970 in ticks since 1601
    return EpochTicks + qint64(st.st_mtim.tv_sec) * 10000000LL + qint64(st.st_mtim.tv_nsec) / 100;
}

struct Words
{
    QString unable, caption, start, progress, done, status, label;
};

Words WordsOf(SubFolderOp op)
{
    switch (op) {
    case SubFolderOp::Copy:
        return {QStringLiteral("Unable to Copy"), QStringLiteral("Confirm Copy"), QStringLiteral("You are about to copy "),
                QStringLiteral("Copy"), QStringLiteral("Copy complete."), QStringLiteral("Copy Status"),
                QStringLiteral("frmSubDirDiffs.CopyFilesToOtherDir")};
    case SubFolderOp::Move:
        return {QStringLiteral("Unable to Move"), QStringLiteral("Confirm Move"), QStringLiteral("You are about to move "),
                QStringLiteral("Move"), QStringLiteral("Move complete."), QStringLiteral("Move Status"),
                QStringLiteral("frmSubDirDiffs.MoveFilesToOtherDir")};
    case SubFolderOp::Delete:
        return {QStringLiteral("Unable to Delete"), QStringLiteral("Confirm Delete"),
                QStringLiteral("You are about to permanently delete "), QStringLiteral("Delete"),
                QStringLiteral("Delete complete."), QStringLiteral("Delete Status"), QStringLiteral("frmSubDirDiffs.DeleteFiles")};
    case SubFolderOp::Trash: break;
    }
    return {QStringLiteral("Unable to Delete"), QStringLiteral("Confirm Recycle"), QStringLiteral("You are about to send "),
            QStringLiteral("Delete"), QStringLiteral("Delete complete."), QStringLiteral("Delete Status"),
            QStringLiteral("frmSubDirDiffs.DeleteFiles")};
}

} // namespace

SubFolderRows MakeSubFolderRows(const CSubFolderDiffs& diffs, const QString& leftParent, const QString& rightParent)
{
    SubFolderRows rows;
    rows.name = diffs.strSubFolderName();
    rows.targetName = diffs.TargetSubFolderName();
    rows.leftFolder = WithSlash(leftParent) + rows.name + QLatin1Char('/');
    rows.rightFolder = WithSlash(rightParent) + rows.targetName + QLatin1Char('/');
    rows.incomplete = diffs.Incomplete();
    // The window lists the files; the folder entries of the differences (a folder on one side only, the
    // mode or spelling of a folder) are carried by the synchronisation of the whole comparison.
    const auto isFolderEntry = [](const ResultRow& row) { return row.text.endsWith(QLatin1Char('/')); };
    const size_t n = std::max(diffs.DiffOne().size(), diffs.DiffTwo().size());
    for (size_t i = 0; i < n; ++i) {
        const ResultRow left = i < diffs.DiffOne().size() ? diffs.DiffOne()[i] : ResultRow();
        const ResultRow right = i < diffs.DiffTwo().size() ? diffs.DiffTwo()[i] : ResultRow();
        if (isFolderEntry(left) || isFolderEntry(right))
            continue;
        rows.left.push_back(left);
        rows.right.push_back(right);
    }
    return rows;
}

CSubFolderDiffs DiffsOfRows(const SubFolderRows& rows, const RowIndexes* only, std::vector<int>& rowOf)
{
    rowOf.clear();
    if (only != nullptr) {
        for (const int i : *only)
            if (InRange(rows, i))
                rowOf.push_back(i);
    } else {
        for (int i = 0; InRange(rows, i); ++i)
            rowOf.push_back(i);
    }
    // The differences carry no selection, and a placeholder nothing but its place.
    const auto unselected = [](const ResultRow& row) {
        if (row.IsPlaceholder())
            return ResultRow();
        ResultRow copy = row;
        copy.selected = false;
        return copy;
    };
    ResultList one;
    ResultList two;
    one.reserve(rowOf.size());
    two.reserve(rowOf.size());
    for (const int i : rowOf) {
        one.push_back(unselected(rows.left[size_t(i)]));
        two.push_back(unselected(rows.right[size_t(i)]));
    }
    CSubFolderDiffs diffs;
    diffs.SetStrSubFolderName(rows.name);
    diffs.SetTargetSubFolderName(rows.targetName);
    diffs.SetIncomplete(rows.incomplete);
    diffs.Assign(std::move(one), std::move(two));
    return diffs;
}

namespace {

// The other side's row becomes this row under the name it got there; answers the row it came from, or
// nullptr when there is nothing to carry over.
ResultRow* CarryOver(SubFolderRows& rows, bool fromLeft, int row, const QString& target, ResultRow*& other)
{
    if (!InRange(rows, row))
        return nullptr;
    ResultRow& mine = At(fromLeft ? rows.left : rows.right, row);
    if (mine.IsPlaceholder())
        return nullptr;
    other = &At(fromLeft ? rows.right : rows.left, row);
    *other = mine;
    other->text = Relative(fromLeft ? rows.rightFolder : rows.leftFolder, target);
    other->selected = false;
    return &mine;
}

} // namespace

void MarkCopied(SubFolderRows& rows, bool fromLeft, int row, const QString& target)
{
    ResultRow* other = nullptr;
    if (ResultRow* mine = CarryOver(rows, fromLeft, row, target, other)) {
        mine->icon = Category::Same;
        other->icon = Category::Same;
        // A copy makes the bytes equal: whatever could not be read before no longer matters.
        mine->unreadable = other->unreadable = false;
    }
}

void MarkMoved(SubFolderRows& rows, bool fromLeft, int row, const QString& target)
{
    ResultRow* other = nullptr;
    if (ResultRow* mine = CarryOver(rows, fromLeft, row, target, other)) {
        // The file is on one side only now, whatever it was before.
        other->icon = Category::Orphan;
        other->unreadable = false;
        *mine = ResultRow();
    }
}

void MarkDeleted(SubFolderRows& rows, bool onLeft, int row)
{
    if (!InRange(rows, row))
        return;
    At(onLeft ? rows.left : rows.right, row) = ResultRow();
    ResultRow& other = At(onLeft ? rows.right : rows.left, row);
    if (!other.IsPlaceholder()) {
        other.icon = Category::Orphan;
        other.unreadable = false;
    }
}

void MarkSyncStep(SubFolderRows& rows, const std::vector<int>& rowOf, const SyncStep& step)
{
    if (!step.inSubFolder || step.entry < 0 || size_t(step.entry) >= rowOf.size())
        return;
    const int row = rowOf[size_t(step.entry)];
    switch (step.action) {
    case SyncStep::Action::DeleteLeft: MarkDeleted(rows, true, row); break;
    case SyncStep::Action::DeleteRight: MarkDeleted(rows, false, row); break;
    case SyncStep::Action::CopyToRight: MarkCopied(rows, true, row, step.target); break;
    case SyncStep::Action::CopyToLeft: MarkCopied(rows, false, row, step.target); break;
    default: break; // modes and spellings leave the rows as they are until the next comparison
    }
}

bool RefreshSubFolderRows(SubFolderRows& rows)
{
    RowFormatter format;
    bool changed = false;
    for (int i = 0; InRange(rows, i); ++i) {
        bool present[2] = {false, false};
        for (const bool left : {true, false}) {
            ResultRow& row = At(left ? rows.left : rows.right, i);
            if (row.IsPlaceholder())
                continue;
            struct stat st {};
            const QString path = (left ? rows.leftFolder : rows.rightFolder) + row.text;
            if (!LinkStat(path, st)) {
                row = ResultRow();
                changed = true;
                continue;
            }
            present[left ? 0 : 1] = true;
            const qint64 ticks = TicksOf(st);
            if (row.size != qint64(st.st_size) || row.ticks != ticks) {
                row.size = st.st_size;
                row.ticks = ticks;
                row.sizeText = format.SizeText(row.size);
                row.dateText = format.DateText(ticks);
                changed = true;
            }
        }
        ResultRow& l = At(rows.left, i);
        ResultRow& r = At(rows.right, i);
        Category wantLeft = l.icon;
        Category wantRight = r.icon;
        if (present[0] && present[1] && l.size == r.size && l.ticks == r.ticks) {
            wantLeft = wantRight = Category::Same;
        } else if (present[0] != present[1]) {
            (present[0] ? wantLeft : wantRight) = Category::Orphan;
        }
        if (present[0] && wantLeft != l.icon) {
            l.icon = wantLeft;
            changed = true;
        }
        if (present[1] && wantRight != r.icon) {
            r.icon = wantRight;
            changed = true;
        }
    }
    return changed;
}

Outcome RunSubFolderOp(const RowOpServices& services, SubFolderRows& rows, SubFolderOp op, bool fromLeft,
                       const RowIndexes& selected, bool confirm)
{
    const Words words = WordsOf(op);
    try {
        ResultList& mine = fromLeft ? rows.left : rows.right;
        ResultList& other = fromLeft ? rows.right : rows.left;
        const QString from = fromLeft ? rows.leftFolder : rows.rightFolder;
        const QString to = fromLeft ? rows.rightFolder : rows.leftFolder;
        RowIndexes chosen;
        for (const int i : selected)
            if (InRange(rows, i) && !mine[size_t(i)].IsPlaceholder())
                chosen.push_back(i);
        if (chosen.empty()) {
            services.dialogs.Message(QStringLiteral("No files selected.  Please select some files and try again. "),
                                     words.unable, Icon::Warning);
            return {};
        }
        const OpList list{mine, chosen, from};
        const QStringList objects = OperandPaths(list);
        if (confirm) {
            const QString count = QString::number(chosen.size());
            const QString prompt = op == SubFolderOp::Trash
                                       ? words.start + count + QStringLiteral(" file(s) to the Recycle Bin.") + CrLf + CrLf
                                             + QStringLiteral("Do you wish to continue?")
                                       : words.start + count + QStringLiteral(" file(s).") + CrLf + CrLf
                                             + QStringLiteral("Do you wish to continue?");
            const bool transfer = op == SubFolderOp::Copy || op == SubFolderOp::Move;
            const QString operation = op == SubFolderOp::Delete ? DeletePermanentlyOperation() : words.progress;
            if (!services.confirmation.Confirm(words.caption, prompt, operation, objects, from, transfer ? to : QString()))
                return {};
        }
        const RowSource source{mine, chosen, from};
        if (op == SubFolderOp::Copy || op == SubFolderOp::Move) {
            const SpaceCheck check = op == SubFolderOp::Copy
                                         ? EnoughSpaceForCopyLvwToLvw(services.Plan(), source, other, to)
                                         : EnoughSpaceForMoveLvwToLvw(services.Plan(), source, other, to);
            if (!check.enough) {
                if (!check.reported)
                    services.dialogs.Message(
                        QStringLiteral("Not enough space available on target drive.") + CrLf + CrLf
                            + QStringLiteral("Target Drive: ") + check.drive + CrLf + QStringLiteral("Space Required: ")
                            + services.lib.ConvertBytesToCorrectByteTypeString(check.required) + CrLf
                            + QStringLiteral("Space Available: ")
                            + services.lib.ConvertBytesToCorrectByteTypeString(check.available),
                        QStringLiteral("Insufficient Disk Space"), Icon::Error);
                return {};
            }
        }
        bool permanent = op == SubFolderOp::Delete;
        if (op == SubFolderOp::Trash && !AskDeleteOffTrash(services, from, permanent))
            return {};

        // Each row's own object, and for a transfer the full path it goes to.
        QHash<QString, int> rowOfPath;
        QStringList changedSince;
        QStringList paths;
        std::vector<std::pair<QString, QString>> transfers;
        SubFolderTargets targets;
        for (const int i : chosen) {
            const QString path = RowObjectPath(from, mine[size_t(i)]);
            const ResultRow& pair = other[size_t(i)];
            const QString target = op == SubFolderOp::Copy || op == SubFolderOp::Move
                                       ? (pair.IsPlaceholder() ? targets.Target(from, to, mine[size_t(i)].text)
                                                               : RowObjectPath(to, pair))
                                       : QString();
            if (!StillAFile(path) || (!target.isEmpty() && !StillAFile(target))) {
                changedSince << path;
                continue;
            }
            rowOfPath.insert(path, i);
            if (target.isEmpty()) {
                paths << path;
            } else {
                const QString folder = Path(target).ParentPath().Text();
                struct stat st {};
                if (!StatPath(folder, st, true) || !S_ISDIR(st.st_mode))
                    FileOps::MakeFolders(folder);
                transfers.emplace_back(path, target);
            }
        }
        if (!changedSince.isEmpty())
            services.dialogs.Message(QStringLiteral("These files were left alone, because a folder now stands where the "
                                                    "comparison saw a file:")
                                         + CrLf + CrLf + changedSince.join(CrLf),
                                     words.progress, Icon::Warning);
        if (rowOfPath.isEmpty())
            return {};

        Outcome outcome;
        {
            BusyPointer busy(services.dialogs);
            const Kind kind = op == SubFolderOp::Copy   ? Kind::Copy
                              : op == SubFolderOp::Move ? Kind::Move
                              : permanent               ? Kind::Delete
                                                        : Kind::Trash;
            outcome = RunShellOperation(services, kind, paths, to, false, transfers);
        }
        QHash<QString, QString> targetOf;
        for (const auto& [path, target] : transfers)
            targetOf.insert(path, target);
        for (const QString& done : outcome.result.completed) {
            const auto it = rowOfPath.constFind(done);
            if (it == rowOfPath.constEnd())
                continue;
            switch (op) {
            case SubFolderOp::Copy: MarkCopied(rows, fromLeft, it.value(), targetOf.value(done)); break;
            case SubFolderOp::Move: MarkMoved(rows, fromLeft, it.value(), targetOf.value(done)); break;
            case SubFolderOp::Delete:
            case SubFolderOp::Trash: MarkDeleted(rows, fromLeft, it.value()); break;
            }
        }
        if (outcome.result.ok())
            services.dialogs.Message(words.done, words.status, Icon::Information);
        return outcome;
    } catch (...) {
        services.errors.HandleUnexpectedError(words.label);
    }
    return {};
}
