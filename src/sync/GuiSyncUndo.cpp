#include "sync/GuiSyncUndo.h"

#include "app/AppContext.h"
#include "fileops/frmFileOpProgress.h"
#include "sync/frmConfirmUndo.h"

#include <QApplication>
#include <QFileInfo>

namespace {

const QString CrLf = QStringLiteral("\r\n");
// A report longer than this names the rest by their number: a message box does not scroll.
constexpr int MostLinesShown = 25;

void AddLines(QString& text, const QString& heading, const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    text += CrLf + CrLf + heading;
    for (qsizetype i = 0; i < lines.size() && i < MostLinesShown; ++i)
        text += CrLf + lines[i];
    if (lines.size() > MostLinesShown)
        text += CrLf + QStringLiteral("... and ") + QString::number(lines.size() - MostLinesShown) + QStringLiteral(" more");
}

} // namespace

GuiSyncUndo::GuiSyncUndo(AppContext& ctx, QWidget* parent, QString errorLabel)
    : m_ctx(ctx), m_parent(parent), m_errorLabel(std::move(errorLabel))
{
}

bool GuiSyncUndo::JournalExists(const QString& appFolder)
{
    return QFileInfo::exists(appFolder + SyncJournal::FileName());
}

bool GuiSyncUndo::HasRunToUndo(const QString& appFolder)
{
    if (!JournalExists(appFolder))
        return false;
    SyncJournal journal(appFolder);
    return journal.IsOpen() && journal.LastUndoableRun() != 0;
}

QString GuiSyncUndo::ReportText(const UndoOutcome& outcome, size_t planned)
{
    if (!outcome.cancelled && outcome.left.empty() && outcome.failures.empty())
        return QStringLiteral("The synchronization was undone: everything it changed is back as it was.");
    QString text = outcome.cancelled ? QStringLiteral("The undo was cancelled after ") + QString::number(outcome.done)
                                           + QStringLiteral(" of ") + QString::number(planned) + QStringLiteral(" steps.")
                                     : QStringLiteral("The synchronization was undone, except for what is listed below.");
    QStringList changed;
    QStringList missing;
    for (const UndoLeft& left : outcome.left)
        (left.changed ? changed : missing) << left.path + (left.why.isEmpty() ? QString() : QStringLiteral(" - ") + left.why);
    QStringList failed;
    for (const auto& [step, result] : outcome.failures)
        failed << UndoStepWord(step.action) + QLatin1Char(' ') + step.path + QStringLiteral(": ") + QString::number(result.error)
                      + QStringLiteral(" - ") + result.errorText;
    AddLines(text, QStringLiteral("Left as they are, because they changed since the synchronization:"), changed);
    AddLines(text, QStringLiteral("Not brought back, because the trash no longer holds them:"), missing);
    AddLines(text, QStringLiteral("Could not be undone:"), failed);
    return text;
}

bool GuiSyncUndo::Confirm(const UndoPlan& plan, SyncJournal& journal)
{
    if (m_confirm)
        return m_confirm(plan);
    frmConfirmUndo window(plan, journal.Run(plan.run), m_parent);
    window.exec();
    QApplication::processEvents();
    return window.Proceed();
}

bool GuiSyncUndo::UndoLast()
{
    UserDialogs& dialogs = m_ctx.Dialogs();
    const QString title = UndoLastSyncCaption();
    bool started = false;
    try {
        SyncJournal journal(m_ctx.AppFolder());
        if (!journal.IsOpen()) {
            dialogs.Message(journal.Problem(), title, UserDialogs::Icon::Warning);
            return false;
        }
        const UndoPlan plan = PlanUndo(journal);
        if (!plan.problem.isEmpty()) {
            dialogs.Message(plan.problem, title, UserDialogs::Icon::Information);
            return false;
        }
        if (!Confirm(plan, journal))
            return false;

        started = true;
        if (m_busy)
            m_busy(true);
        UndoOutcome outcome;
        {
            frmFileOpProgress progress(title, QStringLiteral("Undoing..."), m_parent);
            const size_t total = plan.steps.size();
            size_t number = 0;
            progress.RunWork([&](const FileOps::Control& control) {
                outcome = CarryOutUndo(journal, plan, control, [&](const UndoStep&, const FileOps::Result&) {
                    progress.SetActionText(QStringLiteral("Undoing... (") + QString::number(++number) + QStringLiteral(" of ")
                                           + QString::number(total) + QLatin1Char(')'));
                });
            });
        }
        if (m_busy)
            m_busy(false);

        const bool whole = !outcome.cancelled && outcome.left.empty() && outcome.failures.empty();
        QString report = ReportText(outcome, plan.steps.size());
        if (!journal.Problem().isEmpty())
            report += CrLf + CrLf + QStringLiteral("The undo could not be recorded in the journal: ") + journal.Problem();
        dialogs.Message(report, title, whole && journal.Problem().isEmpty() ? UserDialogs::Icon::Information
                                                                            : UserDialogs::Icon::Warning);
        return true;
    } catch (...) {
        if (started && m_busy)
            m_busy(false);
        m_ctx.Errors().HandleUnexpectedError(m_errorLabel);
        // Part of the undo may have run.
        return started;
    }
}
