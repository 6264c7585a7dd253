#pragma once

#include "sync/SyncUndo.h"

#include <QString>
#include <QtGlobal>
#include <functional>

class AppContext;
class QWidget;

// "Undo Last Synchronization", wherever the user asks for it (the View menu, the history window): the
// journal's plan for the newest run not yet undone, the confirmation that lists it (frmConfirmUndo), the
// undo with a progress window and Cancel, and a report of what was left as it was. Every message goes
// through the context's dialogs, titled "Undo Last Synchronization"; an unexpected failure is reported
// under the label given.
class GuiSyncUndo final
{
public:
    GuiSyncUndo(AppContext& ctx, QWidget* parent, QString errorLabel);
    Q_DISABLE_COPY_MOVE(GuiSyncUndo)

    // Runs with true before the undo changes anything and with false once it has ended (the main window
    // turns its menus off meanwhile).
    void SetBusy(std::function<void(bool busy)> busy) { m_busy = std::move(busy); }
    // Tests answer the confirmation; none shows the window.
    void SetConfirmation(std::function<bool(const UndoPlan&)> confirm) { m_confirm = std::move(confirm); }

    // True when the undo ran, so the folders may have changed.
    bool UndoLast();

    // Whether the journal of appFolder holds a run that can be undone. A missing journal is not made.
    static bool HasRunToUndo(const QString& appFolder);
    // Whether appFolder has a journal at all (cheap: for enabling a menu item).
    static bool JournalExists(const QString& appFolder);

    // The report after an undo: empty lists and no cancel say everything is back.
    static QString ReportText(const UndoOutcome& outcome, size_t planned);

private:
    bool Confirm(const UndoPlan& plan, SyncJournal& journal);

    AppContext& m_ctx;
    QWidget* m_parent;
    QString m_errorLabel;
    std::function<void(bool)> m_busy;
    std::function<bool(const UndoPlan&)> m_confirm;
};
