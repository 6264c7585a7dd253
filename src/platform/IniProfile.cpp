#include "platform/IniProfile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QList>

namespace {

// One line of the file as stored: its bytes without the line ending, and the ending it had.
struct Line
{
    QByteArray text;
    QByteArray ending;
};

struct Parsed
{
    QList<Line> lines;
    QByteArray newline = "\n"; // the ending of lines we add: the file's own when it has one
    bool ok = true;            // false when the file exists but cannot be read
};

Parsed ReadLines(const QString& file)
{
    Parsed parsed;
    QFile f(file);
    if (!f.exists())
        return parsed;
    if (!f.open(QIODevice::ReadOnly)) {
        parsed.ok = false;
        return parsed;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        parsed.ok = false;
        return parsed;
    }
    qsizetype start = 0;
    bool sawEnding = false;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
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
                parsed.newline = line.ending;
                sawEnding = true;
            }
            start = end + 1;
        }
        parsed.lines.append(line);
    }
    return parsed;
}

QString Decode(const QByteArray& bytes, bool first)
{
    // A byte-order mark written by a hand editor is not part of the first line's text.
    if (first && bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

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

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Where a key lives in the parsed file.
struct Location
{
    qsizetype sectionLine = -1; // the "[section]" line, -1 when the section is missing
    qsizetype sectionEnd = -1;  // one past the last line of the section
    qsizetype keyLine = -1;     // the key's line, -1 when the key is missing
    QString keyAsStored;
    QString value;
};

Location Find(const QList<Line>& lines, const QString& section, const QString& key)
{
    Location at;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = Decode(lines.at(i).text, i == 0).trimmed();
        const QString name = SectionName(trimmed);
        if (!name.isNull()) {
            if (inSection) {
                at.sectionEnd = i;
                return at;
            }
            // The first section of that name is the one that counts, as is the first key in it.
            if (at.sectionLine < 0 && SameName(name, section)) {
                inSection = true;
                at.sectionLine = i;
            }
            continue;
        }
        if (!inSection || at.keyLine >= 0 || trimmed.isEmpty() || IsComment(trimmed))
            continue;
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString candidate = trimmed.left(equals).trimmed();
        if (SameName(candidate, key)) {
            at.keyLine = i;
            at.keyAsStored = candidate;
            at.value = trimmed.mid(equals + 1).trimmed();
        }
    }
    if (inSection)
        at.sectionEnd = lines.size();
    return at;
}

QString CutTo(const QString& text, int maxChars)
{
    if (maxChars < 0 || text.size() <= maxChars)
        return text;
    qsizetype n = maxChars;
    // Never split a character made of a surrogate pair.
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

bool HasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

namespace IniProfile {

QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue,
                          const QString& file, int maxChars)
{
    const Parsed parsed = ReadLines(file);
    if (parsed.ok) {
        const Location at = Find(parsed.lines, section, key);
        if (at.keyLine >= 0)
            return CutTo(at.value, maxChars);
    }
    return CutTo(defaultValue, maxChars);
}

bool WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& file)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || HasLineBreak(sectionName) || HasLineBreak(keyName)
        || HasLineBreak(value) || sectionName.contains(QLatin1Char(']')) || keyName.contains(QLatin1Char('='))
        || keyName.startsWith(QLatin1Char('[')) || IsComment(keyName))
        return false;

    Parsed parsed = ReadLines(file);
    if (!parsed.ok)
        return false; // never replace a file we could not read: that would lose its other keys
    QList<Line>& lines = parsed.lines;
    const Location at = Find(lines, sectionName, keyName);

    if (at.keyLine >= 0) {
        if (at.value == value.trimmed())
            return true; // already stored: rewriting the file would change nothing
        lines[at.keyLine].text = (at.keyAsStored + QLatin1Char('=') + value).toUtf8();
    } else {
        // The last line of the file (or of the section) must end before we add one after it.
        const Line newLine{(keyName + QLatin1Char('=') + value).toUtf8(), parsed.newline};
        if (at.sectionLine >= 0) {
            // After the section's last non-blank line, so blank lines before the next section stay there.
            qsizetype insertAt = at.sectionEnd;
            while (insertAt - 1 > at.sectionLine && lines.at(insertAt - 1).text.trimmed().isEmpty())
                --insertAt;
            if (lines.at(insertAt - 1).ending.isEmpty())
                lines[insertAt - 1].ending = parsed.newline;
            lines.insert(insertAt, newLine);
        } else {
            if (!lines.isEmpty() && lines.last().ending.isEmpty())
                lines.last().ending = parsed.newline;
            lines.append(Line{(QLatin1Char('[') + sectionName + QLatin1Char(']')).toUtf8(), parsed.newline});
            lines.append(newLine);
        }
    }

    QByteArray data;
    for (const Line& line : std::as_const(lines)) {
        data += line.text;
        data += line.ending;
    }
    return WriteFileAtomically(file, data);
}

} // namespace IniProfile
