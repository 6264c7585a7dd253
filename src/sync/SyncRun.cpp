#include "sync/SyncRun.h"

#include "base/Failure.h"
#include "base/Path.h"
#include "model/FolderListing.h"
#include "platform/ParvexLib.h"
#include "platform/PathOpen.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
        if (action == Action::CopyToRight || action == Action::CopyToLeft) {
            const ResultRow* pair = size_t(i) < other.size() ? &other[size_t(i)] : nullptr;
            step.target = pair != nullptr && IsRealRow(*pair) ? RowObjectPath(otherFolder, *pair)
                                                              : WithSlash(otherFolder) + ObjectName(row);
            step.bytes = SizeOf(row);
            step.replaced = pair != nullptr ? SizeOf(*pair) : 0;
        }
        plan.push_back(std::move(step));
    }
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

void AddSubFolderSteps(std::vector<SyncStep>& plan, const SyncInput& in, const CSubFolderDiffs& diffs)
{
    SubFolderTargets folders;
    const QString leftName = diffs.strSubFolderName();
    const QString rightName = diffs.TargetSubFolderName();
    const QString leftBase = WithSlash(in.leftFolder) + leftName + QLatin1Char('/');
    const QString rightBase = WithSlash(in.rightFolder) + rightName + QLatin1Char('/');
    const auto& one = diffs.DiffOne();
    const auto& two = diffs.DiffTwo();
    const auto pass = [&](bool leftSide, int32_t wanted) {
        const auto& mine = leftSide ? one : two;
        const auto& other = leftSide ? two : one;
        for (size_t i = 0; i < mine.size(); ++i) {
            const ResultRow& row = mine[i];
            if (row.IsPlaceholder()
                || !RuleIs(in.rules, leftSide ? CSyncSettings::Left : CSyncSettings::Right, int(row.icon), wanted))
                continue;
            SyncStep step;
            step.inSubFolder = true;
            step.entry = int(i);
            step.category = row.icon;
            step.text = (leftSide ? leftName : rightName) + QLatin1Char('/') + row.text;
            step.source = (leftSide ? leftBase : rightBase) + row.text;
            if (wanted == CSyncSettings::Delete) {
                step.action = leftSide ? Action::DeleteLeft : Action::DeleteRight;
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
    };
    // Nothing is deleted because of what was never seen.
    if (!diffs.Incomplete()) {
        pass(true, CSyncSettings::Delete);
        pass(false, CSyncSettings::Delete);
    }
    pass(true, CSyncSettings::Copy);
    pass(false, CSyncSettings::Copy);
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
    const bool folderRow = !step.inSubFolder && step.text.startsWith(QLatin1Char('/'));
    return S_ISDIR(st.st_mode) == folderRow;
}

FileOps::Result Carry(const SyncStep& step, const FileOps::Control& control, QString& lastMadeFolder)
{
    if (step.IsDelete()) {
        if (!StillAsSeen(step))
            return Failed(ESTALE, step.source, QStringLiteral("it changed since the comparison, so it was kept"));
        return step.inSubFolder ? FileOps::DeletePermanently({step.source}, control)
                                : FileOps::MoveToTrash({step.source}, control);
    }
    const QString targetFolder = Path(step.target).ParentPath().Text();
    if (step.inSubFolder && targetFolder != lastMadeFolder) {
        // A file of a sub-folder below folders the other side lacks: those are made first.
        if (!IsRealFolder(targetFolder))
            if (FileOps::Result made = FileOps::MakeFolders(targetFolder, control); !made.ok())
                return made;
        lastMadeFolder = targetFolder;
    }
    return FileOps::CopyAs(step.source, step.target, control);
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
            QString found;
            int variants = 0;
            for (const QString& name : Folders(to))
                if (name.compare(part, Qt::CaseInsensitive) == 0 && !Exists(from + name)) {
                    found = name;
                    ++variants;
                }
            if (variants == 1)
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
    case Action::CopyToLeft: break;
    }
    return QStringLiteral("copy-to-left");
}

std::vector<SyncStep> PlanSync(const SyncInput& in, QStringList* withheld)
{
    const SyncLists lists = GetListOfFilesAffectedBySync(in.left, in.right, in.rules, in.selectedOnly);
    std::vector<SyncStep> plan;
    AddRowSteps(plan, in, lists.deleteFromLeft, Action::DeleteLeft);
    AddRowSteps(plan, in, lists.deleteFromRight, Action::DeleteRight);
    AddRowSteps(plan, in, lists.copyLeftToRight, Action::CopyToRight);
    AddRowSteps(plan, in, lists.copyRightToLeft, Action::CopyToLeft);

    std::unordered_set<QString> chosen;
    if (in.selectedOnly != nullptr)
        for (const int i : *in.selectedOnly)
            if (i >= 0 && size_t(i) < in.left.size() && in.left[size_t(i)].IsFolder())
                chosen.insert(in.left[size_t(i)].text.mid(1));
    for (const CSubFolderDiffs& diffs : in.subFolders) {
        if (in.selectedOnly != nullptr && chosen.count(diffs.strSubFolderName()) == 0)
            continue;
        AddSubFolderSteps(plan, in, diffs);
        if (diffs.Incomplete() && withheld != nullptr)
            withheld->push_back(diffs.strSubFolderName());
    }
    return plan;
}

SyncReport CarryOutSync(const std::vector<SyncStep>& plan, const FileOps::Control& control,
                        const SyncStepObserver& observer)
{
    SyncReport report;
    QString lastMadeFolder;
    for (const SyncStep& step : plan) {
        if (control.cancel != nullptr && control.cancel->load()) {
            report.cancelled = true;
            break;
        }
        const FileOps::Result result = Carry(step, control, lastMadeFolder);
        if (result.aborted) {
            report.cancelled = true;
            break;
        }
        if (observer)
            observer(step, result);
        if (result.ok()) {
            ++report.done;
            continue;
        }
        ++report.failures;
        // A row the trash would not take is kept and reported; the run goes on. Any other failure of a
        // row's operation ends the run.
        if (!step.inSubFolder && !step.IsDelete()) {
            report.stopped = true;
            break;
        }
    }
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
