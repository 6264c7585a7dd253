#include "cmd/CmdFiles.h"

#include "app/AppContext.h"
#include "cmd/CmdCompare.h"
#include "cmd/CompareOptions.h"
#include "cmd/ConsoleDialogs.h"
#include "cmd/ConsoleProgressView.h"
#include "cmd/Interruption.h"
#include "compare/Sha1.h"
#include "diff/TwoFileChecks.h"
#include "settings/ChunkSizeRule.h"

#include <cstdio>

namespace {

const char* const CheckNames[TwoFileCheckCount] = {"size", "date", "version", "contents", "crc", "sha"};

struct FilesOptions
{
    CompareOptions compare;
    TwoFileCheckMarks marks{true, true, true, true, true, true};
    bool checksGiven = false;
    QStringList files;
};

// The check names of LIST; an empty text when they are fine, else what is wrong.
QString ParseChecks(const QString& list, TwoFileCheckMarks& marks)
{
    marks.fill(false);
    bool any = false;
    for (const QString& part : list.split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        int found = -1;
        for (int i = 0; i < TwoFileCheckCount; ++i)
            if (name == QLatin1String(CheckNames[i]))
                found = i;
        if (found < 0)
            return QStringLiteral("unknown check \"%1\" (size, date, version, contents, crc or sha)").arg(name);
        marks[size_t(found)] = true;
        any = true;
    }
    return any ? QString() : QStringLiteral("option --checks needs at least one check");
}

QString ParseFilesOptions(const QStringList& args, FilesOptions& o)
{
    const QString problem = ParseOptionArguments(args, o.files, [&o](const QString& arg, const std::optional<QString>& inlineValue,
                                                                     const std::function<std::optional<QString>()>& value,
                                                                     QString& error) {
        const auto toggle = [&](std::optional<bool>& target, bool on) {
            target = on;
            return inlineValue ? QStringLiteral("option %1 takes no value").arg(arg) : QString();
        };
        if (arg == QLatin1String("--help")) {
            o.compare.help = true;
        } else if (arg == QLatin1String("--checks")) {
            const auto v = value();
            error = v ? ParseChecks(*v, o.marks) : QStringLiteral("option --checks needs a value");
            o.checksGiven = true;
        } else if (arg == QLatin1String("--chunk-size")) {
            const auto v = value();
            bool ok = false;
            const qlonglong n = v ? v->toLongLong(&ok) : 0;
            // The same bounds as compare's: the contents check holds two chunks at once.
            if (!ok || n <= 0)
                error = QStringLiteral("option --chunk-size needs a whole number of bytes above 0");
            else if (n > ChunkSizeRule::Largest)
                error = QStringLiteral("option --chunk-size takes at most %1 bytes").arg(ChunkSizeRule::Largest);
            else
                o.compare.chunkSize = static_cast<int32_t>(n);
        } else if (arg == QLatin1String("--ignore-2sec")) {
            error = toggle(o.compare.ignoreTwoSec, true);
        } else if (arg == QLatin1String("--no-ignore-2sec")) {
            error = toggle(o.compare.ignoreTwoSec, false);
        } else if (arg == QLatin1String("--ignore-dst")) {
            error = toggle(o.compare.ignoreDst, true);
        } else if (arg == QLatin1String("--no-ignore-dst")) {
            error = toggle(o.compare.ignoreDst, false);
        } else {
            return false;
        }
        return true;
    });
    if (!problem.isEmpty())
        return problem;
    if (!o.compare.help && o.files.size() != 2)
        return QStringLiteral("files needs two files, FILE1 and FILE2");
    return {};
}

// The console's side of the checks: the step and the bar on the progress line, nothing else (the rows
// are written once they are complete).
class ConsoleChecksView final : public TwoFileChecksView
{
public:
    explicit ConsoleChecksView(ConsoleProgressView& view) : m_view(view) {}
    void SetStatus(const QString& text) override
    {
        if (!text.isEmpty())
            m_view.Show(text, QString());
    }
    void RowChanged(TwoFileCheck, const TwoFileRow&) override {}
    void LongCheckStarted() override {}
    void LongCheckEnded() override {}
    ProgressSink& Bar() override { return m_view.Progress(); }

private:
    ConsoleProgressView& m_view;
};

// A signal must stop the checks at their next poll, also when a later check clears the cancel flag as it
// begins.
class InterruptionPump final : public EventPump
{
public:
    explicit InterruptionPump(CCompare& compare) : m_compare(compare) {}
    void Pump() override
    {
        if (Interruption::Happened())
            m_compare.SetCompareCancelled(true);
    }

private:
    CCompare& m_compare;
};

} // namespace

QString FilesUsage()
{
    return QStringLiteral(
        "  files [--checks LIST] [--chunk-size BYTES] [--ignore-2sec | --no-ignore-2sec]\n"
        "        [--ignore-dst | --no-ignore-dst] FILE1 FILE2\n"
        "      Compares two files with the checks of the Compare Two Files window. Writes one line per check:\n"
        "      the method, the File #1 value, the File #2 value and the result, separated by tabs. Exit\n"
        "      status: 0 when no check finds a difference (\"Version not available for both files\" is\n"
        "      none), 1 when one does, 2 on trouble.\n"
        "    --checks LIST   comma-separated: size, date, version, contents, crc, sha (default: all)\n"
        "    Settings not given come from parvex.ini in the application folder.\n");
}

int RunFilesCommand(const QStringList& args)
{
    FilesOptions options;
    const QString usageError = ParseFilesOptions(args, options);
    if (!usageError.isEmpty()) {
        std::fprintf(stderr, "parvexcmd: %s\n%s", usageError.toUtf8().constData(), FilesUsage().toUtf8().constData());
        return ExitTrouble;
    }
    if (options.compare.help)
        return WriteStandardOutput(FilesUsage());
    TwoFileCheckMarks marks = options.marks;
    const size_t sha = size_t(TwoFileCheck::Sha1);
    if (marks[sha] && !IsSHA1Available()) {
        if (options.checksGiven) {
            std::fprintf(stderr, "parvexcmd: SHA-1 is not available on this system\n");
            return ExitTrouble;
        }
        marks[sha] = false;
    }

    CommandSession session;
    if (!session.Start({SettingOwner::Compare}, options.compare))
        return ExitTrouble;
    AppContext& ctx = session.ctx;
    ConsoleChecksView view(session.view);
    InterruptionPump pump(ctx.Compare());
    TwoFileChecks checks(ctx.ComparisonServices(), view, pump, false, QStringLiteral("parvexcmd.files"));
    const TwoFileOutcome outcome = checks.Run(options.files[0], options.files[1], marks);
    session.view.Close();
    ctx.Lib().SetMessageHandler(nullptr, nullptr);
    if (Interruption::Happened()) {
        Interruption::Report();
        return ExitTrouble;
    }
    Interruption::EnterOutput();
    if (outcome != TwoFileOutcome::Done)
        return ExitTrouble;

    QByteArray out;
    bool different = false;
    for (int i = 0; i < TwoFileCheckCount; ++i) {
        if (!marks[size_t(i)])
            continue;
        const TwoFileRow& row = checks.Rows()[size_t(i)];
        out += EscapedField(TwoFileCheckText(TwoFileCheck(i)).trimmed()) + '\t' + EscapedField(row.fileOne) + '\t'
               + EscapedField(row.fileTwo) + '\t' + EscapedField(row.result) + '\n';
        different = different || row.verdict == TwoFileVerdict::Different;
    }
    const int written = WriteStandardOutput(QString::fromUtf8(out));
    if (written != ExitSame)
        return written;
    // Unreadable contents were judged by size and time instead: not a verdict to rely on.
    if (ctx.Compare().ErrorsDuringCompare() || session.dialogs.TroubleShown())
        return ExitTrouble;
    return different ? ExitDifferent : ExitSame;
}
