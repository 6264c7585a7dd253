#pragma once

#include "sync/SyncRun.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QTreeView;

// "Confirm Synchronization": every planned operation in two lists, the left folder's and the right
// folder's, each row with its category picture and its action ("Copy -->", "<-- Copy", "Delete"); rows
// of the lists first (copies before deletes), then the files of the differing sub-folders. Continue
// proceeds; Cancel, Escape or closing the window cancel. Under each list its totals (lblTotalsOne,
// lblTotalsTwo), and below both the plan's (lblTotals): counts of copies, bytes copied, deletions.
//
// A move (an object the other side renamed since the last synchronization) is one row on the side where it
// happens: "Move old.txt to Docs/new.txt" with the action "Move". The pairs the plan leaves alone because
// both sides changed them are listed apart below the lists (lblConflicts, lvwConflicts), when there are any.
//
// A plan the deletion guard stopped shows the guard's reason in red above the lists (lblGuardReason) and a
// check box of its own (chkGuardAllow): Continue stays disabled until the user ticks it, so a run that
// deletes most of a side never goes ahead on a reflex press of Enter.
class frmConfirmSync final : public QDialog
{
    Q_OBJECT

public:
    frmConfirmSync(const std::vector<SyncStep>& plan, const QString& leftFolder, const QString& rightFolder,
                   QWidget* parent = nullptr, const QString& guardReason = {}, const QStringList& conflicts = {});

    bool Proceed() const { return m_proceed; }

    // The rows of one side's list, in the order shown: (text, action).
    static std::vector<std::pair<const SyncStep*, QString>> SideRows(const std::vector<SyncStep>& plan, bool left);

    // What the plan adds up to: side 0 the left list, 1 the right list ("3 copies (1.2 MB), 1 deletion"),
    // -1 the whole plan ("4 operations in all: ...").
    static QString TotalsText(const std::vector<SyncStep>& plan, int side);
    // A move's row: "Move old.txt to Docs/new.txt".
    static QString MoveText(const SyncStep& step);
    // The heading of the pairs left as they are.
    static QString ConflictsHeading();

private:
    bool m_proceed = false;
};
