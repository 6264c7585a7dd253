#include "cmd/CmdUndo.h"

#include "cmd/CmdCompare.h"
#include "cmd/CompareOptions.h"
#include "compare/CCompare.h"
#include "sync/SyncUndo.h"

#include <cstdio>

namespace {

bool WriteLine(const QByteArray& line, FILE* out)
{
    return std::fwrite(line.constData(), 1, size_t(line.size()), out) == size_t(line.size()) && std::fflush(out) == 0;
}

QByteArray StepLine(const UndoStep& step)
{
    QByteArray line = UndoStepWord(step.action).toUtf8() + '\t';
    if (step.action == UndoStep::Action::RenameBack)
        line += EscapedField(step.from) + '\t';
    return line + EscapedField(step.path) + '\n';
}

QByteArray LeftLine(const UndoLeft& left)
{
    return (left.changed ? "changed\t" : "missing\t") + EscapedField(left.path) + '\t' + EscapedField(left.why) + '\n';
}

// The journal of the settings' application folder; false (said on standard error) when it cannot be used.
bool OpenJournal(CommandSession& session, std::optional<SyncJournal>& journal)
{
    journal.emplace(session.ctx.AppFolder());
    if (journal->IsOpen())
        return true;
    std::fprintf(stderr, "parvexcmd: %s\n", journal->Problem().toUtf8().constData());
    return false;
}

bool NoOptions(const QStringList& args, const QString& command, const ExtraOptionParser& extra, bool& help)
{
    QStringList positional;
    const QString error = ParseOptionArguments(args, positional, [&](const QString& name, const std::optional<QString>& inlineValue,
                                                                     const std::function<std::optional<QString>()>& value,
                                                                     QString& problem) {
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            help = true;
            return true;
        }
        return extra ? extra(name, inlineValue, value, problem) : false;
    });
    if (!error.isEmpty() || !positional.isEmpty()) {
        std::fprintf(stderr, "parvexcmd: %s\n",
                     (error.isEmpty() ? QStringLiteral("%1 takes no folders").arg(command) : error).toUtf8().constData());
        return false;
    }
    return true;
}

} // namespace

QString HistoryUsage()
{
    return QStringLiteral("  history\n"
                          "      Lists the synchronisations of the journal, the newest first: number, date, method, left\n"
                          "      folder, right folder, outcome, copied, replaced, deleted and failed objects, tab-separated,\n"
                          "      with \"undone by N\" or \"undo of N\" where that applies.\n");
}

QString UndoUsage()
{
    return QStringLiteral("  undo [--dry-run] [--run N]\n"
                          "      Takes back the last synchronisation not yet undone (or run N of history): what it made goes\n"
                          "      to the trash where it is unchanged, what it replaced or deleted comes back from the trash.\n"
                          "      Objects left as they were go to standard error as changed or missing, a tab, the path.\n"
                          "      Exit status 0: everything came back; 1: objects changed since were left; 2: trouble.\n"
                          "    --dry-run       write what undo would do and change nothing\n"
                          "    --run N         undo run N instead of the last one\n");
}

int RunHistoryCommand(const QStringList& args)
{
    bool help = false;
    if (!NoOptions(args, QStringLiteral("history"), {}, help))
        return ExitTrouble;
    if (help)
        return WriteStandardOutput(HistoryUsage());
    CommandSession session;
    std::optional<SyncJournal> journal;
    if (!OpenJournal(session, journal))
        return ExitTrouble;
    for (const SyncJournal::RunRecord& run : journal->Runs()) {
        QByteArray line = QByteArray::number(run.id) + '\t' + run.started.toString(Qt::ISODate).toUtf8() + '\t'
                          + EscapedField(run.method) + '\t' + EscapedField(run.left) + '\t' + EscapedField(run.right) + '\t'
                          + EscapedField(run.outcome.isEmpty() ? QStringLiteral("Did Not End") : run.outcome) + '\t'
                          + QByteArray::number(run.copied) + '\t' + QByteArray::number(run.replaced) + '\t'
                          + QByteArray::number(run.deleted) + '\t' + QByteArray::number(run.failed);
        if (run.undoneBy != 0)
            line += "\tundone by " + QByteArray::number(run.undoneBy);
        if (run.undoOf != 0)
            line += "\tundo of " + QByteArray::number(run.undoOf);
        if (!WriteLine(line + '\n', stdout))
            return ExitTrouble;
    }
    return ExitSame;
}

int RunUndoCommand(const QStringList& args)
{
    bool help = false;
    bool dryRun = false;
    qint64 run = 0;
    const bool parsed = NoOptions(args, QStringLiteral("undo"),
                                  [&](const QString& name, const std::optional<QString>& inlineValue,
                                      const std::function<std::optional<QString>()>& value, QString& error) {
                                      if (name == QLatin1String("--dry-run")) {
                                          dryRun = true;
                                          if (inlineValue)
                                              error = QStringLiteral("option --dry-run takes no value");
                                          return true;
                                      }
                                      if (name == QLatin1String("--run")) {
                                          const auto v = value();
                                          bool ok = false;
                                          run = v ? v->toLongLong(&ok) : 0;
                                          if (!ok || run <= 0)
                                              error = QStringLiteral("option --run needs a run number of history");
                                          return true;
                                      }
                                      return false;
                                  },
                                  help);
    if (!parsed)
        return ExitTrouble;
    if (help)
        return WriteStandardOutput(UndoUsage());
    CommandSession session;
    std::optional<SyncJournal> journal;
    if (!OpenJournal(session, journal))
        return ExitTrouble;
    const UndoPlan plan = PlanUndo(*journal, run);
    if (!plan.problem.isEmpty()) {
        std::fprintf(stderr, "parvexcmd: %s\n", plan.problem.toUtf8().constData());
        return ExitTrouble;
    }
    bool writeFailed = false;
    std::vector<UndoLeft> left = plan.left;
    bool failed = false;
    if (dryRun) {
        for (const UndoStep& step : plan.steps)
            writeFailed = writeFailed || !WriteLine(StepLine(step), stdout);
    } else {
        // SIGINT and SIGTERM cancel between objects, as they cancel a comparison.
        FileOps::Control control;
        control.cancel = session.ctx.Compare().CancelFlag();
        const UndoOutcome outcome = CarryOutUndo(*journal, plan, control, [&](const UndoStep& step, const FileOps::Result& result) {
            if (result.ok()) {
                writeFailed = writeFailed || !WriteLine(StepLine(step), stdout);
                return;
            }
            const QString reason = QString::number(result.error) + QStringLiteral(" - ") + result.errorText
                                   + (result.failedPath.isEmpty() ? QString() : QStringLiteral(" (") + result.failedPath + QLatin1Char(')'));
            WriteLine("failed\t" + EscapedField(step.path) + '\t' + EscapedField(reason) + '\n', stderr);
        });
        left = outcome.left;
        failed = !outcome.failures.empty() || outcome.cancelled;
        if (outcome.cancelled)
            std::fprintf(stderr, "parvexcmd: undo cancelled\n");
        if (!journal->Problem().isEmpty())
            std::fprintf(stderr, "parvexcmd: %s\n", journal->Problem().toUtf8().constData());
    }
    bool missing = false;
    bool changed = false;
    for (const UndoLeft& object : left) {
        WriteLine(LeftLine(object), stderr);
        (object.changed ? changed : missing) = true;
    }
    if (writeFailed || failed || missing)
        return ExitTrouble;
    return changed ? ExitDifferent : ExitSame;
}
