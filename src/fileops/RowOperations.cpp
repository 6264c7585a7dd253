#include "fileops/RowOperations.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/Path.h"
#include "base/UserDialogs.h"
#include "model/CDir.h"
#include "platform/DriveQueries.h"
#include "platform/ParvexLib.h"
#include "sync/SyncRun.h"

#include <QFileInfo>
#include <cerrno>
#include <functional>
#include <sys/stat.h>

namespace {

using Kind = FileOpRunner::Kind;
using Icon = UserDialogs::Icon;

const QString CrLf = QStringLiteral("\r\n");

QString WithSlash(const QString& folder)
{
    return folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString WithoutSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString QuestionPrompt(const QString& start, qsizetype n, const QString& unit)
{
    return start + QString::number(n) + unit + CrLf + CrLf + QStringLiteral("Do you wish to continue?");
}

QString ReasonText(FileOps::Skipped::Reason reason)
{
    switch (reason) {
    case FileOps::Skipped::Reason::SpecialFile:
        return QStringLiteral("a FIFO, socket or device, which is never copied");
    case FileOps::Skipped::Reason::NameTaken:
        return QStringLiteral("another object of this operation already took that name in the target folder");
    case FileOps::Skipped::Reason::ChangedDuringMove:
        return QStringLiteral("it changed while it was moved, so it was kept where it was");
    }
    return {};
}

QString OperationWord(Kind kind)
{
    switch (kind) {
    case Kind::Copy:
    case Kind::CopyAs: return QStringLiteral("Copy");
    case Kind::Move:
    case Kind::MoveAs: return QStringLiteral("Move");
    case Kind::Trash:
    case Kind::Delete: break;
    }
    return QStringLiteral("Delete");
}

// The path with every link resolved, so that a folder reached through a link is still known; the
// absolute path when nothing exists there.
QString RealPath(const QString& path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return WithoutSlash(real.isEmpty() ? info.absoluteFilePath() : real);
}

// The folder among objects that destination lies in or below, or "" when there is none.
QString FolderHoldingDestination(const QStringList& objects, const QString& destination)
{
    const QString dest = RealPath(destination);
    for (const QString& object : objects) {
        const QString path = WithoutSlash(QFileInfo(object).absoluteFilePath());
        QFileInfo info(path);
        if (!info.isDir() || info.isSymLink())
            continue;
        const QString real = RealPath(path);
        if (dest == real || dest.startsWith(real + QLatin1Char('/')))
            return path;
    }
    return {};
}

// Refuses, with a message, to copy or move a folder into itself or below itself.
bool RefuseFolderIntoItself(const RowOpServices& services, const QStringList& objects, const QString& destination,
                            bool move)
{
    const QString folder = FolderHoldingDestination(objects, destination);
    if (folder.isEmpty())
        return false;
    services.dialogs.Message(QStringLiteral("The folder \"") + folder + QStringLiteral("\" cannot be ")
                                 + (move ? QStringLiteral("moved") : QStringLiteral("copied"))
                                 + QStringLiteral(" into itself or into one of its own sub-folders."),
                             move ? QStringLiteral("Unable to Move") : QStringLiteral("Unable to Copy"), Icon::Warning);
    return true;
}

void ShowInsufficientSpace(const RowOpServices& services, const SpaceCheck& check)
{
    services.dialogs.Message(QStringLiteral("Not enough space available on target drive.") + CrLf + CrLf
                                 + QStringLiteral("Target Drive: ") + check.drive + CrLf
                                 + QStringLiteral("Space Required: ")
                                 + services.lib.ConvertBytesToCorrectByteTypeString(check.required) + CrLf
                                 + QStringLiteral("Space Available: ")
                                 + services.lib.ConvertBytesToCorrectByteTypeString(check.available),
                             QStringLiteral("Insufficient Disk Space"), Icon::Error);
}

// Whether the check lets the operation go on; says why not when it does not.
bool SpaceAllows(const RowOpServices& services, const SpaceCheck& check)
{
    if (check.enough)
        return true;
    if (!check.reported)
        ShowInsufficientSpace(services, check);
    return false;
}

// The shared road of the four copy and move commands on rows. other, when given, is the list of the
// destination folder: a file whose counterpart there is spelt differently replaces it under that name.
Outcome TransferRows(const RowOpServices& services, const OpList& list, const QString& destination, bool move,
                     bool confirm, bool calledFromSync, const std::function<SpaceCheck()>& spaceCheck,
                     const ResultList* other = nullptr)
{
    const QStringList objects = OperandPaths(list);
    if (objects.isEmpty()) {
        if (!calledFromSync)
            services.dialogs.Message(QStringLiteral("No item(s) selected.  Please select some item(s) and try again. "),
                                     move ? QStringLiteral("Unable to Move") : QStringLiteral("Unable to Copy"),
                                     Icon::Warning);
        return {};
    }
    if (RefuseFolderIntoItself(services, objects, destination, move))
        return {};
    if (confirm) {
        const qsizetype n = qsizetype(list.selected.size());
        const bool yes = services.confirmation.Confirm(
            move ? QStringLiteral("Confirm Move") : QStringLiteral("Confirm Copy"),
            QuestionPrompt(move ? QStringLiteral("You are about to move ") : QStringLiteral("You are about to copy "), n,
                           QStringLiteral(" objects(s).")),
            move ? QStringLiteral("Move") : QStringLiteral("Copy"), objects, list.folder, destination);
        if (!yes)
            return {};
    }
    if (spaceCheck && !SpaceAllows(services, spaceCheck()))
        return {};
    QStringList sameNames = objects;
    std::vector<std::pair<QString, QString>> renamed;
    if (other != nullptr) {
        sameNames.clear();
        for (const int i : list.selected) {
            if (i < 0 || size_t(i) >= list.rows.size())
                continue;
            const ResultRow& row = list.rows[size_t(i)];
            const QString path = RowObjectPath(list.folder, row);
            if (path.isEmpty())
                continue;
            const ResultRow* pair = size_t(i) < other->size() ? &(*other)[size_t(i)] : nullptr;
            if (pair != nullptr && IsRealRow(*pair) && !row.IsFolder() && !pair->IsFolder() && pair->text != row.text)
                renamed.emplace_back(path, RowObjectPath(destination, *pair));
            else
                sameNames.push_back(path);
        }
    }
    BusyPointer busy(services.dialogs);
    return RunShellOperation(services, move ? Kind::Move : Kind::Copy, sameNames, destination, confirm, renamed);
}

} // namespace

FileOps::Result RunFileOp(Kind kind, const QStringList& objects, const QString& destination,
                          const FileOps::Control& control)
{
    switch (kind) {
    case Kind::Copy: return FileOps::Copy(objects, destination, control);
    case Kind::Move: return FileOps::Move(objects, destination, control);
    case Kind::Trash: return FileOps::MoveToTrash(objects, control);
    case Kind::CopyAs: return FileOps::CopyAs(objects.value(0), destination, control);
    case Kind::MoveAs: return FileOps::MoveAs(objects.value(0), destination, control);
    case Kind::Delete: break;
    }
    return FileOps::DeletePermanently(objects, control);
}

FileOps::Result DirectFileOpRunner::Run(Kind kind, const QStringList& objects, const QString& destination)
{
    FileOps::Control control;
    control.cancel = m_cancel;
    control.pump = m_pump;
    control.sink = m_sink;
    control.roots = roots;
    return RunFileOp(kind, objects, destination, control);
}

QStringList OperandPaths(const OpList& list)
{
    QStringList paths;
    paths.reserve(qsizetype(list.selected.size()));
    for (const int i : list.selected) {
        if (i < 0 || size_t(i) >= list.rows.size())
            continue;
        const QString path = RowObjectPath(list.folder, list.rows[size_t(i)]);
        if (!path.isEmpty())
            paths.push_back(path);
    }
    return paths;
}

Outcome RunShellOperation(const RowOpServices& services, Kind kind, const QStringList& objects,
                          const QString& destination, bool confirm,
                          const std::vector<std::pair<QString, QString>>& renamed)
{
    Outcome outcome;
    outcome.changed = true;
    if (!objects.isEmpty())
        outcome.result = services.runner.Run(kind, objects, destination);
    for (const auto& [object, target] : renamed) {
        if (!outcome.result.ok())
            break;
        const FileOps::Result one = services.runner.Run(kind == Kind::Move ? Kind::MoveAs : Kind::CopyAs, {object}, target);
        FileOps::Result& all = outcome.result;
        all.completed += one.completed;
        all.skipped += one.skipped;
        all.objectsDone += one.objectsDone;
        all.bytesDone += one.bytesDone;
        if (!one.ok()) {
            all.error = one.error;
            all.number = one.number;
            all.errorText = one.errorText;
            all.failedPath = one.failedPath;
            all.aborted = one.aborted;
        }
    }
    const QStringList everything = objects + [&] {
        QStringList more;
        for (const auto& pair : renamed)
            more << pair.first;
        return more;
    }();
    const FileOps::Result& result = outcome.result;
    if (!result.skipped.isEmpty()) {
        QString text = QStringLiteral("These object(s) were left as they were:") + CrLf;
        for (const FileOps::Skipped& skipped : result.skipped)
            text += CrLf + skipped.path + QStringLiteral(" (") + ReasonText(skipped.reason) + QLatin1Char(')');
        services.dialogs.Message(text, OperationWord(kind), Icon::Warning);
    }
    if (result.aborted) {
        outcome.cancelled = true;
        return outcome;
    }
    if (result.error != 0) {
        outcome.cancelled = true;
        QString text = QString::number(result.error) + QStringLiteral(" - ") + result.errorText;
        if (!result.failedPath.isEmpty())
            text += CrLf + CrLf + result.failedPath;
        if (kind == Kind::Trash)
            text += CrLf + CrLf + QStringLiteral("The trash did not take it, so it was kept: nothing was deleted.");
        if (!result.completed.isEmpty() && result.completed.size() < everything.size())
            text += CrLf + CrLf + QString::number(result.completed.size()) + QStringLiteral(" of ")
                    + QString::number(everything.size()) + QStringLiteral(" item(s) were done before the failure.");
        services.dialogs.Message(text, QStringLiteral("API Error"), Icon::Warning);
        return outcome;
    }
    if (!confirm || !result.skipped.isEmpty())
        return outcome;
    switch (kind) {
    case Kind::Copy:
    case Kind::CopyAs:
        services.dialogs.Message(QStringLiteral("Selected item(s) copied to ") + destination,
                                 QStringLiteral("Copy Succeeded"), Icon::Information);
        break;
    case Kind::Move:
    case Kind::MoveAs:
        services.dialogs.Message(QStringLiteral("Selected item(s) moved to ") + destination,
                                 QStringLiteral("Move Succeeded"), Icon::Information);
        break;
    case Kind::Trash:
        services.dialogs.Message(QStringLiteral("Selected item(s) sent to the Recycle Bin"),
                                 QStringLiteral("Delete Succeeded"), Icon::Information);
        break;
    case Kind::Delete:
        services.lib.ShowInformationMessage(QStringLiteral("Selected item(s) deleted"), QStringLiteral("Delete Succeeded"));
        break;
    }
    return outcome;
}

Outcome CopyFilesToOtherDirAndLVW(const RowOpServices& services, const OpList& list, const ResultList& other,
                                  const QString& otherFolder, bool confirm, bool calledFromSync)
{
    try {
        const RowSource source{list.rows, list.selected, list.folder};
        std::function<SpaceCheck()> check;
        if (!calledFromSync)
            check = [&] { return EnoughSpaceForCopyLvwToLvw(services.Plan(), source, other, otherFolder); };
        return TransferRows(services, list, WithSlash(otherFolder), false, confirm, calledFromSync, check, &other);
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.CopyFilesToOtherDirAndLVW"));
    }
    return {};
}

Outcome MoveFilesToOtherDirAndLVW(const RowOpServices& services, const OpList& list, const ResultList& other,
                                  const QString& otherFolder, bool confirm)
{
    try {
        const RowSource source{list.rows, list.selected, list.folder};
        return TransferRows(services, list, WithSlash(otherFolder), true, confirm, false,
                            [&] { return EnoughSpaceForMoveLvwToLvw(services.Plan(), source, other, otherFolder); }, &other);
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.MoveFilesToOtherDirAndLVW"));
    }
    return {};
}

Outcome CopyFilesToSpecificDir(const RowOpServices& services, const OpList& list, const QString& targetFolder,
                               bool confirm)
{
    try {
        const RowSource source{list.rows, list.selected, list.folder};
        return TransferRows(services, list, WithSlash(targetFolder), false, confirm, false,
                            [&] { return EnoughSpaceForCopyLvwToSpecificDir(services.Plan(), source, targetFolder); });
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.CopyFilesToSpecificDir"));
    }
    return {};
}

Outcome MoveFilesToSpecificDir(const RowOpServices& services, const OpList& list, const QString& targetFolder,
                               bool confirm)
{
    try {
        const RowSource source{list.rows, list.selected, list.folder};
        return TransferRows(services, list, WithSlash(targetFolder), true, confirm, false,
                            [&] { return EnoughSpaceForMoveLvwToSpecificDir(services.Plan(), source, targetFolder); });
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.MoveFilesToSpecificDir"));
    }
    return {};
}

Outcome CopyOrMoveToChosenFolder(const RowOpServices& services, const OpList& list, bool move, bool confirm)
{
    const QString chosen = services.dialogs.PickFolder(QStringLiteral("Browse for Folder"), list.folder);
    if (chosen.isEmpty()) {
        if (move)
            services.dialogs.Message(QStringLiteral("No destination folder was specified.  Object(s) were not moved."),
                                     QStringLiteral("Move To Specified Folder"), Icon::Information);
        else
            services.dialogs.Message(QStringLiteral("No destination folder was specified.  Object(s) were not copied."),
                                     QStringLiteral("Copy To Specified Folder"), Icon::Information);
        return {};
    }
    return move ? MoveFilesToSpecificDir(services, list, WithSlash(chosen), confirm)
                : CopyFilesToSpecificDir(services, list, WithSlash(chosen), confirm);
}

bool AskDeleteOffTrash(const RowOpServices& services, const QString& folder, bool& permanent)
{
    permanent = false;
    const DriveQueries::Type type = services.drives.DriveType(folder);
    if (type == DriveQueries::Type::Other)
        return true;
    const bool removable = type == DriveQueries::Type::Removable;
    const QString first = removable ? QStringLiteral("Files on removeable drives are not sent to the Recycle Bin.")
                                    : QStringLiteral("Files on network drives are not sent to the Recycle Bin.");
    const UserDialogs::Answer answer = services.dialogs.Message(
        first + CrLf + QStringLiteral("They are permanently deleted.") + CrLf + CrLf
            + QStringLiteral("Do you still wish to continue?"),
        removable ? QStringLiteral("Delete from Removeable Drive") : QStringLiteral("Delete from Network Drive"),
        Icon::Question, UserDialogs::Buttons::YesNo, 1); // No first: nothing brings the objects back
    if (answer != UserDialogs::Answer::Yes)
        return false;
    permanent = true;
    return true;
}

Outcome DeleteFilesFromLVW(const RowOpServices& services, const OpList& list, bool confirm, bool calledFromSync)
{
    try {
        const qsizetype n = qsizetype(list.selected.size());
        if (n == 0) {
            if (!calledFromSync)
                services.dialogs.Message(QStringLiteral("No item(s) selected. Please select some item(s) and try again."),
                                         QStringLiteral("Unable to Delete"), Icon::Warning);
            return {};
        }
        const QStringList objects = OperandPaths(list);
        if (objects.isEmpty()) {
            services.lib.ShowInformationMessage(
                QStringLiteral("No item(s) selected. Please select some item(s), and try again."),
                QStringLiteral("Unable to Delete"));
            return {};
        }
        bool permanent = false;
        if (confirm) {
            if (!services.confirmation.Confirm(
                    QStringLiteral("Confirm Delete"),
                    QuestionPrompt(QStringLiteral("You are about to send "), n, QStringLiteral(" item(s) to the Recycle Bin.")),
                    QStringLiteral("Delete"), objects, list.folder, QString()))
                return {};
            if (!AskDeleteOffTrash(services, list.folder, permanent))
                return {};
        }
        if (permanent)
            return DeletePermanentlyFilesFromLVW(services, list, confirm, true);
        BusyPointer busy(services.dialogs);
        return RunShellOperation(services, Kind::Trash, objects, QString(), confirm);
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.DeleteFilesFromLVW"));
    }
    return {};
}

Outcome DeletePermanentlyFilesFromLVW(const RowOpServices& services, const OpList& list, bool confirm,
                                      bool alreadyConfirmed)
{
    try {
        const qsizetype n = qsizetype(list.selected.size());
        if (n == 0 && !alreadyConfirmed) {
            services.dialogs.Message(QStringLiteral("No item(s) selected. Please select some item(s) and try again."),
                                     QStringLiteral("Unable to Delete"), Icon::Warning);
            return {};
        }
        const QStringList objects = OperandPaths(list);
        if (objects.isEmpty()) {
            if (!alreadyConfirmed)
                services.lib.ShowInformationMessage(
                    QStringLiteral("No item(s) selected. Please select some item(s), and try again."),
                    QStringLiteral("Unable to Delete"));
            return {};
        }
        if (!alreadyConfirmed && confirm
            && !services.confirmation.Confirm(
                QStringLiteral("Confirm Delete"),
                QuestionPrompt(QStringLiteral("You are about to permanently delete "), n, QStringLiteral(" item(s).")),
                DeletePermanentlyOperation(), objects, list.folder, QString()))
            return {};
        BusyPointer busy(services.dialogs);
        return RunShellOperation(services, Kind::Delete, objects, QString(), confirm);
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.DeletePermanentlyFilesFromLVW"));
    }
    return {};
}

namespace {

// Copies or moves dropped objects into targetFolder.
Outcome TransferDropped(const RowOpServices& services, const QStringList& paths, const QString& sourceFolder,
                        const QString& targetFolder, bool move, bool sameDrive, bool confirm)
{
    std::vector<DroppedObject> objects;
    for (const QString& path : paths) {
        const QString clean = WithoutSlash(path);
        struct stat st {};
        DroppedObject object;
        object.name = QFileInfo(clean).fileName();
        if (lstat(EncodeFileName(clean).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            object.name.prepend(QLatin1Char('/'));
            object.size = qMax<qint64>(0, services.drives.ObjectSize(clean));
        } else {
            object.size = st.st_size;
        }
        objects.push_back(object);
    }
    if (objects.empty())
        return {};
    if (RefuseFolderIntoItself(services, paths, targetFolder, move))
        return {};
    if (confirm) {
        const bool yes = services.confirmation.Confirm(
            move ? QStringLiteral("Confirm Move") : QStringLiteral("Confirm Copy"),
            QuestionPrompt(move ? QStringLiteral("You are about to move ") : QStringLiteral("You are about to copy "),
                           paths.size(), QStringLiteral(" objects(s).")),
            move ? QStringLiteral("Move") : QStringLiteral("Copy"), paths, sourceFolder, targetFolder);
        if (!yes)
            return {};
    }
    if (!(move && sameDrive)) {
        const SpaceCheck check = EnoughSpaceForDroppedObjects(services.Plan(), objects, targetFolder,
                                                              move ? QStringLiteral("Move") : QStringLiteral("Copy"));
        if (!SpaceAllows(services, check))
            return {};
    }
    BusyPointer busy(services.dialogs);
    return RunShellOperation(services, move ? Kind::Move : Kind::Copy, paths, targetFolder, confirm);
}

} // namespace

Outcome ProcessOLEDragDrop(const RowOpServices& services, const QStringList& droppedPaths, const QString& paneFolder,
                           bool ctrl, bool shift, bool confirm)
{
    try {
        if (droppedPaths.isEmpty())
            return {};
        if (services.drives.FolderState(paneFolder) != 0) {
            services.dialogs.Message(QStringLiteral("The path \"") + paneFolder + QStringLiteral("\" was not found."),
                                     QStringLiteral("Drag and Drop"), Icon::Warning);
            return {};
        }
        const QString sourceFolder = WithSlash(QFileInfo(WithoutSlash(droppedPaths.front())).absolutePath());
        const QString targetFolder = WithSlash(paneFolder);
        // The folder the objects came from: nothing to do. Compared as folders, not as texts, so that two
        // folders whose names differ only in case stay two folders.
        const QString sourceReal = QFileInfo(sourceFolder).canonicalFilePath();
        if (sourceFolder == targetFolder || (!sourceReal.isEmpty() && sourceReal == QFileInfo(targetFolder).canonicalFilePath()))
            return {};
        const bool sameDrive = services.drives.DriveName(sourceFolder)
                                   .compare(services.drives.DriveName(targetFolder), Qt::CaseInsensitive) == 0;
        const bool move = !ctrl && (shift || sameDrive);
        return TransferDropped(services, droppedPaths, sourceFolder, targetFolder, move, sameDrive, confirm);
    } catch (...) {
        services.errors.HandleUnexpectedError(QStringLiteral("frmMain.ProcessOLEDragDrop"));
    }
    return {};
}

bool CreateNewSubFolder(UserDialogs& dialogs, const ParvexLib& lib, ErrorHandler& errors, const QString& parent,
                        const QString& name)
{
    try {
        if (name.isEmpty())
            return false;
        const QString path = WithSlash(parent) + name;
        if (lib.APIFolderExists(path) || QFileInfo(path).isDir()) {
            dialogs.Message(QStringLiteral("A folder named \"") + name + QStringLiteral("\" ") + QStringLiteral("already exists."),
                            QStringLiteral("Unable to Create New Folder"), Icon::Warning);
            return false;
        }
        if (const FileOps::Result made = FileOps::MakeFolders(path); !made.ok()) {
            dialogs.Message(QStringLiteral("The folder \"") + name + QStringLiteral("\" could not be created.") + CrLf
                                + CrLf + DescribeSystemError(made.error),
                            QStringLiteral("Unable to Create New Folder"), Icon::Warning);
            return false;
        }
        dialogs.Message(QStringLiteral("The folder \"") + name + QStringLiteral("\" was created."),
                        QStringLiteral("New Folder Created"), Icon::Information);
        return true;
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("frmMain.mnuNewSubFolder_Click"));
    }
    return false;
}
