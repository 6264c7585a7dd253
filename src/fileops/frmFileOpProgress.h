#pragma once

#include "fileops/RowOperations.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress of one file operation: what it does, the object it is on, how many objects and bytes are
// done, and Cancel. Cancel (the button, Escape, or closing the window) stops the operation between two
// files or two chunks of a large file; what was finished stays, a file being copied is never left half.
//
// The window appears only when the operation lasts longer than a moment, and repaints on a short timer,
// not for every file.
class frmFileOpProgress final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ShowDelayMs = 400;

    frmFileOpProgress(FileOpRunner::Kind kind, QWidget* parent = nullptr);
    // A window for other work: its caption and the line above the current object.
    frmFileOpProgress(const QString& caption, const QString& action, QWidget* parent = nullptr);

    // Runs the operation with this window as its progress and Cancel.
    FileOps::Result Run(const QStringList& objects, const QString& destination, const QStringList& roots = {});
    // Runs work, which hands control to every file operation it makes, with this window as their progress
    // and Cancel.
    void RunWork(const std::function<void(const FileOps::Control&)>& work);
    // The line above the current object ("Copying...", "Step 3 of 10").
    void SetActionText(const QString& text);
    // A run of several operations (a synchronisation's steps): the bar and the counts follow the whole
    // run, steps done plus the share of the current one, instead of each operation from 0 to 100%.
    void SetSteps(qint64 steps) { m_steps = steps; }
    void StepDone(qint64 stepsDone);
    // The bar's value, 0..1000 (tests).
    int BarValue() const;

    const std::atomic<bool>& CancelFlag() const { return m_cancel; }
    void Cancel();
    // The caption of an operation's window.
    static QString CaptionFor(FileOpRunner::Kind kind);

Q_SIGNALS:
    // The window became visible during a run (tests wait for it).
    void Shown();
    // One more object is done (files, links, folders, skipped ones), with the count so far.
    void ObjectDone(qint64 objectsDone);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Update(const FileOps::Progress& progress);
    void Refresh();

    FileOpRunner::Kind m_kind = FileOpRunner::Kind::Copy;
    QLabel* m_lblAction;
    QLabel* m_lblCurrent;
    QLabel* m_lblCounts;
    QProgressBar* m_bar;
    QPushButton* m_cmdCancel;
    QTimer m_refresh;
    QElapsedTimer m_started;
    FileOps::Progress m_progress;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    qint64 m_steps = 0;
    qint64 m_stepsDone = 0;
};

// Runs every file operation with a progress window over parent.
class GuiFileOpRunner final : public FileOpRunner
{
public:
    explicit GuiFileOpRunner(QWidget* parent) : m_parent(parent) {}
    FileOps::Result Run(Kind kind, const QStringList& objects, const QString& destination) override;

private:
    QWidget* m_parent;
};
