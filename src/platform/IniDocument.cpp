#include "platform/IniDocument.h"

#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "platform/AtomicFile.h"

#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray ByteOrderMark = "\xEF\xBB\xBF";

bool IsComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The section name of a "[name]" line, or a null string when the line is no section line.
QString SectionName(const QString& trimmed)
{
    if (!trimmed.startsWith(QLatin1Char('[')))
        return {};
    qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        close = trimmed.size();
    QString name = trimmed.mid(1, close - 1).trimmed();
    if (name.isNull())
        name = QLatin1String("");
    return name;
}

// Names match without regard to case.
QString Folded(const QString& name) { return name.toCaseFolded(); }

bool HasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// The key and value of a "key = value" line; none for blank lines, comments and lines without "=".
struct KeyLine
{
    QString key;
    QString value;
};
std::optional<KeyLine> SplitKeyLine(const QString& trimmed)
{
    if (trimmed.isEmpty() || IsComment(trimmed))
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    return KeyLine{trimmed.left(equals).trimmed(), trimmed.mid(equals + 1).trimmed()};
}

// Reads all of an open descriptor; answers the errno of a failed read, 0 when all was read.
int ReadAll(int fd, QByteArray& data)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        data.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        data.append(buffer, n);
    }
}

bool IsUtf8Text(const QByteArray& data)
{
    if (data.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(data); // the conversion runs here
    Q_UNUSED(text)
    return !decoder.hasError();
}

} // namespace

IniDocument IniDocument::Load(const QString& file)
{
    IniDocument doc;
    doc.m_file = file;
    doc.m_blocks.emplace_back();
    const int fd = ::open(EncodeFileName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // A missing file, or one that cannot exist because a parent is no folder, simply holds nothing yet.
        if (errno != ENOENT && errno != ENOTDIR) {
            doc.m_state = State::Unreadable;
            doc.m_problem = DescribeSystemError(errno);
        }
        return doc;
    }
    QByteArray data;
    const int error = ReadAll(fd, data);
    ::close(fd);
    if (error != 0) {
        doc.m_state = State::Unreadable;
        doc.m_problem = DescribeSystemError(error);
        return doc;
    }
    return FromBytes(data, file);
}

IniDocument IniDocument::FromBytes(const QByteArray& data, const QString& file)
{
    IniDocument doc;
    doc.m_file = file;
    doc.m_blocks.emplace_back();
    if (!IsUtf8Text(data)) {
        doc.m_state = State::Unreadable;
        doc.m_problem = QStringLiteral("it is not UTF-8 text");
        return doc;
    }
    doc.m_state = State::Read;
    doc.Parse(data);
    return doc;
}

bool IniDocument::HasSection(const QString& section) const
{
    return m_sections.contains(Folded(section.trimmed()));
}

void IniDocument::Parse(const QByteArray& data)
{
    qsizetype start = 0;
    // A byte-order mark written by a hand editor is not part of the first line's text.
    if (data.startsWith(ByteOrderMark)) {
        m_byteOrderMark = ByteOrderMark;
        start = ByteOrderMark.size();
    }
    bool sawEnding = false;
    while (start < data.size()) {
        const qsizetype end = data.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.text = data.mid(start);
            start = data.size();
        } else {
            qsizetype textEnd = end;
            if (textEnd > start && data.at(textEnd - 1) == '\r')
                --textEnd;
            line.text = data.mid(start, textEnd - start);
            line.ending = data.mid(textEnd, end + 1 - textEnd);
            if (!sawEnding) {
                m_newline = line.ending;
                sawEnding = true;
            }
            start = end + 1;
        }

        const QString trimmed = QString::fromUtf8(line.text).trimmed();
        const QString name = SectionName(trimmed);
        if (!name.isNull()) {
            m_blocks.emplace_back();
            const QString folded = Folded(name);
            if (!m_sections.contains(folded))
                m_sections.insert(folded, m_blocks.size() - 1);
        } else if (m_blocks.size() > 1) {
            // Keys before the first section belong to none.
            if (const std::optional<KeyLine> kv = SplitKeyLine(trimmed)) {
                Block& block = m_blocks.back();
                const QString key = Folded(kv->key);
                if (!block.keys.contains(key))
                    block.keys.insert(key, block.lines.size());
            }
        }
        m_blocks.back().lines.append(std::move(line));
    }
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const
{
    const auto s = m_sections.constFind(Folded(section.trimmed()));
    if (s == m_sections.cend())
        return std::nullopt;
    const Block& block = m_blocks[*s];
    const auto k = block.keys.constFind(Folded(key.trimmed()));
    if (k == block.keys.cend())
        return std::nullopt;
    return SplitKeyLine(QString::fromUtf8(block.lines.at(*k).text).trimmed())->value;
}

IniDocument::Line* IniDocument::LastLine()
{
    for (auto block = m_blocks.rbegin(); block != m_blocks.rend(); ++block)
        if (!block->lines.isEmpty())
            return &block->lines.last();
    return nullptr;
}

bool IniDocument::Set(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (m_state == State::Unreadable || sectionName.isEmpty() || keyName.isEmpty() || HasLineBreak(sectionName)
        || HasLineBreak(keyName) || HasLineBreak(value) || sectionName.contains(QLatin1Char(']'))
        || keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char('[')) || IsComment(keyName))
        return false;

    const auto s = m_sections.constFind(Folded(sectionName));
    if (s != m_sections.cend()) {
        Block& block = m_blocks[*s];
        const auto k = block.keys.constFind(Folded(keyName));
        if (k != block.keys.cend()) {
            Line& line = block.lines[*k];
            const KeyLine stored = *SplitKeyLine(QString::fromUtf8(line.text).trimmed());
            if (stored.value == value.trimmed())
                return true; // already stored: rewriting the file would change nothing
            line.text = (stored.key + QLatin1Char('=') + value).toUtf8();
            m_changed = true;
            return true;
        }
        // After the section's last non-blank line. Every key line lies before it, so no index moves.
        qsizetype insertAt = block.lines.size();
        while (insertAt - 1 > 0 && block.lines.at(insertAt - 1).text.trimmed().isEmpty())
            --insertAt;
        // The line before must end before we add one after it (the file's last line may not).
        if (block.lines[insertAt - 1].ending.isEmpty())
            block.lines[insertAt - 1].ending = m_newline;
        block.lines.insert(insertAt, Line{(keyName + QLatin1Char('=') + value).toUtf8(), m_newline});
        block.keys.insert(Folded(keyName), insertAt);
        m_changed = true;
        return true;
    }

    if (Line* last = LastLine(); last != nullptr && last->ending.isEmpty())
        last->ending = m_newline;
    Block block;
    block.lines.append(Line{(QLatin1Char('[') + sectionName + QLatin1Char(']')).toUtf8(), m_newline});
    block.lines.append(Line{(keyName + QLatin1Char('=') + value).toUtf8(), m_newline});
    block.keys.insert(Folded(keyName), 1);
    m_blocks.push_back(std::move(block));
    m_sections.insert(Folded(sectionName), m_blocks.size() - 1);
    m_changed = true;
    return true;
}

QByteArray IniDocument::Bytes() const
{
    QByteArray data = m_byteOrderMark;
    for (const Block& block : m_blocks) {
        for (const Line& line : block.lines) {
            data += line.text;
            data += line.ending;
        }
    }
    return data;
}

bool IniDocument::Save() const
{
    if (m_state == State::Unreadable)
        return false;
    return WriteFileAtomically(m_file, Bytes());
}
