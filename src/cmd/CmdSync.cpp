#include "cmd/CmdSync.h"

#include "compare/SubFolderCompare.h"

#include "app/AppContext.h"
#include "cmd/CmdCompare.h"
#include "cmd/CompareOptions.h"
#include "cmd/ConsoleDialogs.h"
#include "cmd/ConsoleProgressView.h"
#include "cmd/Interruption.h"
#include "compare/CompareRun.h"
#include "platform/DriveQueries.h"
#include "sync/SyncMemory.h"
#include "sync/SyncMethodTexts.h"
#include "sync/SyncSession.h"
#include "views/PaneRows.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>

namespace {

struct SyncOptions
{
    std::optional<int32_t> method;
    std::optional<CSyncSettings::Rules> rules;
    QStringList only;
    bool dryRun = false;
    std::optional<bool> followDeletions;
    bool ignoreSpace = false;
    qint64 maxDeleteCount = -1;
    int maxDeletePercent = -1;
};

constexpr int ExitGuarded = 3;

const char* const MethodNames[] = {"right-same-as-left", "left-same-as-right", "both-ways", "custom",
                                   "orphans-to-left", "orphans-to-right", "newer-to-left", "newer-to-right"};

std::optional<int32_t> MethodFromText(const QString& text)
{
    bool number = false;
    const int n = text.toInt(&number);
    if (number)
        return n >= 0 && n < CSyncSettings::MethodCount ? std::optional<int32_t>(n) : std::nullopt;
    for (int i = 0; i < CSyncSettings::MethodCount; ++i)
        if (text == QLatin1String(MethodNames[i]))
            return i;
    return std::nullopt;
}

std::optional<CSyncSettings::Rules> RulesFromText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 8)
        return std::nullopt;
    CSyncSettings::Rules rules{};
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        const int code = parts[i].trimmed().toInt(&ok);
        if (!ok || code < 0 || code > 3)
            return std::nullopt;
        rules[size_t(i)] = code;
    }
    return rules;
}

ExtraOptionParser SyncOptionParser(SyncOptions& s)
{
    return [&s](const QString& name, const std::optional<QString>& inlineValue,
                const std::function<std::optional<QString>()>& value, QString& error) {
        const auto noValue = [&] {
            if (inlineValue)
                error = QStringLiteral("option %1 takes no value").arg(name);
        };
        if (name == QLatin1String("--sync")) {
            const auto v = value();
            s.method = v ? MethodFromText(*v) : std::nullopt;
            if (!s.method)
                error = QStringLiteral("option --sync needs a method: 0-7, right-same-as-left, left-same-as-right, both-ways, "
                                       "custom, orphans-to-left, orphans-to-right, newer-to-left or newer-to-right");
        } else if (name == QLatin1String("--rules")) {
            const auto v = value();
            s.rules = v ? RulesFromText(*v) : std::nullopt;
            if (!s.rules)
                error = QStringLiteral("option --rules needs eight action codes 0-3, comma-separated");
        } else if (name == QLatin1String("--only")) {
            const auto v = value();
            if (!v || v->isEmpty())
                error = QStringLiteral("option --only needs a row text");
            else
                s.only << *v;
        } else if (name == QLatin1String("--dry-run")) {
            s.dryRun = true;
            noValue();
        } else if (name == QLatin1String("--follow-deletions") || name == QLatin1String("--no-follow-deletions")) {
            s.followDeletions = name == QLatin1String("--follow-deletions");
            noValue();
        } else if (name == QLatin1String("--max-delete")) {
            const auto v = value();
            bool ok = false;
            if (v && v->endsWith(QLatin1Char('%'))) {
                const int percent = v->chopped(1).toInt(&ok);
                ok = ok && percent >= 0 && percent <= 100;
                s.maxDeletePercent = ok ? percent : -1;
            } else if (v) {
                const qint64 count = v->toLongLong(&ok);
                ok = ok && count >= 0;
                s.maxDeleteCount = ok ? count : -1;
            }
            if (!ok)
                error = QStringLiteral("option --max-delete needs a count of objects (N) or a share of a side (N%)");
        } else if (name == QLatin1String("--ignore-space")) {
            s.ignoreSpace = true;
            noValue();
        } else {
            return false;
        }
        return true;
    };
}

// The rows named by --only, by their text on either side; the names found nowhere in *missing.
RowIndexes SelectedRows(const CompareResults& results, const QStringList& names, QStringList* missing)
{
    RowIndexes rows;
    for (const QString& name : names) {
        bool found = false;
        for (size_t i = 0; i < results.holdSource.size() && i < results.holdTarget.size(); ++i) {
            if (results.holdSource[i].text == name || results.holdTarget[i].text == name) {
                rows.push_back(int(i));
                found = true;
            }
        }
        if (!found)
            *missing << name;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// One line per operation; written at once, so a reader sees each as it happens.
bool WriteLine(const QByteArray& line, FILE* out)
{
    return std::fwrite(line.constData(), 1, size_t(line.size()), out) == size_t(line.size()) && std::fflush(out) == 0;
}

QByteArray StepLine(const SyncStep& step)
{
    if (step.IsMove())
        return ActionWord(step.action).toUtf8() + '\t' + EscapedField(step.text) + '\t' + EscapedField(step.movedTo) + '\n';
    return ActionWord(step.action).toUtf8() + '\t' + EscapedField(step.text) + '\n';
}

void WriteConflicts(const QStringList& conflicts)
{
    for (const QString& path : conflicts)
        WriteLine("conflict\t" + EscapedField(path) + '\n', stderr);
}

// The command's side of a synchronisation: the plan of a dry run, each operation as it ends on standard
// output (failures on standard error), what was withheld on standard error.
class ConsoleSyncFrontEnd final : public SyncFrontEnd
{
public:
    ConsoleSyncFrontEnd(const SyncOptions& options, ConsoleDialogs& dialogs, const std::atomic<bool>* cancel)
        : m_options(options), m_dialogs(dialogs), m_cancel(cancel)
    {
    }

    // The plan is confirmed without a question; a dry run writes it and ends the session there.
    // A plan the deletion guard stops is refused with its reason: a command asks nobody.
    bool ConfirmPlan(const std::vector<SyncStep>& plan, const QStringList&, const QString& guardReason,
                     const QStringList& conflicts) override
    {
        if (m_options.dryRun) {
            for (const SyncStep& step : plan)
                m_writeFailed = m_writeFailed || !WriteLine(StepLine(step), stdout);
            WriteConflicts(conflicts);
        }
        if (!guardReason.isEmpty())
            WriteLine("parvexcmd: " + guardReason.toUtf8()
                          + " Nothing was changed; --max-delete N or N% allows such a run.\n",
                      stderr);
        return !m_options.dryRun && guardReason.isEmpty();
    }
    bool ConfirmLowSpace(const SpaceCheck&, const QString& text) override
    {
        m_dialogs.Print(text, LowDiskSpaceTitle());
        m_spaceShort = !m_options.ignoreSpace;
        return m_options.ignoreSpace;
    }
    void RunWork(size_t, const std::function<void(const FileOps::Control&)>& work) override
    {
        FileOps::Control control;
        control.cancel = m_cancel;
        work(control);
    }
    void StepEnded(const SyncStep& step, const FileOps::Result& result, size_t, size_t) override
    {
        if (result.ok()) {
            m_writeFailed = m_writeFailed || !WriteLine(StepLine(step), stdout);
            return;
        }
        const QString reason = QString::number(result.error) + QStringLiteral(" - ") + result.errorText
                               + (result.failedPath.isEmpty() ? QString() : QStringLiteral(" (") + result.failedPath + QLatin1Char(')'));
        WriteLine("failed\t" + EscapedField(step.text) + '\t' + EscapedField(reason) + '\n', stderr);
    }
    void PlayCompletionSound() override {}
    void Finished(const SyncOutcome& outcome) override
    {
        WriteConflicts(outcome.conflicts);
        for (const QString& folder : outcome.withheld)
            WriteLine("withheld\t" + EscapedField(folder)
                          + "\tnothing was deleted here: the comparison could not read it completely\n",
                      stderr);
    }

    bool WriteFailed() const { return m_writeFailed; }
    bool SpaceShort() const { return m_spaceShort; }

private:
    const SyncOptions& m_options;
    ConsoleDialogs& m_dialogs;
    const std::atomic<bool>* m_cancel;
    bool m_writeFailed = false;
    bool m_spaceShort = false;
};

} // namespace

QString SyncUsage()
{
    return QStringLiteral(
        "  sync [compare options] [--sync METHOD] [--rules R] [--only NAME]... [--dry-run] [--ignore-space]\n"
        "       [--max-delete N|N%] LEFT RIGHT\n"
        "      Compares two folders, then synchronises them. Writes one line per operation as it succeeds:\n"
        "      delete-left, delete-right, copy-to-right or copy-to-left, a tab, the row text (\"a.txt\",\n"
        "      \"/Docs\", \"Docs/Old/b.txt\" inside a differing sub-folder), escaped as compare escapes names.\n"
        "      An object the other side has under a new name is renamed instead of copied and deleted:\n"
        "      move-left or move-right, a tab, the old name, a tab, the new name.\n"
        "      A failed operation is written to standard error as failed, the text and the reason; a pair\n"
        "      changed on both sides since the last synchronization, left as it is, as conflict and its\n"
        "      text (exit status 1 when nothing else went wrong).\n"
        "    --sync METHOD   0-7 or right-same-as-left, left-same-as-right, both-ways, custom,\n"
        "                    orphans-to-left, orphans-to-right, newer-to-left, newer-to-right\n"
        "    --rules R       eight action codes 0-3 (leave, copy, replace, delete), comma-separated: left new,\n"
        "                    old, orphan, binary, then right; implies custom\n"
        "    --only NAME     synchronise only this row (a folder as \"/Docs\"); may be repeated\n"
        "    --dry-run       write the plan and change nothing\n"
        "    --follow-deletions | --no-follow-deletions\n"
        "                    carry what one side deleted since the last synchronization to the other side\n"
        "                    and leave pairs changed on both sides alone (the default of both-ways)\n"
        "    --ignore-space  go on when the free space looks short\n"
        "    --max-delete N  allow a run that deletes up to N objects on a side (N%: up to N percent of a side);\n"
        "                    without it a run that would delete more than half of a side holding 20 or more\n"
        "                    objects, or whose folder is on another file system than at the last run, is\n"
        "                    stopped with exit status 3\n"
        "    What a run replaces or deletes is kept in the trash and recorded, for \"parvexcmd undo\".\n"
        "    Without --sync the method (and the custom rules) come from parvex.ini.\n");
}

int RunSyncCommand(const QStringList& args)
{
    CompareOptions options;
    SyncOptions sync;
    const QString usageError = ParseCompareOptions(args, options, SyncOptionParser(sync), QStringLiteral("sync"));
    if (!usageError.isEmpty()) {
        std::fprintf(stderr, "parvexcmd: %s\n%s", usageError.toUtf8().constData(), SyncUsage().toUtf8().constData());
        return ExitTrouble;
    }
    if (options.help)
        return WriteStandardOutput(SyncUsage());

    CommandSession session;
    // The history's length is the one key of the window's own a synchronisation needs.
    if (!session.Start({SettingOwner::Compare, SettingOwner::Sync}, options,
                       {QStringLiteral("NumSyncLogEntries"), QStringLiteral("KeepForUndo"), QStringLiteral("DeletionGuardShare"),
                        QStringLiteral("DeletionGuardFloor")}))
        return ExitTrouble;
    AppContext& ctx = session.ctx;
    ConsoleDialogs& dialogs = session.dialogs;
    ConsoleProgressView& view = session.view;
    CCompare& compare = ctx.Compare();
    CSyncSettings& settings = ctx.SyncSettings();
    if (sync.rules) {
        settings.SetSyncMethod(CSyncSettings::Custom);
        settings.SetAllRules(*sync.rules);
    } else if (sync.method) {
        settings.SetSyncMethod(*sync.method);
    }
    if (sync.followDeletions)
        settings.SetFollowDeletions(*sync.followDeletions);

    CompareResults results(ctx.Errors());
    NullEventPump pump;
    CompareRun run(ctx.ComparisonServices(), results, view, pump);
    const CompareOutcome outcome =
        Interruption::Happened()
            ? CompareOutcome::Cancelled
            : run.CompareDirs(FolderArgument(options.folders[0]), FolderArgument(options.folders[1]), true, false);
    if (Interruption::Happened()) {
        Interruption::Report();
        return ExitTrouble;
    }
    if (outcome == CompareOutcome::Cancelled || IsNoResultsList(results.holdSource))
        return ExitTrouble;
    // A comparison that could not read everything still copies; the session withholds the deletions it
    // cannot vouch for, and the exit status says that not everything was read.
    const bool incomplete = compare.ErrorsDuringCompare() || dialogs.TroubleShown();

    QStringList missing;
    const RowIndexes selected = SelectedRows(results, sync.only, &missing);
    if (!missing.isEmpty()) {
        for (const QString& name : missing)
            std::fprintf(stderr, "parvexcmd: no row \"%s\" in the comparison\n", name.toUtf8().constData());
        return ExitTrouble;
    }
    const QString leftFolder = results.source.Path();
    const QString rightFolder = results.target.Path();
    const TreeFilters filters = MakeTreeFilters(compare);
    const MemoryNotes notes = NoteChangesSinceLastSync(ctx.AppFolder(), results);
    if (!notes.problem.isEmpty())
        std::fprintf(stderr, "parvexcmd: %s The folders are compared without the memory of their last "
                             "synchronization.\n",
                     notes.problem.toUtf8().constData());
    SyncRequest request({results.holdSource, results.holdTarget, leftFolder, rightFolder, results.allSubFolderDiffs,
                         settings.AllRules(), sync.only.isEmpty() ? nullptr : &selected, &filters});
    request.input.followDeletions = settings.FollowDeletions();
    request.confirm = true;
    request.historyLeft = leftFolder;
    request.historyRight = rightFolder;
    request.appFolder = ctx.AppFolder();
    request.historyEntries = ctx.MainOptions().NumSyncLogEntries;
    request.errorLabel = QStringLiteral("parvexcmd.sync");
    request.keepForUndo = ctx.MainOptions().KeepForUndo;
    request.guard.sharePercent = ctx.MainOptions().DeletionGuardShare;
    request.guard.floor = ctx.MainOptions().DeletionGuardFloor;
    request.guard.maxCount = sync.maxDeleteCount;
    request.guard.maxPercent = sync.maxDeletePercent;
    for (const SyncMethodItem& item : SyncMethodListItems())
        if (item.method == settings.SyncMethod())
            request.methodText = item.text;

    ConsoleSyncFrontEnd frontEnd(sync, dialogs, compare.CancelFlag());
    const SyncOutcome done = RunSyncSession(request, {dialogs, ctx.Errors(), DriveQueries::System(), ctx.Lib()}, frontEnd);
    ctx.Lib().SetMessageHandler(nullptr, nullptr);
    if (!done.journalProblem.isEmpty() && done.journalProblem != notes.problem)
        std::fprintf(stderr, "parvexcmd: %s\n", done.journalProblem.toUtf8().constData());
    if (!done.memoryProblem.isEmpty() && done.memoryProblem != done.journalProblem)
        std::fprintf(stderr, "parvexcmd: %s\n", done.memoryProblem.toUtf8().constData());
    if (frontEnd.WriteFailed())
        return ExitTrouble;
    if (done.end == SyncEnd::Guarded)
        return ExitGuarded;
    if (!done.Ran())
        return sync.dryRun && !frontEnd.SpaceShort() && done.end == SyncEnd::Declined
                   ? (done.conflicts.isEmpty() ? ExitSame : ExitDifferent)
                   : ExitTrouble;
    if (Interruption::Happened()) {
        std::fprintf(stderr, "parvexcmd: synchronisation cancelled\n");
        return ExitTrouble;
    }
    if (!done.recorded) {
        std::fprintf(stderr, "parvexcmd: the synchronization history could not be written\n");
        return ExitTrouble;
    }
    if (done.end != SyncEnd::Completed || incomplete)
        return ExitTrouble;
    return done.conflicts.isEmpty() ? ExitSame : ExitDifferent;
}
