#pragma once

#include "compare/ResultList.h"
#include "platform/FileOps.h"
#include "sync/SyncPlan.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <utility>
#include <vector>

class DriveQueries;
class ErrorHandler;
class EventPump;
class ParvexLib;
class ProgressSink;
class UserDialogs;

// The copy, move, trash and delete commands on the selected rows of a result list, the objects dropped
// onto a pane, and the new sub-folder. Each command collects the objects' paths, asks the confirmation
// window when its option says so, checks the free space, hands the whole list to one file operation (one
// progress window, one Cancel) and says how it went. Re-comparing or clearing the results afterwards is
// the caller's, as Outcome::changed says.

// The confirmation window: the caption, the prompt, the operation word ("Copy", "Move", "Delete"), the
// objects' paths and the two folders; true only for Yes.
// The operation a confirmation names when objects are deleted without the trash: nothing brings them
// back, so the question starts on No.
inline QString DeletePermanentlyOperation() { return QStringLiteral("Delete Permanently"); }

class ConfirmationAsker
{
public:
    virtual ~ConfirmationAsker() = default;
    virtual bool Confirm(const QString& caption, const QString& prompt, const QString& operation,
                         const QStringList& objects, const QString& fromFolder, const QString& toFolder) = 0;
};

// Carries out one file operation on a list of objects; a window implementation shows its progress with a
// Cancel button.
class FileOpRunner
{
public:
    // CopyAs and MoveAs take one object and, as destination, the full path it gets: a counterpart that
    // the other side spells differently is replaced under its own name.
    enum class Kind { Copy, Move, Trash, Delete, CopyAs, MoveAs };
    virtual ~FileOpRunner() = default;
    virtual FileOps::Result Run(Kind kind, const QStringList& objects, const QString& destination) = 0;

    // The compared folders of the rows operated on: below them no link is followed (FileOps::Control::roots).
    QStringList roots;
};

// A runner without a window: reports to an optional sink, lets an optional pump run, stops when the
// optional cancel flag is set.
class DirectFileOpRunner final : public FileOpRunner
{
public:
    DirectFileOpRunner() = default;
    DirectFileOpRunner(const std::atomic<bool>* cancel, EventPump* pump, ProgressSink* sink)
        : m_cancel(cancel), m_pump(pump), m_sink(sink) {}
    FileOps::Result Run(Kind kind, const QStringList& objects, const QString& destination) override;

private:
    const std::atomic<bool>* m_cancel = nullptr;
    EventPump* m_pump = nullptr;
    ProgressSink* m_sink = nullptr;
};

// Runs kind through the FileOps call of that name.
FileOps::Result RunFileOp(FileOpRunner::Kind kind, const QStringList& objects, const QString& destination,
                          const FileOps::Control& control);

struct RowOpServices
{
    UserDialogs& dialogs;
    ErrorHandler& errors;
    const ParvexLib& lib;
    const DriveQueries& drives;
    ConfirmationAsker& confirmation;
    FileOpRunner& runner;

    PlanServices Plan() const { return {dialogs, errors, drives}; }
};

// The selected rows of a list (positions, ascending) and the folder of the list.
struct OpList
{
    const ResultList& rows;
    const RowIndexes& selected;
    QString folder;
};

// How a command ended.
struct Outcome
{
    // A file operation ran (whole, in part, or cancelled): the folders may have changed, so the results
    // are compared again or cleared.
    bool changed = false;
    // The user stopped the operation, or it failed: a synchronisation goes no further.
    bool cancelled = false;
    FileOps::Result result;
};

// The paths of the selected rows' objects, in list order. Placeholder rows and "No Comparison Results"
// never give a path.
QStringList OperandPaths(const OpList& list);

// Runs one file operation and shows how it went: nothing when the user cancelled; "API Error" with the
// error number, its system text and the object when it failed; the objects it left alone (special files,
// names taken twice); the success message when confirm is set.
// renamed: objects (not in objects) that go to other names in the destination, as (object, full target path).
Outcome RunShellOperation(const RowOpServices& services, FileOpRunner::Kind kind, const QStringList& objects,
                          const QString& destination, bool confirm,
                          const std::vector<std::pair<QString, QString>>& renamed = {});

Outcome CopyFilesToOtherDirAndLVW(const RowOpServices& services, const OpList& list, const ResultList& other,
                                  const QString& otherFolder, bool confirm, bool calledFromSync);
Outcome MoveFilesToOtherDirAndLVW(const RowOpServices& services, const OpList& list, const ResultList& other,
                                  const QString& otherFolder, bool confirm);
Outcome CopyFilesToSpecificDir(const RowOpServices& services, const OpList& list, const QString& targetFolder,
                               bool confirm);
Outcome MoveFilesToSpecificDir(const RowOpServices& services, const OpList& list, const QString& targetFolder,
                               bool confirm);
// "Copy/Move Selected Object(s) to Any Folder...": the folder picker first, then the operation.
Outcome CopyOrMoveToChosenFolder(const RowOpServices& services, const OpList& list, bool move, bool confirm);

// Before objects of folder go to the trash: on a removable or network drive they would never reach it, so
// the user is asked whether they may be deleted for good instead (permanent is then set). False when the
// user says no.
bool AskDeleteOffTrash(const RowOpServices& services, const QString& folder, bool& permanent);

// Sends the selected rows' objects to the trash. From a removable or network drive, after the user's Yes,
// the objects are deleted for good (the user is asked first) as they would never reach the trash.
Outcome DeleteFilesFromLVW(const RowOpServices& services, const OpList& list, bool confirm, bool calledFromSync);
Outcome DeletePermanentlyFilesFromLVW(const RowOpServices& services, const OpList& list, bool confirm,
                                      bool alreadyConfirmed);

// Objects dropped onto a pane whose folder is paneFolder: Ctrl copies, Shift moves, otherwise a drop from
// the same drive moves and one from another drive copies. Dropping onto the folder they came from does
// nothing. confirm is the copy confirmation option, for moves as well.
Outcome ProcessOLEDragDrop(const RowOpServices& services, const QStringList& droppedPaths, const QString& paneFolder,
                           bool ctrl, bool shift, bool confirm);

// The checks and the creation of a new sub-folder name in parent, with their messages. Answers true when
// the folder was created.
bool CreateNewSubFolder(UserDialogs& dialogs, const ParvexLib& lib, ErrorHandler& errors, const QString& parent,
                        const QString& name);
