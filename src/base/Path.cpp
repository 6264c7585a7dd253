#include "base/Path.h"

#include <QHash>
#include <QUtf8StringView>
#include <algorithm>
#include <cstring>

namespace {

constexpr char16_t EscapeFirst = 0xDC80;
constexpr char16_t EscapeLast = 0xDCFF;

bool IsEscape(char16_t unit) { return unit >= EscapeFirst && unit <= EscapeLast; }

// The low half of a surrogate pair (U+10080 is D800 DC80) is a character, not an escaped byte.
bool IsEscapeAt(QStringView text, qsizetype i)
{
    return IsEscape(text[i].unicode()) && !(i > 0 && text[i - 1].isHighSurrogate());
}

bool IsAscii(const char* bytes, qsizetype length)
{
    // Eight bytes at a time: this runs once per name of a scan.
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0)
            return false;
    }
    for (; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

// The length of the well-formed UTF-8 sequence starting at s[0] (a byte >= 0x80), or 0 when it is not
// one: stray continuation bytes, overlong forms, encoded surrogates, code points past U+10FFFF and
// sequences cut short all count as single undecodable bytes.
int SequenceLength(const unsigned char* s, qsizetype left)
{
    const unsigned char b = s[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || s[1] < low || s[1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (s[k] < 0x80 || s[k] > 0xBF)
            return 0;
    }
    return length;
}

QString DecodeMixed(const char* bytes, qsizetype length)
{
    QString out;
    out.reserve(length);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype i = 0;
    while (i < length) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            out += QChar(char16_t(b));
            ++i;
            continue;
        }
        const int n = SequenceLength(s + i, length - i);
        if (n == 0) {
            out += QChar(char16_t(0xDC00 + b));
            ++i;
            continue;
        }
        char32_t code = 0;
        if (n == 2)
            code = b & 0x1F;
        else if (n == 3)
            code = b & 0x0F;
        else
            code = b & 0x07;
        for (int k = 1; k < n; ++k)
            code = (code << 6) | (s[i + k] & 0x3F);
        if (code >= 0x10000) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i += n;
    }
    return out;
}

void AppendUtf8(QByteArray& out, QStringView text)
{
    if (!text.isEmpty())
        out += text.toUtf8();
}

} // namespace

QString DecodeFileName(const char* bytes, qsizetype length)
{
    if (length <= 0)
        return {};
    if (IsAscii(bytes, length))
        return QString::fromLatin1(bytes, length);
    if (QUtf8StringView(bytes, length).isValidUtf8())
        return QString::fromUtf8(bytes, length);
    return DecodeMixed(bytes, length);
}

QString DecodeFileNameAfter(const QString& prefix, const char* bytes, qsizetype length)
{
    if (!IsAscii(bytes, length))
        return prefix + QLatin1Char('/') + DecodeFileName(bytes, length);
    QString key;
    key.reserve(prefix.size() + 1 + length);
    key.append(prefix).append(QLatin1Char('/')).append(QLatin1StringView(bytes, length));
    return key;
}

QString DecodeFileName(const QByteArray& bytes) { return DecodeFileName(bytes.constData(), bytes.size()); }

bool HasEscapedBytes(const QString& text)
{
    const QStringView view(text);
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (IsEscapeAt(view, i))
            return true;
    }
    return false;
}

QByteArray EncodeFileName(const QString& text)
{
    if (!HasEscapedBytes(text))
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size() + 8);
    const QStringView view(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!IsEscapeAt(view, i))
            continue;
        const char16_t unit = view[i].unicode();
        AppendUtf8(out, view.mid(start, i - start));
        out += static_cast<char>(unit - 0xDC00);
        start = i + 1;
    }
    AppendUtf8(out, view.mid(start));
    return out;
}

QString DisplayFileName(const QString& text)
{
    if (!HasEscapedBytes(text))
        return text;
    static const char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size() + 16);
    const QStringView view(text);
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!IsEscapeAt(view, i)) {
            out += view[i];
            continue;
        }
        const unsigned byte = view[i].unicode() - 0xDC00u;
        out += QLatin1String("\\x");
        out += QLatin1Char(hex[byte >> 4]);
        out += QLatin1Char(hex[byte & 0xF]);
    }
    return out;
}

QString EscapedFileName(const QString& text)
{
    const auto special = [](QChar c) {
        return c == QLatin1Char('\\') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
    };
    if (std::none_of(text.cbegin(), text.cend(), special))
        return DisplayFileName(text);
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default: out += c; break;
        }
    }
    // Escaped bytes are untouched by the doubling above, so "\xff" typed in a name stays apart from 0xff.
    return DisplayFileName(out);
}

QString Path::WithSlash(const QString& text)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('/')))
        return text;
    return text + QLatin1Char('/');
}

QString Path::WithoutSlash(const QString& text)
{
    if (text.endsWith(QLatin1Char('/')))
        return text.left(text.size() - 1);
    return text;
}

Path Path::operator/(const QString& part) const
{
    const QStringView relative = QStringView(part).startsWith(QLatin1Char('/')) ? QStringView(part).mid(1) : QStringView(part);
    if (m_text.isEmpty())
        return Path(relative.toString());
    QString joined = WithSlash(m_text);
    joined += relative;
    return Path(joined);
}

Path Path::ParentPath() const
{
    const QString trimmed = WithoutSlash(m_text);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return Path(QStringLiteral("/"));
    return Path(trimmed.left(slash));
}

QString Path::FileName() const
{
    const QString trimmed = WithoutSlash(m_text);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

bool Path::HasAncestor(const Path& other) const
{
    if (other.m_text.isEmpty())
        return false;
    const QString ancestor = WithoutSlash(other.m_text);
    // "/a/" is the folder "/a" itself, not something below it.
    return m_text.size() > ancestor.size() + 1 && m_text.startsWith(ancestor) && m_text[ancestor.size()] == QLatin1Char('/');
}

size_t qHash(const Path& path, size_t seed) noexcept { return qHash(path.Text(), seed); }
