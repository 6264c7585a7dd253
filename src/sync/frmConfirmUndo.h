#pragma once

#include "sync/SyncJournal.h"
#include "sync/SyncUndo.h"

#include <QDialog>
#include <optional>

// The question before "Undo Last Synchronization" changes anything: which run it takes back (lblUndoRun:
// when, which folders, which method), then every step it will take and every object it will leave as it
// is, one row each in lvwUndoPlan (Action, Object, Note). Yes (cmdYes) undoes; No (cmdNo), Escape or
// closing the window changes nothing.
class frmConfirmUndo final : public QDialog
{
    Q_OBJECT

public:
    frmConfirmUndo(const UndoPlan& plan, const std::optional<SyncJournal::RunRecord>& run, QWidget* parent = nullptr);

    bool Proceed() const { return m_proceed; }

    // The rows of the list in the order shown: (action word, object, note).
    struct Row
    {
        QString action;
        QString object;
        QString note;
    };
    static std::vector<Row> Rows(const UndoPlan& plan);
    // The line that names the run ("The synchronization of /a and /b on ... (Make Right ...)").
    static QString RunText(const std::optional<SyncJournal::RunRecord>& run);

private:
    bool m_proceed = false;
};
