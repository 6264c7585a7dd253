#include "sync/SyncSession.h"

#include "base/ErrorHandler.h"
#include "sync/SyncHistory.h"

#include <QDateTime>

QString SyncOutcome::RecordText() const
{
    switch (end) {
    case SyncEnd::Cancelled: return SyncHistory::CancelledText();
    case SyncEnd::StoppedByError: return SyncHistory::StoppedByErrorText();
    case SyncEnd::CompletedWithErrors: return SyncHistory::CompletedWithErrorsText();
    default: break;
    }
    return SyncHistory::CompletedText();
}

QString WithheldDeletionsText(const QStringList& withheld)
{
    const QString crLf = QStringLiteral("\r\n");
    return QStringLiteral("Nothing was deleted in these sub-folders, because the comparison could not read them completely:")
           + crLf + crLf + withheld.join(crLf);
}

SyncOutcome RunSyncSession(const SyncRequest& request, const SyncServices& services, SyncFrontEnd& frontEnd)
{
    SyncOutcome outcome;
    try {
        outcome.plan = PlanSync(request.input, &outcome.withheld);
        if (request.confirm && !frontEnd.ConfirmPlan(outcome.plan, outcome.withheld))
            return outcome;

        const SpaceCheck space = EnoughSpaceForSync({services.dialogs, services.errors, services.drives},
                                                    request.input.leftFolder, request.input.rightFolder,
                                                    BytesOfPlan(outcome.plan));
        if (space.reported) {
            outcome.end = SyncEnd::Refused;
            return outcome;
        }
        if (!space.enough && !frontEnd.ConfirmLowSpace(space, LowDiskSpaceText(services.lib, space)))
            return outcome;

        SyncReport report;
        size_t number = 0;
        const size_t total = outcome.plan.size();
        frontEnd.RunWork(total, [&](const FileOps::Control& control) {
            report = CarryOutSync(outcome.plan, control, [&](const SyncStep& step, const FileOps::Result& result) {
                if (result.ok())
                    outcome.done.push_back(step);
                else
                    outcome.failures.push_back({step, result});
                frontEnd.StepEnded(step, result, ++number, total);
            });
        });

        if (report.cancelled)
            outcome.end = SyncEnd::Cancelled;
        else if (report.stopped)
            outcome.end = SyncEnd::StoppedByError;
        else if (report.failures > 0 || !outcome.withheld.isEmpty())
            outcome.end = SyncEnd::CompletedWithErrors;
        else
            outcome.end = SyncEnd::Completed;

        outcome.recorded = AppendSyncRecord(request.appFolder, QDateTime::currentDateTime(), request.historyLeft, request.historyRight,
                         outcome.RecordText(), request.historyEntries, services.errors, request.errorLabel);
        // The chime means "done": a run that was cancelled or stopped by a failure is not.
        if ((outcome.end == SyncEnd::Completed || outcome.end == SyncEnd::CompletedWithErrors) && request.sound)
            frontEnd.PlayCompletionSound();
        frontEnd.Finished(outcome);
    } catch (...) {
        // Whatever ran stays done; the record is left out as for any unexpected end.
        outcome.end = SyncEnd::Unexpected;
        services.errors.HandleUnexpectedError(request.errorLabel);
    }
    return outcome;
}
