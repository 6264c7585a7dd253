#include "sync/SyncPlan.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/UserDialogs.h"
#include "platform/DriveQueries.h"

#include <algorithm>
#include <unordered_set>

namespace {

using Rules = CSyncSettings::Rules;
using Side = CSyncSettings::Side;

int32_t ActionFor(const Rules& rules, Side side, int category)
{
    const int c = RuleCategoryOf(category);
    return c < 0 ? -1 : rules[CSyncSettings::RuleIndex(side, CSyncSettings::Category(c))];
}

RowIndexes Sorted(const RowIndexes* rows)
{
    RowIndexes sorted = rows == nullptr ? RowIndexes{} : *rows;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

// The rows of one pass: the categories whose action on side is action.
RowIndexes PassRows(const ResultList& list, Side side, int32_t action, const Rules& rules, const RowIndexes* selectedOnly)
{
    SyncCategoryFlags flags;
    const auto is = [&](CSyncSettings::Category c) { return rules[CSyncSettings::RuleIndex(side, c)] == action; };
    flags.newer = is(CSyncSettings::New);
    flags.older = is(CSyncSettings::Old);
    flags.orphan = is(CSyncSettings::Orphan);
    flags.binary = is(CSyncSettings::Binary);
    flags.orphanFolder = flags.orphan;
    if (!flags.Any())
        return {};
    return SelectFileTypesForSync(list, selectedOnly, flags);
}

// The sizes of the rows at positions of list; rows without a size text add nothing.
qint64 SizeOfRows(const ResultList& list, const RowIndexes& rows)
{
    qint64 total = 0;
    for (const int i : rows)
        if (i >= 0 && size_t(i) < list.size() && !list[size_t(i)].sizeText.isEmpty())
            total += list[size_t(i)].size;
    return total;
}

// Throws the failure of a receiving folder that cannot be reached: 76 when it is missing, 70 when it may
// not be looked at.
void RequireFolder(const DriveQueries& drives, const QString& folder)
{
    const int error = drives.FolderState(folder);
    if (error != 0)
        throw Failure::FromErrno(error, false);
}

// Runs a check and sorts its failures: permission denied passes, a folder that is not there is said with
// text and fails, anything else goes to the error handler and passes.
template <typename Check>
SpaceCheck Guarded(const PlanServices& services, const char* label, const QString& title, const QString& text,
                   Check&& check)
{
    try {
        return check();
    } catch (const Failure& failure) {
        if (failure.number() == Failure::PermissionDenied)
            return {};
        if (failure.number() == Failure::PathNotFound) {
            services.dialogs.Message(text, title, UserDialogs::Icon::Error);
            SpaceCheck answer;
            answer.enough = false;
            answer.reported = true;
            return answer;
        }
        services.errors.Report(failure, QString::fromLatin1(label));
    } catch (...) {
        services.errors.HandleUnexpectedError(QString::fromLatin1(label));
    }
    return {};
}

QString TargetDriveText() { return QStringLiteral("Problems accessing the target drive."); }

// Steps 2 and 3 of the copy checks: nothing to write passes at once, otherwise the drive of the receiving
// folder is asked.
SpaceCheck CheckRequired(const DriveQueries& drives, qint64 required, const QString& receivingFolder)
{
    SpaceCheck answer;
    answer.required = required;
    if (required < 1)
        return answer;
    RequireFolder(drives, receivingFolder);
    answer.drive = drives.DriveName(receivingFolder);
    answer.available = GetAvailableDriveSpace(drives, answer.drive);
    answer.enough = answer.available - required >= 0;
    return answer;
}

// The size on disk of the object name would meet in folder; 0 when there is none.
qint64 NamesakeSize(const DriveQueries& drives, const QString& folder, const QString& name)
{
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QString path = name.startsWith(QLatin1Char('/')) ? base + name : base + QLatin1Char('/') + name;
    const qint64 size = drives.ObjectSize(path);
    return size < 0 ? 0 : size;
}

} // namespace

int RuleCategoryOf(int category)
{
    switch (category) {
    case 1: return CSyncSettings::New;
    case 2: return CSyncSettings::Old;
    case 4: return CSyncSettings::Orphan;
    case 5: return CSyncSettings::Binary;
    default: return -1;
    }
}

bool RuleIs(const Rules& rules, Side side, int category, int32_t action)
{
    return RuleCategoryOf(category) >= 0 && ActionFor(rules, side, category) == action;
}

bool SyncCategoryFlags::Has(Category category) const
{
    switch (category) {
    case Category::Newer: return newer;
    case Category::Older: return older;
    case Category::Same: return same;
    case Category::Orphan: return orphan;
    case Category::Binary: return binary;
    case Category::IdenticalFolder: return identicalFolder;
    case Category::DifferentFolder: return differentFolder;
    case Category::OrphanFolder: return orphanFolder;
    case Category::None: break;
    }
    return false;
}

RowIndexes SelectFileTypesForSync(const ResultList& list, const RowIndexes* selectedOnly, SyncCategoryFlags flags)
{
    if (!flags.Any()) {
        flags = {};
        flags.newer = flags.older = flags.orphan = flags.binary = flags.orphanFolder = true;
    }
    RowIndexes rows;
    const auto consider = [&](int i) {
        const ResultRow& row = list[size_t(i)];
        if (!row.IsPlaceholder() && flags.Has(row.icon))
            rows.push_back(i);
    };
    if (selectedOnly != nullptr) {
        for (const int i : Sorted(selectedOnly))
            if (i >= 0 && size_t(i) < list.size() && (rows.empty() || rows.back() != i))
                consider(i);
    } else {
        for (size_t i = 0; i < list.size(); ++i)
            consider(int(i));
    }
    return rows;
}

SyncLists GetListOfFilesAffectedBySync(const ResultList& left, const ResultList& right, const Rules& rules,
                                       const RowIndexes* selectedOnly)
{
    SyncLists lists;
    lists.deleteFromLeft = PassRows(left, CSyncSettings::Left, CSyncSettings::Delete, rules, selectedOnly);
    lists.deleteFromRight = PassRows(right, CSyncSettings::Right, CSyncSettings::Delete, rules, selectedOnly);
    lists.copyLeftToRight = PassRows(left, CSyncSettings::Left, CSyncSettings::Copy, rules, selectedOnly);
    lists.copyRightToLeft = PassRows(right, CSyncSettings::Right, CSyncSettings::Copy, rules, selectedOnly);
    return lists;
}

QStringList RowNames(const ResultList& list, const RowIndexes& rows)
{
    QStringList names;
    names.reserve(qsizetype(rows.size()));
    for (const int i : rows)
        if (i >= 0 && size_t(i) < list.size())
            names.push_back(list[size_t(i)].text);
    return names;
}

qint64 GetSizeOfFilesInSubFolderToBeCopiedMinusCompliment(const CSubFolderDiffs& diffs, Side side, const Rules& rules)
{
    const auto& mine = side == CSyncSettings::Left ? diffs.DiffOne() : diffs.DiffTwo();
    const auto& other = side == CSyncSettings::Left ? diffs.DiffTwo() : diffs.DiffOne();
    qint64 total = 0;
    for (size_t i = 0; i < mine.size(); ++i) {
        const ResultRow& row = mine[i];
        if (row.IsPlaceholder() || ActionFor(rules, side, int(row.icon)) != CSyncSettings::Copy)
            continue;
        if (!row.sizeText.isEmpty())
            total += row.size;
        if (i < other.size() && !other[i].IsPlaceholder() && !other[i].sizeText.isEmpty())
            total -= other[i].size;
    }
    return total;
}

qint64 GetSizeOfFilesInSubFoldersToBeCopied(const SubFolderDiffsList& all, Side side, const Rules& rules,
                                            const ResultList& left, const RowIndexes* selectedOnly)
{
    std::unordered_set<QString> chosen;
    if (selectedOnly != nullptr)
        for (const int i : *selectedOnly)
            if (i >= 0 && size_t(i) < left.size() && left[size_t(i)].IsFolder())
                chosen.insert(left[size_t(i)].text.mid(1));
    qint64 total = 0;
    for (const CSubFolderDiffs& diffs : all)
        if (selectedOnly == nullptr || chosen.count(diffs.strSubFolderName()) != 0)
            total += GetSizeOfFilesInSubFolderToBeCopiedMinusCompliment(diffs, side, rules);
    return total;
}

qint64 GetAvailableDriveSpace(const DriveQueries& drives, const QString& drive)
{
    QString path = drive;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    int error = 0;
    const qint64 free = drives.FreeBytes(path, &error);
    return free < 0 ? UnknownFreeSpace : free;
}

SpaceCheck EnoughSpaceForSync(const PlanServices& services, const QString& leftFolder, const QString& rightFolder,
                              const SyncBytes& need)
{
    return Guarded(services, "modParvex.EnoughSpaceForSync", QStringLiteral("Sync"),
                   QStringLiteral("Problems accessing drive."), [&] {
        RequireFolder(services.drives, leftFolder);
        RequireFolder(services.drives, rightFolder);
        const QString leftDrive = services.drives.DriveName(leftFolder);
        const QString rightDrive = services.drives.DriveName(rightFolder);
        const bool oneDrive = leftDrive == rightDrive;
        const qint64 leftFree = GetAvailableDriveSpace(services.drives, leftDrive);
        const qint64 rightFree = oneDrive ? leftFree : GetAvailableDriveSpace(services.drives, rightDrive);

        SpaceCheck answer;
        bool leftOk = false;
        bool rightOk = false;
        if (oneDrive) {
            leftOk = rightOk = leftFree - (need.toLeft + need.toRight) >= 0;
        } else {
            leftOk = leftFree - need.toLeft >= 0;
            rightOk = rightFree - need.toRight >= 0;
        }
        if (!leftOk) {
            answer = {false, oneDrive ? need.toLeft + need.toRight : need.toLeft, leftFree, leftDrive};
        } else if (!rightOk) {
            answer = {false, need.toRight, rightFree, rightDrive};
        }
        return answer;
    });
}

namespace {

// The copy check to the other list's folder, under the label and title of the operation that asks.
SpaceCheck CheckCopyToOtherList(const PlanServices& services, const char* label, const QString& title,
                                const RowSource& source, const ResultList& other, const QString& otherFolder)
{
    return Guarded(services, label, title, TargetDriveText(), [&] {
        // What needs room is the selected rows without a counterpart in the other list.
        qint64 required = 0;
        for (const int i : source.selected) {
            if (i < 0 || size_t(i) >= source.rows.size())
                continue;
            const ResultRow& row = source.rows[size_t(i)];
            if (row.sizeText.isEmpty())
                continue;
            required += row.size;
            const bool orphan = row.icon == Category::Orphan || row.icon == Category::OrphanFolder;
            if (!orphan && size_t(i) < other.size() && !other[size_t(i)].IsPlaceholder())
                required -= row.size;
        }
        return CheckRequired(services.drives, required, otherFolder);
    });
}

} // namespace

SpaceCheck EnoughSpaceForCopyLvwToLvw(const PlanServices& services, const RowSource& source, const ResultList& other,
                                      const QString& otherFolder)
{
    return CheckCopyToOtherList(services, "modParvex.EnoughSpaceForCopyLvwToLvw", QStringLiteral("Copy"), source, other,
                                otherFolder);
}

SpaceCheck EnoughSpaceForMoveLvwToLvw(const PlanServices& services, const RowSource& source, const ResultList& other,
                                      const QString& otherFolder)
{
    const QString from = services.drives.DriveName(source.folder);
    const QString to = services.drives.DriveName(otherFolder);
    if (!from.isEmpty() && from.compare(to, Qt::CaseInsensitive) == 0)
        return {};
    return CheckCopyToOtherList(services, "modParvex.EnoughSpaceForMoveLvwToLvw", QStringLiteral("Move"), source, other,
                                otherFolder);
}

qint64 GetSizeCurrencyOfComplimentFilesInSpecificDir(const DriveQueries& drives, const RowSource& source,
                                                     const QString& targetFolder)
{
    qint64 total = 0;
    for (const int i : source.selected) {
        if (i < 0 || size_t(i) >= source.rows.size())
            continue;
        const ResultRow& row = source.rows[size_t(i)];
        if (row.IsPlaceholder() || row.sizeText.isEmpty())
            continue;
        total += NamesakeSize(drives, targetFolder, row.text);
    }
    return total;
}

SpaceCheck EnoughSpaceForCopyLvwToSpecificDir(const PlanServices& services, const RowSource& source,
                                              const QString& targetFolder)
{
    return Guarded(services, "modParvex.EnoughSpaceForCopyLvwToSpecificDir", QStringLiteral("Copy"), TargetDriveText(),
                   [&] {
        const qint64 required = SizeOfRows(source.rows, source.selected)
                                - GetSizeCurrencyOfComplimentFilesInSpecificDir(services.drives, source, targetFolder);
        return CheckRequired(services.drives, required, targetFolder);
    });
}

SpaceCheck EnoughSpaceForMoveLvwToSpecificDir(const PlanServices& services, const RowSource& source,
                                              const QString& targetFolder)
{
    const QString from = services.drives.DriveName(source.folder);
    if (!from.isEmpty() && from == services.drives.DriveName(targetFolder))
        return {};
    return Guarded(services, "modParvex.EnoughSpaceForMoveLvwToSpecificDir", QStringLiteral("Move"), TargetDriveText(),
                   [&] {
        const qint64 required = SizeOfRows(source.rows, source.selected)
                                - GetSizeCurrencyOfComplimentFilesInSpecificDir(services.drives, source, targetFolder);
        return CheckRequired(services.drives, required, targetFolder);
    });
}

SpaceCheck EnoughSpaceForDroppedObjects(const PlanServices& services, const std::vector<DroppedObject>& objects,
                                        const QString& targetFolder, const QString& title)
{
    return Guarded(services, "frmMain.ProcessOLEDragDrop", title, QStringLiteral("Problems accessing drive."), [&] {
        qint64 required = 0;
        for (const DroppedObject& object : objects)
            required += object.size - NamesakeSize(services.drives, targetFolder, object.name);
        return CheckRequired(services.drives, required, targetFolder);
    });
}
