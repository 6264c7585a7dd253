#pragma once

#include <QDialog>

class AppContext;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Synchronization History": the records of the history file in lvwSyncHistory (Date, Folder #1,
// Folder #2, Result), oldest first, and the number of records the file keeps in txtNumEntries. Opening
// the window trims the file silently to the maximum; OK trims it to the entered number after asking.
// The maximum is the main options' NumSyncLogEntries.
//
// cmdUndoLastSync runs "Undo Last Synchronization" (GuiSyncUndo); it is enabled while the journal holds a
// run to undo, and the list is read again after an undo.
class frmSyncLog final : public QDialog
{
    Q_OBJECT

public:
    explicit frmSyncLog(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmSyncLog)

    // Checks txtNumEntries; an invalid text gets the "Invalid Number of Entries" message, and the box
    // keeps the focus with its text selected.
    bool ValidateNumEntries();

    // Whether an undo ran from this window, so the folders may have changed.
    bool Undone() const { return m_undone; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormLoad();
    void FillList();
    void cmdOK_Click();
    void cmdUndoLastSync_Click();

    AppContext& m_ctx;
    QTreeWidget* m_lvwSyncHistory;
    QLabel* m_lblNumEntries;
    QLineEdit* m_txtNumEntries;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdUndoLastSync;
    bool m_validating = false;
    bool m_undone = false;
};
