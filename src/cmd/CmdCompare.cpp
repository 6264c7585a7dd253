#include "cmd/CmdCompare.h"

#include "app/AppContext.h"
#include "base/ErrorHandler.h"
#include "cmd/ConsoleDialogs.h"
#include "cmd/ConsoleProgressView.h"
#include "cmd/Interruption.h"
#include "compare/CCompare.h"
#include "compare/CompareRun.h"
#include "compare/Sha1.h"
#include "model/PathUtils.h"
#include "settings/ChunkSizeRule.h"
#include "settings/OptionTable.h"
#include "settings/SettingsTable.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace {
// What the command line sets; anything left unset comes from the settings file.
struct CompareOptions
{
    std::optional<int32_t> method;
    std::optional<int32_t> chunkSize;
    std::optional<bool> subFolders;
    std::optional<QString> include;
    std::optional<QString> exclude;
    bool excludeHiddenFiles = false;
    bool excludeSystemFiles = false;
    bool excludeHiddenFolders = false;
    bool excludeSystemFolders = false;
    std::optional<bool> ignoreTwoSec;
    std::optional<bool> ignoreDst;
    bool details = false;
    bool help = false;
    QStringList folders;
};

constexpr int ExitSame = 0;
constexpr int ExitDifferent = 1;
constexpr int ExitTrouble = 2;

// Parses args; answers an error text for bad usage, empty when fine.
QString ParseOptions(const QStringList& args, CompareOptions& o)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--")) ) {
            o.folders << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        std::optional<QString> inlineValue;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            inlineValue = arg.mid(eq + 1);
            arg = arg.left(eq);
        }
        auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        auto flag = [&](bool& target) {
            target = true;
            return inlineValue ? QStringLiteral("option %1 takes no value").arg(arg) : QString();
        };
        auto toggle = [&](std::optional<bool>& target, bool on) {
            target = on;
            return inlineValue ? QStringLiteral("option %1 takes no value").arg(arg) : QString();
        };

        QString error;
        if (arg == QLatin1String("--help")) {
            o.help = true;
        } else if (arg == QLatin1String("--method")) {
            const auto v = value();
            if (!v)
                return QStringLiteral("option --method needs a value");
            if (*v == QLatin1String("quick"))
                o.method = CCompare::Quick;
            else if (*v == QLatin1String("contents"))
                o.method = CCompare::ThoroughString;
            else if (*v == QLatin1String("crc"))
                o.method = CCompare::ThoroughCRC;
            else if (*v == QLatin1String("sha"))
                o.method = CCompare::SHA;
            else
                return QStringLiteral("unknown method \"%1\" (quick, contents, crc or sha)").arg(*v);
        } else if (arg == QLatin1String("--chunk-size")) {
            const auto v = value();
            bool ok = false;
            const qlonglong n = v ? v->toLongLong(&ok) : 0;
            if (!ok || n <= 0)
                return QStringLiteral("option --chunk-size needs a whole number of bytes above 0");
            // The content comparison holds two chunks at once; the settings file refuses the same sizes.
            if (n > ChunkSizeRule::Largest)
                return QStringLiteral("option --chunk-size takes at most %1 bytes").arg(ChunkSizeRule::Largest);
            o.chunkSize = static_cast<int32_t>(n);
        } else if (arg == QLatin1String("--include") || arg == QLatin1String("--exclude")) {
            const auto v = value();
            if (!v)
                return QStringLiteral("option %1 needs a value").arg(arg);
            (arg == QLatin1String("--include") ? o.include : o.exclude) = *v;
        } else if (arg == QLatin1String("--subfolders")) {
            error = toggle(o.subFolders, true);
        } else if (arg == QLatin1String("--no-subfolders")) {
            error = toggle(o.subFolders, false);
        } else if (arg == QLatin1String("--details")) {
            error = flag(o.details);
        } else if (arg == QLatin1String("--exclude-hidden-files")) {
            error = flag(o.excludeHiddenFiles);
        } else if (arg == QLatin1String("--exclude-system-files")) {
            error = flag(o.excludeSystemFiles);
        } else if (arg == QLatin1String("--exclude-hidden-folders")) {
            error = flag(o.excludeHiddenFolders);
        } else if (arg == QLatin1String("--exclude-system-folders")) {
            error = flag(o.excludeSystemFolders);
        } else if (arg == QLatin1String("--ignore-2sec")) {
            error = toggle(o.ignoreTwoSec, true);
        } else if (arg == QLatin1String("--no-ignore-2sec")) {
            error = toggle(o.ignoreTwoSec, false);
        } else if (arg == QLatin1String("--ignore-dst")) {
            error = toggle(o.ignoreDst, true);
        } else if (arg == QLatin1String("--no-ignore-dst")) {
            error = toggle(o.ignoreDst, false);
        } else {
            return QStringLiteral("unknown option %1").arg(arg);
        }
        if (!error.isEmpty())
            return error;
    }
    if (!o.help && o.folders.size() != 2)
        return QStringLiteral("compare needs two folders, LEFT and RIGHT");
    return {};
}

void ApplyOptions(const CompareOptions& o, CCompare& compare)
{
    if (o.method)
        compare.SetCompareMethod(*o.method);
    if (o.chunkSize)
        compare.SetChunkSize(*o.chunkSize);
    if (o.subFolders)
        compare.SetCompareSubFolders(*o.subFolders);
    if (o.include)
        compare.SetIncludeFilters(*o.include);
    if (o.exclude)
        compare.SetExcludeFilters(*o.exclude);
    if (o.excludeHiddenFiles)
        compare.SetExcludeHiddenFiles(true);
    if (o.excludeSystemFiles)
        compare.SetExcludeSystemFiles(true);
    if (o.excludeHiddenFolders)
        compare.SetExcludeHiddenFolders(true);
    if (o.excludeSystemFolders)
        compare.SetExcludeSystemFolders(true);
    if (o.ignoreTwoSec)
        compare.SetIgnoreFAT_NTFS_TwoSecDiff(*o.ignoreTwoSec);
    if (o.ignoreDst)
        compare.SetIgnoreFAT_NTFS_DaylightSavings(*o.ignoreDst);
}

// Standard output gets up to a million lines: gather them and write in large blocks.
//
// Linux names may hold tabs and line ends, which would split a field or a line; so within a field a
// backslash, tab, line feed and carriage return are written as \\, \t, \n and \r. Every line then has
// exactly six fields, and reading the escapes back gives the name exactly.
//
// A write that fails (a full disk) ends the writing: output cut short must not pass for the results.
class LineWriter final
{
public:
    void Line(const QString& a, const QString& b, const QString& c, const QString& d, const QString& e, const QString& f)
    {
        if (m_error != 0)
            return;
        const QString* fields[] = {&a, &b, &c, &d, &e, &f};
        for (const QString* field : fields) {
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
    void Append(const QString& field)
    {
        const QByteArray bytes = field.toUtf8();
        if (std::none_of(bytes.cbegin(), bytes.cend(), [](char c) { return c == '\\' || c == '\t' || c == '\n' || c == '\r'; })) {
            m_buffer += bytes;
            return;
        }
        for (const char c : bytes) {
            switch (c) {
            case '\\': m_buffer += "\\\\"; break;
            case '\t': m_buffer += "\\t"; break;
            case '\n': m_buffer += "\\n"; break;
            case '\r': m_buffer += "\\r"; break;
            default: m_buffer += c; break;
            }
        }
    }

    QByteArray m_buffer;
    int m_error = 0;
};

int ReportWriteFailure(int error)
{
    std::fprintf(stderr, "parvexcmd: cannot write to standard output: %s\n",
                 DescribeSystemError(error).toUtf8().constData());
    return ExitTrouble;
}

// Only the comparison's keys: the window's own (its size, the differences format) are no business of
// the command, so a damaged one cannot touch its runs. A stored value it cannot use is named on standard
// error and its default taken; the run goes on, as the window's would.
void LoadSettings(AppContext& ctx, ConsoleDialogs& dialogs)
{
    try {
        SettingsEnvironment env;
        env.shaAvailable = IsSHA1Available();
        const QStringList problems =
            LoadSettingsFromIni(ctx.SettingsStore(), ctx.SettingOwners(), env,
                                [](const OptionRow& row) { return OwnerOf(row) == SettingOwner::Compare; });
        for (const QString& problem : problems)
            dialogs.Print(problem, SettingsProblemText::Title());
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("parvexcmd.LoadSettings"));
    }
}

// Folders on the command line count from the working folder, as every tool's do; an empty one stays
// empty, for the path check to refuse, instead of naming the working folder.
QString FolderArgument(const QString& text) { return text.isEmpty() ? text : AbsolutePath(text); }

QString SizeField(const ResultRow& row) { return row.IsPlaceholder() ? QString() : QString::number(row.size); }

bool IsSamePair(Category left, Category right)
{
    auto same = [](Category c) { return c == Category::Same || c == Category::IdenticalFolder; };
    return same(left) && same(right);
}

// The category key of a sub-folder difference entry; empty for an absent file (-1).
QString EntryCategory(int16_t compareResult)
{
    return compareResult < 0 ? QString() : CategoryKey(static_cast<Category>(compareResult));
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
        "      carriage return inside a name is written as \\\\, \\t, \\n or \\r. Exit status: 0 when\n"
        "      everything is the same, 1 when anything differs, 2 on trouble.\n"
        "    --method quick|contents|crc|sha      --chunk-size BYTES\n"
        "    --subfolders | --no-subfolders       --details\n"
        "    --include TEXT  --exclude TEXT       (filter texts as in the Options window; \"\" means none)\n"
        "    --exclude-hidden-files --exclude-system-files --exclude-hidden-folders --exclude-system-folders\n"
        "    --ignore-2sec | --no-ignore-2sec     --ignore-dst | --no-ignore-dst\n"
        "    --help\n"
        "    Settings not given come from parvex.ini in the application folder.\n");
}

int RunCompareCommand(const QStringList& args)
{
    CompareOptions options;
    const QString usageError = ParseOptions(args, options);
    if (!usageError.isEmpty()) {
        std::fprintf(stderr, "parvexcmd: %s\n%s", usageError.toUtf8().constData(), CompareUsage().toUtf8().constData());
        return ExitTrouble;
    }
    if (options.help)
        return WriteStandardOutput(CompareUsage());

    ConsoleDialogs dialogs;
    ConsoleProgressView view;
    dialogs.SetBeforeMessage([&view] { view.Wipe(); });
    AppContext ctx(AppContext::DefaultApplicationFolder(), dialogs);
    CCompare& compare = ctx.Compare();
    Interruption::Install(compare);
    struct SignalsBackOnReturn
    {
        ~SignalsBackOnReturn() { Interruption::Uninstall(); }
    } signalsBack;
    QString problem;
    if (!ctx.LoadHelperLibrary(&problem)) {
        std::fprintf(stderr, "parvexcmd: cannot load the helper library: %s\n", problem.toUtf8().constData());
        return ExitTrouble;
    }
    ctx.Lib().SetMessageHandler(
        [](const char* text, const char* title, void* context) {
            static_cast<ConsoleDialogs*>(context)->Print(QString::fromUtf8(text), QString::fromUtf8(title));
        },
        &dialogs);

    LoadSettings(ctx, dialogs);
    ApplyOptions(options, compare);

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

    LineWriter out;
    bool allSame = true;
    const size_t rows = std::min(results.holdSource.size(), results.holdTarget.size());
    for (size_t i = 0; i < rows; ++i) {
        const ResultRow& l = results.holdSource[i];
        const ResultRow& r = results.holdTarget[i];
        out.Line(l.text, SizeField(l), CategoryKey(l.icon), r.text, SizeField(r), CategoryKey(r.icon));
        allSame = allSame && IsSamePair(l.icon, r.icon);
    }
    if (options.details) {
        for (const CSubFolderDiffs& diffs : results.allSubFolderDiffs) {
            // Each side's names are written as that side spells the sub-folder and its files.
            const QString prefix = diffs.strSubFolderName() + QLatin1Char('/');
            const QString targetPrefix = diffs.TargetSubFolderName() + QLatin1Char('/');
            const size_t n = std::min(diffs.DiffOne().size(), diffs.DiffTwo().size());
            for (size_t i = 0; i < n; ++i) {
                const SubFolderDiffEntry& l = diffs.DiffOne()[i];
                const SubFolderDiffEntry& r = diffs.DiffTwo()[i];
                out.Line(l.IsAbsent() ? QString() : prefix + l.fileName, l.IsAbsent() ? QString() : QString::number(l.size),
                         EntryCategory(l.compareResult), r.IsAbsent() ? QString() : targetPrefix + r.fileName,
                         r.IsAbsent() ? QString() : QString::number(r.size), EntryCategory(r.compareResult));
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
