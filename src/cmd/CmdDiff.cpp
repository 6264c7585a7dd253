#include "cmd/CmdDiff.h"

#include "cmd/CompareOptions.h"
#include "diff/DiffRun.h"
#include "diff/LineDiffEngine.h"
#include "base/ErrorHandler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char Usage[] = "  diff [--ignore-case] [--ignore-whitespace] [--format unix|visual] FILE1 FILE2\n"
                     "      the line differences of two text files: diff's own lines (unix) or the two files\n"
                     "      aligned row by row (visual, the default)\n";

void PrintMessage(const QString& title, const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), plain.toUtf8().constData());
}

int Refuse(const QString& problem)
{
    std::fprintf(stderr, "parvexcmd diff: %s\n%s", problem.toUtf8().constData(), Usage);
    return ExitTrouble;
}

// Gathers output and writes it in large blocks; a failed write is remembered.
class Output final
{
public:
    void Append(QByteArrayView bytes)
    {
        m_buffer.append(bytes);
        if (m_buffer.size() >= 1 << 16)
            Flush();
    }
    void Append(const QString& text) { Append(QByteArrayView(text.toUtf8())); }
    void Append(char c) { m_buffer.append(c); }
    int Flush()
    {
        if (m_error == 0 && !m_buffer.isEmpty()) {
            errno = 0;
            if (std::fwrite(m_buffer.constData(), 1, static_cast<size_t>(m_buffer.size()), stdout)
                != static_cast<size_t>(m_buffer.size()))
                m_error = errno != 0 ? errno : EIO;
        }
        m_buffer.clear();
        if (m_error == 0 && std::fflush(stdout) != 0)
            m_error = errno != 0 ? errno : EIO;
        return m_error;
    }

private:
    QByteArray m_buffer;
    int m_error = 0;
};

char Mark(RowColour colour)
{
    switch (colour) {
    case RowColour::Addition:
        return '+';
    case RowColour::Change:
        return '~';
    case RowColour::Default:
        break;
    }
    return '=';
}

void WriteVisual(const DiffRunResult& run, Output& out)
{
    const DiffAlignment& a = run.alignment;
    for (std::size_t r = 1; r < a.left.size() && r < a.right.size(); ++r) {
        out.Append(Mark(a.left[r].colour));
        out.Append('\t');
        if (a.left[r].line > 0)
            out.Append(run.left.DisplayText(a.left[r].line));
        out.Append('\t');
        out.Append(Mark(a.right[r].colour));
        out.Append('\t');
        if (a.right[r].line > 0)
            out.Append(run.right.DisplayText(a.right[r].line));
        out.Append('\n');
    }
    QByteArray list = "differences\t";
    for (std::size_t i = 0; i < a.differences.size(); ++i) {
        if (i > 0)
            list += ',';
        list += QByteArray::number(a.differences[i]);
    }
    out.Append(QByteArrayView(list));
    out.Append('\n');
}

} // namespace

QString DiffUsage() { return QString::fromLatin1(Usage); }

int RunDiffCommand(const QStringList& args)
{
    DiffRequest request;
    QStringList files;
    bool help = false;
    const QString problem = ParseOptionArguments(args, files, [&](const QString& arg, const std::optional<QString>& inlineValue,
                                                                  const std::function<std::optional<QString>()>& value,
                                                                  QString& error) {
        const bool takesNoValue = arg != QLatin1String("--format");
        if (takesNoValue && inlineValue)
            error = QStringLiteral("option %1 takes no value").arg(arg);
        if (arg == QLatin1String("--help")) {
            help = true;
        } else if (arg == QLatin1String("--ignore-case")) {
            request.ignoreCase = true;
        } else if (arg == QLatin1String("--ignore-whitespace")) {
            request.ignoreWhiteSpace = true;
        } else if (arg == QLatin1String("--format")) {
            const std::optional<QString> v = value();
            if (v == QLatin1String("unix"))
                request.format = 1;
            else if (v == QLatin1String("visual"))
                request.format = 0;
            else
                error = v ? QStringLiteral("unknown format \"%1\" (unix or visual)").arg(*v) : QStringLiteral("option --format needs unix or visual");
        } else {
            return false;
        }
        return true;
    });
    if (!problem.isEmpty())
        return Refuse(problem);
    if (help) {
        std::fputs(Usage, stdout);
        return ExitSame;
    }
    if (files.size() != 2)
        return Refuse(QStringLiteral("two files are needed"));
    request.fileOne = files[0];
    request.fileTwo = files[1];

    LineDiffEngine engine;
    DiffRunResult run = RunFileDiffs(request, engine);
    if (run.message)
        PrintMessage(run.message->title, run.message->text);
    if (run.loadFailure)
        PrintMessage(ErrorHandler::MessageTitle(*run.loadFailure),
                     ErrorHandler::MessageText(*run.loadFailure, QStringLiteral("frmFileDiffs.LoadFilesIntoGrids")));
    if (!run.ShowsWindow())
        return run.code >= 0 && run.code <= 2 ? run.code : ExitTrouble;

    Output out;
    if (run.outcome == DiffRunResult::Outcome::Unix) {
        for (int32_t i = 0; i < engine.LineCount(); ++i) {
            out.Append(engine.RawLine(i));
            out.Append('\n');
        }
    } else {
        WriteVisual(run, out);
    }
    if (const int error = out.Flush(); error != 0) {
        std::fprintf(stderr, "parvexcmd diff: the output could not be written: %s\n", std::strerror(error));
        return ExitTrouble;
    }
    if (run.alignment.failed || run.loadFailure)
        return ExitTrouble;
    return run.code;
}
