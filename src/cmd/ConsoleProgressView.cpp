#include "cmd/ConsoleProgressView.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr qint64 RedrawMs = 150;

int TerminalWidth(FILE* out)
{
    struct winsize ws {};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 10)
        return ws.ws_col;
    return 80;
}

// The window's messages end with advice about ESC, which a terminal does not have (Ctrl+C cancels).
QString WithoutEscAdvice(const QString& message)
{
    const qsizetype at = message.indexOf(QLatin1String("Press ESC"));
    return at < 0 ? message : message.left(at).trimmed();
}
} // namespace

ConsoleProgressView::ConsoleProgressView(FILE* out) : m_out(out), m_enabled(::isatty(::fileno(out)) != 0) {}

void ConsoleProgressView::Show(const QString& message, const QString& fileName)
{
    m_open = true;
    m_message = message;
    m_fileName = fileName;
    m_sink.m_maximum = 0;
    m_sink.m_value = 0;
    m_sinceDraw.invalidate();
    Tick();
}

void ConsoleProgressView::Close()
{
    Wipe();
    m_open = false;
}

void ConsoleProgressView::SetMessage(const QString& message)
{
    // Drawn with the next value, which the run sets right after a new message.
    m_message = message;
    m_sinceDraw.invalidate();
}

void ConsoleProgressView::SetFileName(const QString& fileName) { m_fileName = fileName; }

void ConsoleProgressView::Wipe()
{
    if (!m_lineShown)
        return;
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_lineShown = false;
}

void ConsoleProgressView::Tick()
{
    if (!m_enabled || !m_open)
        return;
    if (m_sinceDraw.isValid() && m_sinceDraw.elapsed() < RedrawMs)
        return;
    m_sinceDraw.start();
    Draw();
}

void ConsoleProgressView::Draw()
{
    QString line = WithoutEscAdvice(m_message);
    if (m_sink.m_maximum > 0)
        line += QStringLiteral(" %1/%2").arg(m_sink.m_value).arg(m_sink.m_maximum);
    if (!m_fileName.isEmpty())
        line += QLatin1Char(' ') + m_fileName;
    const int width = TerminalWidth(m_out) - 1;
    if (line.size() > width)
        line = line.left(width);
    const QByteArray bytes = line.toUtf8();
    std::fprintf(m_out, "\r\033[K%s", bytes.constData());
    std::fflush(m_out);
    m_lineShown = true;
}
