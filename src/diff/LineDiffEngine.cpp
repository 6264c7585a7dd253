#include "diff/LineDiffEngine.h"

#include "base/ProgressSink.h"

#include <QProcess>
#include <QStandardPaths>
#include <cstring>

namespace {

// A trailing byte of a multi-byte sequence: 10xxxxxx.
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

} // namespace

bool IsValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: most text is mostly ASCII.
        if (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if (!IsContinuation(p[i]))
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

QString DecodeLineBytes(QByteArrayView bytes)
{
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QString LineDiffEngine::Program() const
{
    if (!m_program.isEmpty())
        return m_program;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("diff"));
    return found.isEmpty() ? QStringLiteral("diff") : found;
}

QStringList LineDiffEngine::Arguments(const QString& file1, const QString& file2) const
{
    QStringList args;
    if (m_ignoreCase)
        args << QStringLiteral("-i");
    if (m_ignoreWhiteSpace)
        args << QStringLiteral("-w");
    // "--" keeps a file named "-x" from being read as an option.
    args << QStringLiteral("--") << file1 << file2;
    return args;
}

QString LineDiffEngine::Line(int32_t index) const { return DecodeLineBytes(RawLine(index)); }

QByteArrayView LineDiffEngine::RawLine(int32_t index) const
{
    if (index < 0 || index >= LineCount())
        return {};
    const auto i = static_cast<std::size_t>(index);
    const qsizetype start = m_starts[i];
    qsizetype end = i + 1 < m_starts.size() ? m_starts[i + 1] - 1 : m_output.size();
    if (end > start && m_output.at(end - 1) == '\n')
        --end;
    return QByteArrayView(m_output.constData() + start, end - start);
}

void LineDiffEngine::KeepOutput(QByteArray out)
{
    m_output = std::move(out);
    m_starts.clear();
    const char* data = m_output.constData();
    const qsizetype size = m_output.size();
    qsizetype pos = 0;
    while (pos < size) {
        m_starts.push_back(pos);
        const void* nl = std::memchr(data + pos, '\n', static_cast<std::size_t>(size - pos));
        if (nl == nullptr)
            break;
        pos = static_cast<const char*>(nl) - data + 1;
    }
}

int32_t LineDiffEngine::Compare(const QString& file1, const QString& file2, EventPump* pump,
                                const std::atomic<bool>* cancel)
{
    KeepOutput({});
    m_problem.clear();
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // diff's own messages ("Binary files ... differ") are read by the program: keep them in English.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.setProgram(Program());
    process.setArguments(Arguments(file1, file2));
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        m_problem = QStringLiteral("%1 could not be started: %2").arg(Program(), process.errorString());
        return NotRun;
    }
    QByteArray out;
    QByteArray err;
    while (!process.waitForFinished(30)) {
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        if (pump != nullptr)
            pump->Pump();
        if (cancel != nullptr && cancel->load()) {
            process.kill();
            process.waitForFinished(-1);
            return Cancelled;
        }
        if (process.state() == QProcess::NotRunning)
            break;
    }
    out += process.readAllStandardOutput();
    err += process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit) {
        m_problem = QStringLiteral("%1 stopped before it had finished (%2).").arg(Program(), process.errorString());
        return NotRun;
    }
    const int status = process.exitCode();
    if (status < 0 || status > 2) {
        m_problem = QStringLiteral("%1 answered the unknown status %2.").arg(Program()).arg(status);
        return NotRun;
    }
    if (status == Trouble) {
        if (!err.isEmpty() && !err.endsWith('\n'))
            err += '\n';
        out.prepend(err);
    }
    KeepOutput(std::move(out));
    return status;
}
