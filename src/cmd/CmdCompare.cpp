#include "cmd/CmdCompare.h"

#include "cmd/CompareOptions.h"

#include "app/AppContext.h"
#include "base/ErrorHandler.h"
#include "cmd/ConsoleDialogs.h"
#include "cmd/ConsoleProgressView.h"
#include "cmd/Interruption.h"
#include "compare/CCompare.h"
#include "compare/CompareRun.h"
#include "settings/OptionTable.h"
#include "settings/SettingsTable.h"
#include "sync/SyncMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace {
// Standard output gets up to a million lines: gather them and write in large blocks.
//
// Linux names may hold tabs and line ends, which would split a field or a line, and bytes that are not
// UTF-8; so within a field a backslash, tab, line feed and carriage return are written as \\, \t, \n
// and \r, and such a byte as \xHH (EscapedField). Every line then has exactly six fields, and reading
// the escapes back gives the name exactly.
//
// A write that fails (a full disk) ends the writing: output cut short must not pass for the results.
class LineWriter final
{
public:
    // note: the seventh field, written when given.
    void Line(const QString& a, const QString& b, const QString& c, const QString& d, const QString& e, const QString& f,
              const QString* note = nullptr)
    {
        if (m_error != 0)
            return;
        const QString* fields[] = {&a, &b, &c, &d, &e, &f, note};
        for (const QString* field : fields) {
            if (field == nullptr)
                break;
            if (field != fields[0])
                m_buffer += '\t';
            Append(*field);
        }
        m_buffer += '\n';
        if (m_buffer.size() >= 1 << 16)
            Flush();
    }
    // Writes what is gathered; answers 0 or the errno of the write that failed, now or before.
    int Flush()
    {
        if (m_error == 0) {
            errno = 0;
            if (!m_buffer.isEmpty()
                && std::fwrite(m_buffer.constData(), 1, static_cast<size_t>(m_buffer.size()), stdout)
                       != static_cast<size_t>(m_buffer.size()))
                m_error = errno != 0 ? errno : EIO;
            else if (std::fflush(stdout) != 0)
                m_error = errno != 0 ? errno : EIO;
        }
        m_buffer.clear();
        return m_error;
    }

private:
    void Append(const QString& field) { m_buffer += EscapedField(field); }

    QByteArray m_buffer;
    int m_error = 0;
};

int ReportWriteFailure(int error)
{
    std::fprintf(stderr, "parvexcmd: cannot write to standard output: %s\n",
                 DescribeSystemError(error).toUtf8().constData());
    return ExitTrouble;
}

QString SizeField(const ResultRow& row) { return row.IsPlaceholder() ? QString() : QString::number(row.size); }

bool IsSamePair(Category left, Category right)
{
    auto same = [](Category c) { return c == Category::Same || c == Category::IdenticalFolder; };
    return same(left) && same(right);
}

} // namespace

int WriteStandardOutput(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) != static_cast<size_t>(bytes.size())
        || std::fflush(stdout) != 0)
        return ReportWriteFailure(errno != 0 ? errno : EIO);
    return ExitSame;
}

QString CompareUsage()
{
    return QStringLiteral(
        "  compare [options] LEFT RIGHT\n"
        "      Compares two folders. Writes one line per row pair: left text, left size, left category,\n"
        "      right text, right size, right category, separated by tabs. A backslash, tab, line feed or\n"
        "      carriage return inside a name is written as \\\\, \\t, \\n or \\r, a byte that is not UTF-8\n"
        "      as \\xHH. Exit status: 0 when everything is the same, 1 when anything differs, 2 on trouble.\n"
        "    --method quick|contents|crc|sha      --chunk-size BYTES\n"
        "    --subfolders | --no-subfolders       --details\n"
        "    With --details, the files of differing sub-folders follow the rows, and where the folders were\n"
        "    synchronised before, every line has a seventh field: what changed since then (\"Deleted on the\n"
        "    left since the last synchronization\", \"Moved from NAME\", \"Changed on both sides since the\n"
        "    last synchronization\"), empty when nothing is known.\n"
        "    --include TEXT  --exclude TEXT       (filter texts as in the Options window; \"\" means none)\n"
        "    --exclude-hidden-files --exclude-system-files --exclude-hidden-folders --exclude-system-folders\n"
        "    --ignore-2sec | --no-ignore-2sec     --ignore-dst | --no-ignore-dst\n"
        "    --help\n"
        "    Settings not given come from parvex.ini in the application folder.\n");
}

int RunCompareCommand(const QStringList& args)
{
    CompareOptions options;
    const QString usageError = ParseCompareOptions(args, options, {}, QStringLiteral("compare"));
    if (!usageError.isEmpty()) {
        std::fprintf(stderr, "parvexcmd: %s\n%s", usageError.toUtf8().constData(), CompareUsage().toUtf8().constData());
        return ExitTrouble;
    }
    if (options.help)
        return WriteStandardOutput(CompareUsage());

    CommandSession session;
    if (!session.Start({SettingOwner::Compare}, options))
        return ExitTrouble;
    AppContext& ctx = session.ctx;
    ConsoleDialogs& dialogs = session.dialogs;
    ConsoleProgressView& view = session.view;
    CCompare& compare = ctx.Compare();

    CompareResults results(ctx.Errors());
    NullEventPump pump;
    CompareRun run(ctx.ComparisonServices(), results, view, pump);
    // A signal before the run begins would be forgotten: the run clears the cancel flag as it starts.
    const CompareOutcome outcome =
        Interruption::Happened()
            ? CompareOutcome::Cancelled
            : run.CompareDirs(FolderArgument(options.folders[0]), FolderArgument(options.folders[1]), true, false);
    ctx.Lib().SetMessageHandler(nullptr, nullptr);
    Interruption::EnterOutput();
    if (Interruption::Happened()) {
        Interruption::Report();
        return ExitTrouble;
    }
    if (outcome == CompareOutcome::Cancelled)
        return ExitTrouble;

    // With details, a pair that was synchronised before has a seventh column: what its memory says of the row.
    const MemoryNotes notes = NoteChangesSinceLastSync(ctx.AppFolder(), results);
    if (!notes.problem.isEmpty())
        std::fprintf(stderr, "parvexcmd: %s The folders are compared without the memory of their last "
                             "synchronization.\n",
                     notes.problem.toUtf8().constData());
    const bool noteColumn = options.details && notes.used;
    QString noteText;
    const auto noteOf = [&](const ResultRow& l, const ResultRow& r) -> const QString* {
        if (!noteColumn)
            return nullptr;
        noteText = RowNoteText(l);
        if (noteText.isEmpty())
            noteText = RowNoteText(r);
        return &noteText;
    };

    LineWriter out;
    bool allSame = true;
    const size_t rows = std::min(results.holdSource.size(), results.holdTarget.size());
    for (size_t i = 0; i < rows; ++i) {
        const ResultRow& l = results.holdSource[i];
        const ResultRow& r = results.holdTarget[i];
        out.Line(l.text, SizeField(l), CategoryKey(l.icon), r.text, SizeField(r), CategoryKey(r.icon), noteOf(l, r));
        allSame = allSame && IsSamePair(l.icon, r.icon);
    }
    if (options.details) {
        for (const CSubFolderDiffs& diffs : results.allSubFolderDiffs) {
            // Each side's names are written as that side spells the sub-folder and its files.
            const QString prefix = diffs.strSubFolderName() + QLatin1Char('/');
            const QString targetPrefix = diffs.TargetSubFolderName() + QLatin1Char('/');
            const size_t n = std::min(diffs.DiffOne().size(), diffs.DiffTwo().size());
            for (size_t i = 0; i < n; ++i) {
                const ResultRow& l = diffs.DiffOne()[i];
                const ResultRow& r = diffs.DiffTwo()[i];
                out.Line(l.IsPlaceholder() ? QString() : prefix + l.text, SizeField(l), CategoryKey(l.icon),
                         r.IsPlaceholder() ? QString() : targetPrefix + r.text, SizeField(r), CategoryKey(r.icon),
                         noteOf(l, r));
            }
        }
    }
    if (const int error = out.Flush())
        return ReportWriteFailure(error);
    Interruption::Uninstall();

    if (compare.ErrorsDuringCompare() || dialogs.TroubleShown())
        return ExitTrouble;
    return allSame ? ExitSame : ExitDifferent;
}
