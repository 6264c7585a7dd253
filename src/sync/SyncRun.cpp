#include "sync/SyncRun.h"

#include "base/Failure.h"
#include "base/Path.h"
#include "model/FolderListing.h"
#include "platform/ParvexLib.h"
#include "platform/PathOpen.h"
#include "platform/Volume.h"
#include "sync/SyncJournal.h"
#include "sync/SyncMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace {

using Action = SyncStep::Action;

QString WithSlash(const QString& folder) { return Path::WithSlash(folder); }

// lstat of a path of any length and any bytes.
bool LinkStat(const QString& path, struct stat& st) { return StatPath(path, st, false); }

// The name a row's object has in its folder (a folder row without its "/").
QString ObjectName(const ResultRow& row) { return row.IsFolder() ? row.text.mid(1) : row.text; }

// A row's bytes as the space checks count them: nothing for a row without a size.
qint64 SizeOf(const ResultRow& row) { return row.sizeText.isEmpty() ? 0 : row.size; }

// The objects of folder that may go when it holds objects the filters leave out: everything they let
// through, a sub-folder whole where nothing below it is left out.
void DeletableContents(const QString& folder, const TreeFilters& filters, QStringList& objects)
{
    const FolderListing listing(folder);
    const QString base = WithSlash(folder);
    for (qsizetype i = 0; i < listing.Count(); ++i) {
        FolderListing::Details details;
        if (!listing.Stat(i, details, nullptr))
            continue;
        const QString name = listing.Name(i);
        const bool hidden = listing.IsHidden(i);
        if (details.type == FolderListing::Type::Folder) {
            if (filters.excludeHiddenFolders && hidden)
                continue;
            if (HoldsExcludedObjects(base + name, filters))
                DeletableContents(base + name, filters, objects);
            else
                objects << base + name;
            continue;
        }
        const bool special = details.type == FolderListing::Type::Special;
        if ((filters.noFilters || filters.include.MatchesAny(name)) && !filters.exclude.MatchesAny(name)
            && !(filters.excludeSystemFiles && special) && !(filters.excludeHiddenFiles && hidden))
            objects << base + name;
    }
}

// Whether a folder to delete holds objects the filters left out (and so must keep them).
bool KeepsExcluded(const SyncInput& in, const QString& folder)
{
    if (in.filters == nullptr)
        return false;
    const TreeFilters& f = *in.filters;
    if (f.noFilters && !f.excludeSystemFiles && !f.excludeHiddenFiles && !f.excludeHiddenFolders)
        return false;
    return HoldsExcludedObjects(folder, f);
}

void MarkMirror(SyncStep& step, const SyncInput& in)
{
    const int mirror = MirrorSource(in.rules);
    step.mirrorFromLeft = mirror == CSyncSettings::Left;
    step.mirrorFromRight = mirror == CSyncSettings::Right;
}

void AddRowSteps(std::vector<SyncStep>& plan, const SyncInput& in, const RowIndexes& rows, Action action)
{
    const bool fromLeft = action == Action::DeleteLeft || action == Action::CopyToRight;
    const ResultList& mine = fromLeft ? in.left : in.right;
    const ResultList& other = fromLeft ? in.right : in.left;
    const QString& myFolder = fromLeft ? in.leftFolder : in.rightFolder;
    const QString& otherFolder = fromLeft ? in.rightFolder : in.leftFolder;
    for (const int i : rows) {
        const ResultRow& row = mine[size_t(i)];
        const QString source = RowObjectPath(myFolder, row);
        if (source.isEmpty())
            continue;
        SyncStep step{action, row.text, source, QString(), row.icon, false};
        step.note = row.note;
        step.noteName = row.noteName;
        step.rowSize = SizeOf(row);
        step.leftBase = WithSlash(in.leftFolder);
        step.rightBase = WithSlash(in.rightFolder);
        MarkMirror(step, in);
        if (action == Action::CopyToRight || action == Action::CopyToLeft) {
            const ResultRow* pair = size_t(i) < other.size() ? &other[size_t(i)] : nullptr;
            step.target = pair != nullptr && IsRealRow(*pair) ? RowObjectPath(otherFolder, *pair)
                                                              : WithSlash(otherFolder) + ObjectName(row);
            step.bytes = SizeOf(row);
            step.replaced = pair != nullptr ? SizeOf(*pair) : 0;
        } else if (row.IsFolder()) {
            step.keepExcluded = KeepsExcluded(in, source);
            if (step.keepExcluded) {
                DeletableContents(source, *in.filters, step.deletable);
                if (step.deletable.isEmpty())
                    continue; // it holds only what the filters leave out: nothing of it goes
            }
        }
        plan.push_back(std::move(step));
    }
}

// The name at the end of a path ("Old/Empty/" gives "Empty").
QString LastName(const QString& path)
{
    QString p = path;
    while (p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

// A mirror's steps for a pair the copies leave alone: the source's permission bits for an equal object
// whose bits differ, and the source's spelling for a counterpart spelled otherwise (kept in renames, which
// run last and deepest first).
// What a mirror's target file system keeps: permission bits (not on FAT and NTFS, which show one mode for
// everything) and spellings (not where names differing in case are one name).
struct MirrorTarget
{
    bool modes = true;
    bool spellings = true;
};

MirrorTarget MirrorTargetOf(const QString& folder)
{
    const QString fs = Volume::FileSystemName(folder);
    const bool fat = fs == QLatin1String("FAT");
    return {!fat && fs != QLatin1String("NTFS"), !fat};
}

void AddMirrorSteps(std::vector<SyncStep>& plan, std::vector<SyncStep>& renames, const SyncStep& base,
                    const ResultRow& from, const ResultRow& to, const QString& fromPath, const QString& toPath,
                    bool fromLeft, const MirrorTarget& keeps)
{
    if (from.IsPlaceholder() || to.IsPlaceholder())
        return;
    if (keeps.modes && from.icon == Category::Same && from.mode != 0 && to.mode != 0 && from.mode != to.mode) {
        SyncStep step = base;
        step.action = fromLeft ? Action::ModeToRight : Action::ModeToLeft;
        step.text = base.text;
        step.source = fromPath;
        step.target = toPath;
        plan.push_back(std::move(step));
    }
    const QString fromName = LastName(from.text);
    const QString toName = LastName(to.text);
    if (keeps.spellings && fromName != toName && fromName.compare(toName, Qt::CaseInsensitive) == 0) {
        SyncStep step = base;
        step.action = fromLeft ? Action::RenameRight : Action::RenameLeft;
        step.source = toPath;
        QString parent = toPath;
        while (parent.endsWith(QLatin1Char('/')))
            parent.chop(1);
        parent.truncate(parent.lastIndexOf(QLatin1Char('/')) + 1);
        step.target = parent + fromName;
        renames.push_back(std::move(step));
    }
}

// Renames deepest first, so that the paths of the ones after stay valid.
void AppendRenames(std::vector<SyncStep>& plan, std::vector<SyncStep>& renames)
{
    std::stable_sort(renames.begin(), renames.end(), [](const SyncStep& a, const SyncStep& b) {
        return a.source.count(QLatin1Char('/')) > b.source.count(QLatin1Char('/'));
    });
    for (SyncStep& step : renames)
        plan.push_back(std::move(step));
    renames.clear();
}

bool Exists(const QString& path)
{
    struct stat st {};
    return LinkStat(path, st);
}

// The names of the real folders (no links) in folder, as the reversible text of their bytes.
QStringList RealFolderNames(const QString& folder)
{
    QStringList names;
    const FolderListing listing(folder);
    FolderListing::Details details;
    for (qsizetype i = 0; i < listing.Count(); ++i) {
        const FolderListing::Type type = listing.TypeOf(i);
        if (type == FolderListing::Type::Folder
            || (type == FolderListing::Type::Unknown && listing.Stat(i, details, nullptr) && !details.link
                && details.type == FolderListing::Type::Folder))
            names << listing.Name(i);
    }
    return names;
}

bool IsRealFolder(const QString& path)
{
    struct stat st {};
    return LinkStat(path, st) && S_ISDIR(st.st_mode);
}

// What "follow the deletion" makes of a row of side left: Delete for one the other side deleted (or moved
// away) since the last synchronization, Leave for a pair in conflict, otherwise the category's rule.
int32_t EffectiveAction(const SyncInput& in, const ResultRow& row, bool left)
{
    if (in.followDeletions) {
        if (row.note == RowNote::Conflict)
            return CSyncSettings::Leave;
        if (row.note == (left ? RowNote::DeletedOnRight : RowNote::DeletedOnLeft) || row.note == RowNote::MovedTo)
            return CSyncSettings::Delete;
    }
    const int rule = RuleCategoryOf(int(row.icon));
    if (rule < 0) {
        if (row.icon != Category::OrphanFolder)
            return CSyncSettings::Leave;
        return in.rules[size_t(CSyncSettings::RuleIndex(left ? CSyncSettings::Left : CSyncSettings::Right, CSyncSettings::Orphan))];
    }
    return in.rules[size_t(CSyncSettings::RuleIndex(left ? CSyncSettings::Left : CSyncSettings::Right,
                                                    CSyncSettings::Category(rule)))];
}

bool CarriesDeletion(const SyncInput& in, const ResultRow& row, bool left)
{
    return in.followDeletions
           && (row.note == (left ? RowNote::DeletedOnRight : RowNote::DeletedOnLeft) || row.note == RowNote::MovedTo);
}

void AddSubFolderSteps(std::vector<SyncStep>& plan, std::vector<SyncStep>& renames, const SyncInput& in,
                       const CSubFolderDiffs& diffs, QStringList* conflicts)
{
    SubFolderTargets folders;
    const QString leftName = diffs.strSubFolderName();
    const QString rightName = diffs.TargetSubFolderName();
    const QString leftBase = WithSlash(in.leftFolder) + leftName + QLatin1Char('/');
    const QString rightBase = WithSlash(in.rightFolder) + rightName + QLatin1Char('/');
    const auto& one = diffs.DiffOne();
    const auto& two = diffs.DiffTwo();
    const auto newStep = [&](size_t i, const ResultRow& row, bool leftSide) {
        SyncStep step;
        step.inSubFolder = true;
        step.entry = int(i);
        step.category = row.icon;
        step.text = (leftSide ? leftName : rightName) + QLatin1Char('/') + row.text;
        step.source = (leftSide ? leftBase : rightBase) + row.text;
        step.note = row.note;
        step.noteName = row.noteName;
        step.rowSize = row.sizeText.isEmpty() ? 0 : row.size;
        step.leftBase = leftBase;
        step.rightBase = rightBase;
        MarkMirror(step, in);
        return step;
    };
    // The folders a carried deletion empties, which the other side no longer has either: they go too, once
    // their files are gone (only when every object of them here goes; deepest first, as folder deletes run).
    const auto AddEmptiedFolders = [&](bool leftSide, const ResultList& mine, std::vector<SyncStep>& folderDeletes) {
        std::unordered_map<QString, std::pair<int, int>> under; // folder -> (objects here, objects that go)
        std::unordered_set<QString> listed;
        for (const ResultRow& row : mine) {
            if (row.IsPlaceholder())
                continue;
            QString path = row.text;
            if (path.endsWith(QLatin1Char('/'))) {
                path.chop(1);
                listed.insert(path);
            }
            const bool goes = CarriesDeletion(in, row, leftSide);
            for (qsizetype slash = path.lastIndexOf(QLatin1Char('/')); slash > 0; slash = path.lastIndexOf(QLatin1Char('/'), slash - 1)) {
                auto& counts = under[path.left(slash)];
                ++counts.first;
                counts.second += goes ? 1 : 0;
            }
        }
        std::vector<QString> emptied;
        for (const auto& [folder, counts] : under)
            if (counts.second > 0 && counts.first == counts.second && listed.count(folder) == 0
                && !Exists((leftSide ? rightBase : leftBase) + folder))
                emptied.push_back(folder);
        std::sort(emptied.begin(), emptied.end());
        for (const QString& folder : emptied) {
            SyncStep step;
            step.inSubFolder = true;
            step.category = Category::Orphan;
            step.action = leftSide ? Action::DeleteLeft : Action::DeleteRight;
            step.text = (leftSide ? leftName : rightName) + QLatin1Char('/') + folder + QLatin1Char('/');
            step.source = (leftSide ? leftBase : rightBase) + folder + QLatin1Char('/');
            step.leftBase = leftBase;
            step.rightBase = rightBase;
            MarkMirror(step, in);
            if (!KeepsExcluded(in, step.source))
                folderDeletes.push_back(std::move(step));
        }
    };
    if (in.followDeletions && conflicts != nullptr)
        for (size_t i = 0; i < one.size(); ++i)
            if (one[i].note == RowNote::Conflict)
                conflicts->push_back(leftName + QLatin1Char('/') + one[i].text);
    const auto pass = [&](bool leftSide, int32_t wanted) {
        const auto& mine = leftSide ? one : two;
        const auto& other = leftSide ? two : one;
        std::vector<SyncStep> folderDeletes;
        for (size_t i = 0; i < mine.size(); ++i) {
            const ResultRow& row = mine[i];
            if (row.IsPlaceholder() || EffectiveAction(in, row, leftSide) != wanted)
                continue;
            SyncStep step = newStep(i, row, leftSide);
            if (wanted == CSyncSettings::Delete) {
                step.action = leftSide ? Action::DeleteLeft : Action::DeleteRight;
                step.followsDeletion = CarriesDeletion(in, row, leftSide);
                if (step.IsFolderEntry()) {
                    // After the files, deepest first; one that keeps objects the filters left out stays.
                    if (!KeepsExcluded(in, step.source))
                        folderDeletes.push_back(std::move(step));
                    continue;
                }
            } else {
                step.action = leftSide ? Action::CopyToRight : Action::CopyToLeft;
                const bool paired = i < other.size() && !other[i].IsPlaceholder();
                step.target = paired ? (leftSide ? rightBase : leftBase) + other[i].text
                                     : folders.Target(leftSide ? leftBase : rightBase, leftSide ? rightBase : leftBase,
                                                      row.text);
                step.bytes = row.sizeText.isEmpty() ? 0 : row.size;
                step.replaced = paired && !other[i].sizeText.isEmpty() ? other[i].size : 0;
            }
            plan.push_back(std::move(step));
        }
        if (wanted == CSyncSettings::Delete && in.followDeletions)
            AddEmptiedFolders(leftSide, mine, folderDeletes);
        // Deepest first: a folder is only removed once what was in it is gone.
        std::stable_sort(folderDeletes.begin(), folderDeletes.end(), [](const SyncStep& a, const SyncStep& b) {
            return a.source.count(QLatin1Char('/')) > b.source.count(QLatin1Char('/'));
        });
        for (SyncStep& step : folderDeletes)
            plan.push_back(std::move(step));
    };
    // Nothing is deleted because of what was never seen.
    if (!diffs.Incomplete()) {
        pass(true, CSyncSettings::Delete);
        pass(false, CSyncSettings::Delete);
    }
    pass(true, CSyncSettings::Copy);
    pass(false, CSyncSettings::Copy);

    const int mirror = MirrorSource(in.rules);
    if (mirror < 0)
        return;
    const bool fromLeft = mirror == CSyncSettings::Left;
    const MirrorTarget keeps = MirrorTargetOf(fromLeft ? in.rightFolder : in.leftFolder);
    for (size_t i = 0; i < one.size() && i < two.size(); ++i) {
        const ResultRow& from = fromLeft ? one[i] : two[i];
        const ResultRow& to = fromLeft ? two[i] : one[i];
        if (from.IsPlaceholder())
            continue;
        const SyncStep base = newStep(i, from, fromLeft);
        AddMirrorSteps(plan, renames, base, from, to, (fromLeft ? leftBase : rightBase) + from.text,
                       (fromLeft ? rightBase : leftBase) + to.text, fromLeft, keeps);
    }
}

FileOps::Result Failed(int error, const QString& path, const QString& text = {})
{
    FileOps::Result r;
    r.error = error;
    r.number = Failure::NumberForErrno(error, true);
    r.errorText = text.isEmpty() ? QString::fromLocal8Bit(std::strerror(error)) : text;
    r.failedPath = path;
    return r;
}

// Whether the object is still what the comparison saw: a folder row a folder, a file row no folder.
// A row is only deleted for what it was seen to be.
bool StillAsSeen(const SyncStep& step)
{
    struct stat st {};
    if (!LinkStat(step.source, st))
        return true; // gone, or not to be looked at: the operation itself says so
    const bool folderRow = step.inSubFolder ? step.IsFolderEntry() : step.text.startsWith(QLatin1Char('/'));
    return S_ISDIR(st.st_mode) == folderRow;
}

// An object a call left as it was is a step not done: the run says so and goes on.
FileOps::Result NotAllDone(const FileOps::Result& result)
{
    if (!result.ok() || result.skipped.isEmpty())
        return result;
    const FileOps::Skipped& first = result.skipped.front();
    FileOps::Result failed;
    switch (first.reason) {
    case FileOps::Skipped::Reason::SpecialFile:
        failed = Failed(EPERM, first.path, QStringLiteral("this special file cannot be made there, so it was left as it was"));
        break;
    case FileOps::Skipped::Reason::NameTaken:
        failed = Failed(EEXIST, first.path,
                        QStringLiteral("the target folder ignores case and another name of this run already took that "
                                       "name, so it was left as it was"));
        break;
    case FileOps::Skipped::Reason::ChangedDuringMove:
        failed = Failed(ESTALE, first.path, QStringLiteral("it changed while it was copied, so it was left as it was"));
        break;
    }
    failed.skipped = result.skipped;
    failed.completed = result.completed;
    return failed;
}

// The folders a step's target lies in, below its base, paired with the source's (the deepest first).
// made: only the ones that do not exist yet.
void FolderChain(const SyncStep& step, bool made, std::vector<std::pair<QString, QString>>& chain)
{
    const bool fromLeft = step.action == Action::CopyToRight || step.action == Action::ModeToRight;
    const QString& fromBase = fromLeft ? step.leftBase : step.rightBase;
    QString toBase = fromLeft ? step.rightBase : step.leftBase;
    if (!step.source.startsWith(fromBase) || !step.target.startsWith(toBase))
        return;
    QStringList from = step.source.mid(fromBase.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList to = step.target.mid(toBase.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const bool mirror = step.mirrorFromLeft || step.mirrorFromRight;
    if (mirror && !made) {
        // Set at the end of a mirror, after its renames: the target has the source's spelling by then.
        to = from;
        if (step.inSubFolder) {
            QString parent = toBase;
            parent.chop(1);
            parent.truncate(parent.lastIndexOf(QLatin1Char('/')) + 1);
            toBase = parent + LastName(fromBase) + QLatin1Char('/');
        }
    }
    // A folder entry is itself one of the folders.
    if (!step.IsFolderEntry()) {
        if (!from.isEmpty())
            from.removeLast();
        if (!to.isEmpty())
            to.removeLast();
    }
    while (!from.isEmpty() && !to.isEmpty()) {
        const QString source = fromBase + from.join(QLatin1Char('/'));
        const QString target = toBase + to.join(QLatin1Char('/'));
        if (made && IsRealFolder(target))
            break;
        chain.emplace_back(source, target);
        from.removeLast();
        to.removeLast();
    }
    if (step.inSubFolder && !made) {
        // The differing sub-folder itself.
        QString source = fromBase;
        QString target = toBase;
        source.chop(1);
        target.chop(1);
        chain.emplace_back(source, target);
    }
}

// Errors of a trash that will not take an object (none on its file system, not writable, full), as opposed
// to errors of the object itself.
bool TrashRefused(int error)
{
    return error == EXDEV || error == EACCES || error == EPERM || error == ENOSPC || error == EDQUOT || error == EMLINK;
}

QString ParentOf(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.left(qMax(1, int(p.lastIndexOf(QLatin1Char('/')))));
}

// The journal's side of a run: every object a call creates or displaces goes into the journal under the
// step being carried out.
class JournalKeeper final : public FileOps::Keeper
{
public:
    explicit JournalKeeper(SyncJournal& journal) : m_journal(journal) {}

    void SetOperation(qint64 op) { m_op = op; }
    void Displaced(const QString& path, const FileOps::Identity& was, const FileOps::TrashPlace& place, int error) override
    {
        // Where the old object went is on disk before the call goes on to replace it.
        if (m_op != 0) {
            m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Displaced, path, was, place, error});
            m_journal.Flush();
        }
    }
    void Created(const QString& path, const FileOps::Identity& made) override
    {
        // And what took its place, before anything can be seen of the new object: an undo after a kill
        // tells it from an object someone else put there since.
        if (m_op != 0) {
            m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Created, path, made, {}, 0});
            m_journal.Flush();
        }
    }
    bool Replacing(const QString& path, const FileOps::Identity& was, const FileOps::TrashPlace& place,
                   const FileOps::Identity& coming) override
    {
        if (m_op == 0)
            return false;
        m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Displaced, path, was, place, 0});
        m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Created, path, coming, {}, 0});
        return m_journal.Flush();
    }
    // Files about to take free names (in a folder the step made, or one copied ahead): one write for all of
    // them, with the step's intent, before the first takes its name, so an undo after a kill knows each one
    // that got there.
    bool CreatingAhead(const std::vector<Coming>& objects) override
    {
        if (m_op == 0)
            return false;
        for (const Coming& object : objects)
            m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Created, object.path, object.made, {}, 0});
        return m_journal.Flush();
    }
    // The step is about to change something it tells of afterwards: its intent and what its folders were go
    // out first.
    void Changing() override { m_journal.Flush(); }
    // What an object was before the step changes its mode, times or name.
    void Before(const QString& path)
    {
        FileOps::Identity was;
        if (m_op != 0 && FileOps::IdentityOf(path, was))
            m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Before, path, was, {}, 0});
    }
    // The mode and times of a folder before the run first changes anything in it (once per folder). Answers
    // whether that was recorded now.
    bool FolderBefore(const QString& folder)
    {
        QString path = folder;
        while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        // A folder the step is about to make: the first one above it that is there changes instead.
        while (m_seen.insert(path).second) {
            FileOps::Identity was;
            if (FileOps::IdentityOf(path, was)) {
                if (m_op == 0)
                    return false;
                m_journal.AddObject(m_op, {SyncJournal::ObjectRole::Before, path, was, {}, 0});
                return true;
            }
            const QString up = ParentOf(path);
            if (up == path)
                return false;
            path = up;
        }
        return false;
    }

private:
    SyncJournal& m_journal;
    qint64 m_op = 0;
    std::unordered_set<QString> m_seen;
};

SyncJournal::OpKind KindOf(const SyncStep& step)
{
    switch (step.action) {
    case Action::DeleteLeft:
    case Action::DeleteRight: return SyncJournal::OpKind::Delete;
    case Action::ModeToLeft:
    case Action::ModeToRight: return SyncJournal::OpKind::Mode;
    case Action::RenameLeft:
    case Action::RenameRight: return SyncJournal::OpKind::Rename;
    case Action::MoveLeft:
    case Action::MoveRight: return SyncJournal::OpKind::Move;
    case Action::CopyToLeft:
    case Action::CopyToRight: break;
    }
    return step.IsFolderEntry() ? SyncJournal::OpKind::MakeFolder : SyncJournal::OpKind::Copy;
}

// What CarryOutSync keeps for the folders it sets at the end.
struct FolderFixes
{
    std::vector<std::pair<QString, QString>> pairs; // source folder, target folder
    std::unordered_set<QString> seen;

    void Add(const std::vector<std::pair<QString, QString>>& chain)
    {
        for (const auto& pair : chain)
            if (seen.insert(pair.second).second)
                pairs.push_back(pair);
    }
};

FileOps::Result Carry(const SyncStep& step, const FileOps::Control& control, QString& lastMadeFolder,
                      FolderFixes& fixes)
{
    const bool mirror = step.mirrorFromLeft || step.mirrorFromRight;
    if (step.IsDelete()) {
        if (mirror) {
            // The folder it leaves takes its source's time again once the run is over.
            SyncStep up = step;
            const bool left = step.action == Action::DeleteLeft;
            up.action = left ? Action::CopyToLeft : Action::CopyToRight;
            up.target = step.source;
            up.source = (left ? step.rightBase : step.leftBase) + step.source.mid((left ? step.leftBase : step.rightBase).size());
            std::vector<std::pair<QString, QString>> chain;
            FolderChain(up, false, chain);
            fixes.Add(chain);
        }
        if (!StillAsSeen(step))
            return Failed(ESTALE, step.source, QStringLiteral("it changed since the comparison, so it was kept"));
        if (step.IsFolderEntry())
            return FileOps::RemoveFolder(step.source, control);
        // A deletion carried from the other side goes to the trash, or nowhere: never deleted for good.
        if (step.followsDeletion)
            return FileOps::MoveToTrash({step.source}, control);
        if (step.inSubFolder && control.keeper != nullptr) {
            // Kept where a trash takes it; where none does, deleted as the method asks, and recorded so.
            FileOps::Result trashed = FileOps::MoveToTrash({step.source}, control);
            if (!trashed.aborted && TrashRefused(trashed.error)) {
                FileOps::Identity was;
                FileOps::IdentityOf(step.source, was);
                control.keeper->Displaced(step.source, was, {}, trashed.error);
                return FileOps::DeletePermanently({step.source}, control);
            }
            return trashed;
        }
        if (step.inSubFolder)
            return FileOps::DeletePermanently({step.source}, control);
        if (step.keepExcluded) // only what the filters let through goes; the folder keeps the rest, and so stays
            return step.deletable.isEmpty() ? FileOps::Result() : FileOps::MoveToTrash(step.deletable, control);
        return FileOps::MoveToTrash({step.source}, control);
    }
    if (step.action == Action::ModeToRight || step.action == Action::ModeToLeft)
        return FileOps::CopyAttributes(step.source, step.target, control);
    if (step.action == Action::RenameLeft || step.action == Action::RenameRight)
        return FileOps::Rename(step.source, LastName(step.target), control);
    if (step.IsMove()) {
        if (mirror) {
            // Both folders the move changes take their source's times again once the run is over.
            const bool toLeft = step.action == Action::MoveLeft;
            SyncStep up = step;
            up.action = toLeft ? Action::CopyToLeft : Action::CopyToRight;
            up.source = step.movedFrom;
            std::vector<std::pair<QString, QString>> chain;
            FolderChain(up, false, chain);
            up.target = step.source;
            up.source = (toLeft ? step.rightBase : step.leftBase) + step.source.mid((toLeft ? step.leftBase : step.rightBase).size());
            FolderChain(up, false, chain);
            // A folder moved whole: it and every folder in it take their source's mode and times.
            if (IsRealFolder(step.movedFrom)) {
                chain.emplace_back(Path::WithoutSlash(step.movedFrom), Path::WithoutSlash(step.target));
                const SideWalk inside = WalkSide(step.movedFrom);
                for (const auto& [path, state] : inside.objects)
                    if (state.kind == MemoryState::Kind::Folder)
                        chain.emplace_back(Path::WithSlash(step.movedFrom) + path, Path::WithSlash(step.target) + path);
            }
            fixes.Add(chain);
        }
        if (!StillAsSeen(step))
            return Failed(ESTALE, step.source, QStringLiteral("it changed since the comparison, so it was not moved"));
        if (Exists(step.target))
            return Failed(EEXIST, step.target,
                          QStringLiteral("another object took that name since the comparison, so nothing was moved"));
        return FileOps::MoveAs(step.source, step.target, control);
    }

    // A copy. The folders it needs are made first; those it makes (a mirror: all it writes into) get their
    // source's mode and times at the end.
    std::vector<std::pair<QString, QString>> chain;
    FolderChain(step, !mirror, chain);
    fixes.Add(chain);
    if (step.IsFolderEntry()) {
        QString folder = step.target;
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        lastMadeFolder.clear();
        return IsRealFolder(folder) ? FileOps::Result() : FileOps::MakeFolders(folder, control);
    }
    const QString targetFolder = Path(step.target).ParentPath().Text();
    if (step.inSubFolder && targetFolder != lastMadeFolder) {
        // A file of a sub-folder below folders the other side lacks: those are made first.
        if (!IsRealFolder(targetFolder))
            if (FileOps::Result made = FileOps::MakeFolders(targetFolder, control); !made.ok())
                return made;
        lastMadeFolder = targetFolder;
    }
    return NotAllDone(FileOps::CopyAs(step.source, step.target, control));
}

// "Follow the deletion" on the rows of the two lists: a row the other side deleted (or moved away) since
// the last synchronization is deleted instead of copied back, and a pair in conflict is left alone.
void FollowDeletions(const SyncInput& in, SyncLists& lists, QStringList* conflicts)
{
    RowIndexes selected = in.selectedOnly != nullptr ? *in.selectedOnly : RowIndexes{};
    std::sort(selected.begin(), selected.end());
    const auto chosen = [&](int i) {
        return in.selectedOnly == nullptr || std::binary_search(selected.begin(), selected.end(), i);
    };
    const auto drop = [](RowIndexes& rows, const ResultList& list, const auto& unwanted) {
        rows.erase(std::remove_if(rows.begin(), rows.end(), [&](int i) { return unwanted(list[size_t(i)]); }), rows.end());
    };
    for (const bool left : {true, false}) {
        const ResultList& mine = left ? in.left : in.right;
        RowIndexes& copies = left ? lists.copyLeftToRight : lists.copyRightToLeft;
        RowIndexes& deletes = left ? lists.deleteFromLeft : lists.deleteFromRight;
        drop(copies, mine, [&](const ResultRow& row) { return row.note == RowNote::Conflict || CarriesDeletion(in, row, left); });
        drop(deletes, mine, [](const ResultRow& row) { return row.note == RowNote::Conflict; });
        for (size_t i = 0; i < mine.size(); ++i)
            if (IsRealRow(mine[i]) && CarriesDeletion(in, mine[i], left) && chosen(int(i)))
                deletes.push_back(int(i));
        std::sort(deletes.begin(), deletes.end());
        deletes.erase(std::unique(deletes.begin(), deletes.end()), deletes.end());
    }
    if (conflicts != nullptr)
        for (size_t i = 0; i < in.left.size(); ++i)
            if (in.left[i].note == RowNote::Conflict && chosen(int(i)))
                conflicts->push_back(in.left[i].text);
}

// The path a step's object has below the compared folders, without a folder's slashes.
QString RelativeOf(const SyncStep& step)
{
    QString text = step.text;
    while (text.startsWith(QLatin1Char('/')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

// A copy of an object to a name the other side lacks, and the deletion there of the same object under
// another name: one rename on that side instead, where both names are on one file system. The same object
// is the one the memory saw move (its inode on the side that moved it), or, without memory, one of equal
// kind, size and time whose contents are equal too.
void MergeMoves(std::vector<SyncStep>& plan)
{
    const auto candidate = [](const SyncStep& step) {
        return !step.IsFolderEntry() && (step.category == Category::Orphan || step.category == Category::OrphanFolder);
    };
    // The deletions on each side that a move may stand in for, found by their relative path (what the
    // memory saw move) and by what they are (kind, size, time): each looked at once.
    struct Deletion
    {
        size_t index;
        struct stat st;
    };
    std::vector<Deletion> deletions[2];
    std::unordered_map<QString, size_t> byPath[2];
    std::unordered_multimap<QString, size_t> byLook[2];
    // A folder by all it holds (the row's size), anything else by its own size and time.
    const auto look = [](const SyncStep& step, const struct stat& st) {
        const bool folder = S_ISDIR(st.st_mode);
        return QString::number(st.st_mode & S_IFMT) + QLatin1Char(':')
               + (folder ? QString::number(step.rowSize)
                         : QString::number(st.st_size) + QLatin1Char(':') + QString::number(st.st_mtim.tv_sec)
                               + QLatin1Char('.') + QString::number(st.st_mtim.tv_nsec));
    };
    for (size_t i = 0; i < plan.size(); ++i) {
        if (!plan[i].IsDelete() || !candidate(plan[i]) || plan[i].keepExcluded)
            continue;
        Deletion d{i, {}};
        if (!LinkStat(plan[i].source, d.st))
            continue;
        const int side = plan[i].action == Action::DeleteLeft ? 0 : 1;
        byPath[side].emplace(RelativeOf(plan[i]), deletions[side].size());
        byLook[side].emplace(look(plan[i], d.st), deletions[side].size());
        deletions[side].push_back(d);
    }
    if (deletions[0].empty() && deletions[1].empty())
        return;
    std::vector<bool> gone(plan.size(), false);
    std::vector<SyncStep> moves;
    for (size_t c = 0; c < plan.size(); ++c) {
        const SyncStep& copy = plan[c];
        if (!copy.IsCopy() || !candidate(copy) || copy.replaced != 0)
            continue;
        const int side = copy.action == Action::CopyToLeft ? 0 : 1; // the side the copy writes to
        struct stat from {};
        if (deletions[side].empty() || !LinkStat(copy.source, from))
            continue;
        // The deletion the memory names first, then those that look alike.
        std::vector<size_t> tries;
        const bool remembered = copy.note == RowNote::MovedFrom;
        if (remembered)
            if (const auto it = byPath[side].find(copy.noteName); it != byPath[side].end())
                tries.push_back(it->second);
        const auto [first, last] = byLook[side].equal_range(look(copy, from));
        for (auto it = first; it != last; ++it)
            tries.push_back(it->second);
        for (const size_t k : tries) {
            const Deletion& d = deletions[side][k];
            if (gone[d.index])
                continue;
            const SyncStep& del = plan[d.index];
            if ((d.st.st_mode & S_IFMT) != (from.st_mode & S_IFMT))
                continue;
            const bool byMemory = remembered && copy.noteName == RelativeOf(del);
            if (!SameObjects(copy.source, del.source, !byMemory))
                continue;
            // Both names on one file system, the new one free and its folder there.
            struct stat parent {};
            if (!LinkStat(ParentOf(copy.target), parent) || !S_ISDIR(parent.st_mode) || parent.st_dev != d.st.st_dev
                || Exists(copy.target))
                continue;
            SyncStep move = copy;
            move.action = side == 0 ? Action::MoveLeft : Action::MoveRight;
            move.source = del.source;
            move.text = del.text;
            move.movedTo = copy.text;
            move.movedFrom = copy.source;
            move.bytes = 0;
            move.replaced = 0;
            moves.push_back(std::move(move));
            gone[c] = gone[d.index] = true;
            break;
        }
    }
    if (moves.empty())
        return;
    std::vector<SyncStep> rest;
    rest.reserve(plan.size() - moves.size());
    // Moves first: they only rename what the plan would have deleted, to names nothing else takes.
    for (SyncStep& move : moves)
        rest.push_back(std::move(move));
    for (size_t i = 0; i < plan.size(); ++i)
        if (!gone[i])
            rest.push_back(std::move(plan[i]));
    plan.swap(rest);
}

} // namespace

QString SubFolderTargets::Target(const QString& fromBase, const QString& toBase, const QString& relative)
{
    const QStringList parts = relative.split(QLatin1Char('/'));
    QString from = fromBase;
    QString to = toBase;
    bool there = true; // the other side has the folder so far
    for (int i = 0; i + 1 < parts.size(); ++i) {
        QString part = parts[i];
        if (there && !Exists(to + part)) {
            // This side's own spellings of the folder: with two (Docs and docs), each keeps its own, or
            // both would land in one folder of the other side.
            int mine = 0;
            for (const QString& name : Folders(from))
                if (name.compare(part, Qt::CaseInsensitive) == 0)
                    ++mine;
            QString found;
            int variants = 0;
            for (const QString& name : Folders(to))
                if (name.compare(part, Qt::CaseInsensitive) == 0 && !Exists(from + name)) {
                    found = name;
                    ++variants;
                }
            if (variants == 1 && mine <= 1)
                part = found;
            else
                there = false;
        }
        there = there && IsRealFolder(to + part);
        from += parts[i] + QLatin1Char('/');
        to += part + QLatin1Char('/');
    }
    return to + parts.last();
}

const QStringList& SubFolderTargets::Folders(const QString& folder)
{
    auto it = m_listed.find(folder);
    if (it == m_listed.end())
        it = m_listed.emplace(folder, RealFolderNames(folder)).first;
    return it->second;
}

QString ActionWord(Action action)
{
    switch (action) {
    case Action::DeleteLeft: return QStringLiteral("delete-left");
    case Action::DeleteRight: return QStringLiteral("delete-right");
    case Action::CopyToRight: return QStringLiteral("copy-to-right");
    case Action::ModeToRight: return QStringLiteral("mode-to-right");
    case Action::ModeToLeft: return QStringLiteral("mode-to-left");
    case Action::RenameLeft: return QStringLiteral("rename-left");
    case Action::RenameRight: return QStringLiteral("rename-right");
    case Action::MoveLeft: return QStringLiteral("move-left");
    case Action::MoveRight: return QStringLiteral("move-right");
    case Action::CopyToLeft: break;
    }
    return QStringLiteral("copy-to-left");
}

int MirrorSource(const CSyncSettings::Rules& rules)
{
    using S = CSyncSettings;
    for (const S::Side side : {S::Left, S::Right}) {
        const S::Side other = side == S::Left ? S::Right : S::Left;
        if (rules[S::RuleIndex(side, S::New)] == S::Copy && rules[S::RuleIndex(side, S::Old)] == S::Copy
            && rules[S::RuleIndex(side, S::Binary)] == S::Copy && rules[S::RuleIndex(side, S::Orphan)] == S::Copy
            && rules[S::RuleIndex(other, S::Orphan)] == S::Delete)
            return side;
    }
    return -1;
}

std::vector<SyncStep> PlanSync(const SyncInput& in, QStringList* withheld, QStringList* conflicts)
{
    SyncLists lists = GetListOfFilesAffectedBySync(in.left, in.right, in.rules, in.selectedOnly);
    if (in.followDeletions)
        FollowDeletions(in, lists, conflicts);
    std::vector<SyncStep> plan;
    AddRowSteps(plan, in, lists.deleteFromLeft, Action::DeleteLeft);
    AddRowSteps(plan, in, lists.deleteFromRight, Action::DeleteRight);
    AddRowSteps(plan, in, lists.copyLeftToRight, Action::CopyToRight);
    AddRowSteps(plan, in, lists.copyRightToLeft, Action::CopyToLeft);
    std::vector<SyncStep> renames;
    std::vector<SyncStep> rowRenames;
    if (const int mirror = MirrorSource(in.rules); mirror >= 0) {
        const bool fromLeft = mirror == CSyncSettings::Left;
        const MirrorTarget keeps = MirrorTargetOf(fromLeft ? in.rightFolder : in.leftFolder);
        const ResultList& from = fromLeft ? in.left : in.right;
        const ResultList& to = fromLeft ? in.right : in.left;
        RowIndexes chosenRows = in.selectedOnly != nullptr ? *in.selectedOnly : RowIndexes{};
        std::sort(chosenRows.begin(), chosenRows.end());
        for (size_t i = 0; i < from.size() && i < to.size(); ++i) {
            if (in.selectedOnly != nullptr && !std::binary_search(chosenRows.begin(), chosenRows.end(), int(i)))
                continue;
            if (!IsRealRow(from[i]) || !IsRealRow(to[i]))
                continue;
            SyncStep base{Action::CopyToRight, from[i].text, QString(), QString(), from[i].icon, false};
            base.leftBase = WithSlash(in.leftFolder);
            base.rightBase = WithSlash(in.rightFolder);
            MarkMirror(base, in);
            AddMirrorSteps(plan, rowRenames, base, from[i], to[i], RowObjectPath(fromLeft ? in.leftFolder : in.rightFolder, from[i]),
                           RowObjectPath(fromLeft ? in.rightFolder : in.leftFolder, to[i]), fromLeft, keeps);
        }
    }

    std::unordered_set<QString> chosen;
    if (in.selectedOnly != nullptr)
        for (const int i : *in.selectedOnly)
            if (i >= 0 && size_t(i) < in.left.size() && in.left[size_t(i)].IsFolder())
                chosen.insert(in.left[size_t(i)].text.mid(1));
    for (const CSubFolderDiffs& diffs : in.subFolders) {
        if (in.selectedOnly != nullptr && chosen.count(diffs.strSubFolderName()) == 0)
            continue;
        AddSubFolderSteps(plan, renames, in, diffs, conflicts);
        if (diffs.Incomplete() && withheld != nullptr)
            withheld->push_back(diffs.strSubFolderName());
    }
    MergeMoves(plan);
    // The sub-folders' renames first: a rename of a compared sub-folder itself would move their paths.
    AppendRenames(plan, renames);
    AppendRenames(plan, rowRenames);
    return plan;
}

SyncReport CarryOutSync(const std::vector<SyncStep>& plan, const FileOps::Control& control,
                        const SyncStepObserver& observer, const SyncRecording& recording)
{
    SyncReport report;
    QString lastMadeFolder;
    FileOps::RunMemory memory;
    FileOps::Control confined = control;
    confined.memory = &memory;
    SyncJournal* journal = recording.journal != nullptr && recording.journal->IsOpen() && recording.run != 0
                               ? recording.journal : nullptr;
    std::optional<JournalKeeper> keeper;
    if (journal != nullptr)
        keeper.emplace(*journal);
    // The records of a step are held and go out together at the points where they must be on disk: the
    // intent (with what the folders were, and the end of the step before) just before the step touches
    // anything, a displaced object before its name is given to the new one, a created one at once.
    struct HeldWrites
    {
        SyncJournal* journal;
        explicit HeldWrites(SyncJournal* j) : journal(j)
        {
            if (journal != nullptr)
                journal->HoldWrites(true);
        }
        ~HeldWrites()
        {
            if (journal != nullptr)
                journal->HoldWrites(false);
        }
        Q_DISABLE_COPY_MOVE(HeldWrites)
    } held(journal);
    if (keeper && recording.keep)
        confined.keeper = &*keeper;
    qint64 seq = 0;
    FolderFixes fixes;
    // Below the compared folders nothing is reached through a link. A mirror gives the compared target
    // folder the source's mode and times too.
    std::pair<QString, QString> top;
    bool mirror = false;
    for (const SyncStep& step : plan) {
        if (step.leftBase.isEmpty() || step.rightBase.isEmpty())
            continue;
        const auto compared = [&](const QString& base) {
            QString folder = base;
            folder.chop(1);
            if (step.inSubFolder)
                folder.truncate(folder.lastIndexOf(QLatin1Char('/')) + 1);
            return folder;
        };
        if (top.first.isEmpty())
            top = {compared(step.leftBase), compared(step.rightBase)};
        mirror = mirror || step.mirrorFromLeft || step.mirrorFromRight;
        if (step.mirrorFromRight)
            std::swap(top.first, top.second);
        break;
    }
    if (!top.first.isEmpty() && confined.roots.isEmpty())
        confined.roots = QStringList{top.first, top.second};
    // The small files the next steps copy are copied into temporary files in their target folders on a
    // second thread while this one carries out the steps before them; each step then only puts its file in
    // place (see RunMemory::PrepareCopy). A temporary file may change its folder's time (where it needs a
    // hidden name), so what the folder was is recorded before the file is begun.
    constexpr size_t StepsAhead = 8;
    size_t handedOut = 0; // the steps up to here were looked at for copying ahead
    std::vector<size_t> ahead;
    // Whether the step before was a file copied or deleted (see below).
    bool afterFileStep = false;
    for (size_t index = 0; index < plan.size(); ++index) {
        const SyncStep& step = plan[index];
        if (control.cancel != nullptr && control.cancel->load()) {
            report.cancelled = true;
            break;
        }
        qint64 op = 0;
        if (journal != nullptr) {
            op = journal->BeginOperation(recording.run, ++seq, KindOf(step), step.source, step.target);
            keeper->SetOperation(op);
            if (recording.keep) {
                if (step.action == Action::ModeToLeft || step.action == Action::ModeToRight)
                    keeper->Before(step.target);
                else
                    keeper->FolderBefore(ParentOf(step.IsCopy() ? step.target : step.source));
                if (step.IsMove())
                    keeper->FolderBefore(ParentOf(step.target));
            }
        }
        ahead.clear();
        bool foldersRecorded = false;
        for (handedOut = std::max(handedOut, index + 1); handedOut < plan.size() && handedOut <= index + StepsAhead; ++handedOut) {
            const SyncStep& next = plan[handedOut];
            if (!next.IsCopy() || next.IsFolderEntry())
                continue;
            if (journal != nullptr && recording.keep && keeper->FolderBefore(ParentOf(next.target)))
                foldersRecorded = true;
            ahead.push_back(handedOut);
        }
        // A file copied or deleted whole, with what it replaces or deletes kept: FileOps has the keeper write
        // out what is held (this intent, what its folders were, the end of the step before) before it
        // changes anything, in the same write as the first object it tells of. Any other step's records go
        // out now, and so do they after a step whose end must be on disk before the next step begins (a
        // rename or a move, which an undo takes back only when it is recorded as done). What a copied-ahead
        // file's folder was is out before the file is begun there.
        const bool fileStep = !step.IsFolderEntry() && (step.IsDelete() || step.IsCopy());
        const bool callWrites = confined.keeper != nullptr && fileStep && afterFileStep;
        afterFileStep = fileStep;
        if (journal != nullptr && (!callWrites || foldersRecorded))
            journal->Flush();
        for (const size_t next : ahead)
            memory.PrepareCopy(plan[next].source, plan[next].target, confined);
        const FileOps::Result result = Carry(step, confined, lastMadeFolder, fixes);
        if (result.aborted) {
            if (journal != nullptr && op != 0)
                journal->EndOperation(op, false);
            report.cancelled = true;
            break;
        }
        if (result.ok()) {
            if (step.IsDelete() && !step.IsFolderEntry())
                ++report.deleted;
            else if (step.IsCopy() && !step.IsFolderEntry())
                ++(step.replaced > 0 || step.category == Category::Newer || step.category == Category::Older
                           || step.category == Category::Binary
                       ? report.replaced
                       : report.copied);
        }
        if (observer)
            observer(step, result);
        // The end of the step is held from here to the next step's start: nothing is held while the observer
        // lets events run (a window the user opens then must not keep the journal locked).
        if (journal != nullptr && op != 0)
            journal->EndOperation(op, result.ok());
        if (result.ok()) {
            ++report.done;
            continue;
        }
        ++report.failures;
        // A row the trash would not take is kept and reported, and an object a copy left as it was is
        // named; the run goes on. Any other failure of a row's copy ends the run.
        if (!step.inSubFolder && step.IsCopy() && result.skipped.isEmpty()) {
            report.stopped = true;
            break;
        }
    }
    if (report.cancelled)
        return report;
    memory.DropPrepared();
    // The folders written into, deepest first: their times only settle once nothing more is written there.
    std::stable_sort(fixes.pairs.begin(), fixes.pairs.end(), [](const auto& a, const auto& b) {
        return a.second.count(QLatin1Char('/')) > b.second.count(QLatin1Char('/'));
    });
    if (mirror && top.first.size() > 1 && top.second.size() > 1)
        fixes.pairs.emplace_back(Path::WithoutSlash(top.first), Path::WithoutSlash(top.second));
    qint64 fixOp = 0;
    if (journal != nullptr && recording.keep && !fixes.pairs.empty()) {
        // The folders' modes and times as they were, so that an undo gives them back.
        fixOp = journal->BeginOperation(recording.run, ++seq, SyncJournal::OpKind::FolderAttributes, QString(), QString());
        keeper->SetOperation(fixOp);
        for (const auto& pair : fixes.pairs)
            keeper->FolderBefore(pair.second);
    }
    if (journal != nullptr)
        journal->Flush();
    for (const auto& [source, target] : fixes.pairs)
        FileOps::CopyAttributes(source, target, confined);
    if (fixOp != 0)
        journal->EndOperation(fixOp, true);
    return report;
}

SyncBytes BytesOfPlan(const std::vector<SyncStep>& plan)
{
    SyncBytes need;
    for (const SyncStep& step : plan) {
        if (step.action == Action::CopyToRight)
            need.toRight += step.bytes - step.replaced;
        else if (step.action == Action::CopyToLeft)
            need.toLeft += step.bytes - step.replaced;
    }
    return need;
}

QString LowDiskSpaceText(const ParvexLib& lib, const SpaceCheck& check)
{
    const QString crLf = QStringLiteral("\r\n");
    return QStringLiteral("There may not be enough space available on drive ") + check.drive + QLatin1Char('.') + crLf + crLf
           + QStringLiteral("Space Required: ") + lib.ConvertBytesToCorrectByteTypeString(check.required) + crLf
           + QStringLiteral("Space Available: ") + lib.ConvertBytesToCorrectByteTypeString(check.available) + crLf + crLf
           + QStringLiteral("Press OK to continue with the synchronization, or Cancel to abort.");
}

QString LowDiskSpaceTitle() { return QStringLiteral("Low Disk Space"); }
