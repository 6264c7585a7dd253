#include "model/Filters.h"

#include "model/NameFold.h"

#include <QChar>
#include <algorithm>
#include <cstring>

namespace {

// A name decoded to case-folded code points, on the stack for names of ordinary length.
class FoldedName final
{
public:
    FoldedName(QStringView name, bool withSlash)
    {
        const qsizetype needed = name.size() + 1;
        char32_t* out = m_inline;
        if (needed > qsizetype(std::size(m_inline))) {
            m_heap.resize(static_cast<size_t>(needed));
            out = m_heap.data();
        }
        m_data = out;
        qsizetype n = 0;
        if (withSlash)
            out[n++] = U'/';
        const QChar* p = name.data();
        const QChar* end = p + name.size();
        while (p < end) {
            char32_t c = p->unicode();
            ++p;
            if (QChar::isHighSurrogate(c) && p < end && p->isLowSurrogate()) {
                c = QChar::surrogateToUcs4(static_cast<char16_t>(c), p->unicode());
                ++p;
            }
            out[n++] = FoldCodePoint(c);
        }
        m_length = n;
    }
    Q_DISABLE_COPY_MOVE(FoldedName)

    const char32_t* data() const { return m_data; }
    qsizetype length() const { return m_length; }

private:
    char32_t m_inline[320];
    std::u32string m_heap;
    const char32_t* m_data = nullptr;
    qsizetype m_length = 0;
};

std::u32string FoldedCodePoints(QStringView text)
{
    std::u32string out;
    for (char32_t c : text.toUcs4())
        out += FoldCodePoint(c);
    return out;
}

} // namespace

void ParseFilterList(QStringList& list, const QString& text)
{
    if (text.isEmpty())
        return;
    for (const QString& piece : text.split(QLatin1Char(',')))
        list.append(piece.trimmed());
}

bool IsFolderPattern(QStringView pattern)
{
    return !pattern.isEmpty() && (pattern.front() == QLatin1Char('/') || pattern.front() == QLatin1Char('\\'));
}

bool MatchesAnyFilter(const QString& name, const QStringList& list)
{
    if (list.isEmpty())
        return false;
    return FilterSet(list).MatchesAny(name);
}

QString AppendToFilterText(QString filterText, const QStringList& names)
{
    for (const QString& name : names) {
        if (!filterText.isEmpty() && !filterText.endsWith(QLatin1Char(',')))
            filterText += QLatin1Char(',');
        filterText += name;
    }
    return filterText;
}

WildcardPattern::WildcardPattern(QStringView pattern)
{
    std::u32string text = FoldedCodePoints(pattern);
    // "\Docs" is the older spelling of the folder pattern "/Docs".
    if (!text.empty() && text.front() == U'\\')
        text.front() = U'/';

    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        switch (c) {
        case U'*':
            if (m_tokens.empty() || m_tokens.back().kind != Kind::Star)
                m_tokens.push_back({Kind::Star, 0, -1});
            break;
        case U'?':
            m_tokens.push_back({Kind::AnyOne, 0, -1});
            break;
        case U'#':
            m_tokens.push_back({Kind::Digit, 0, -1});
            break;
        case U'[': {
            const size_t close = text.find(U']', i + 1);
            if (close == std::u32string::npos) {
                // An unclosed bracket can only have been meant literally.
                m_tokens.push_back({Kind::Char, c, -1});
                break;
            }
            size_t j = i + 1;
            const bool negated = j < close && text[j] == U'!';
            if (negated)
                ++j;
            Ranges ranges;
            for (; j < close; ++j) {
                if (j + 2 < close && text[j + 1] == U'-') {
                    ranges.emplace_back(std::min(text[j], text[j + 2]), std::max(text[j], text[j + 2]));
                    j += 2;
                } else {
                    ranges.emplace_back(text[j], text[j]);
                }
            }
            i = close;
            if (ranges.empty() && !negated)
                break; // "[]" matches the empty text: nothing to consume
            m_sets.push_back(std::move(ranges));
            m_tokens.push_back({negated ? Kind::NotInSet : Kind::InSet, 0, int(m_sets.size() - 1)});
            break;
        }
        default:
            m_tokens.push_back({Kind::Char, c, -1});
            break;
        }
    }

    // Most filters are "*", "*.ext", "name" or "name*": compare those directly.
    const auto isChar = [](const Token& t) { return t.kind == Kind::Char; };
    const size_t n = m_tokens.size();
    if (n == 1 && m_tokens[0].kind == Kind::Star) {
        m_shape = Shape::Everything;
    } else if (std::all_of(m_tokens.begin(), m_tokens.end(), isChar)) {
        m_shape = Shape::Literal;
    } else if (n > 1 && m_tokens[0].kind == Kind::Star && std::all_of(m_tokens.begin() + 1, m_tokens.end(), isChar)) {
        m_shape = Shape::Suffix;
    } else if (n > 1 && m_tokens[n - 1].kind == Kind::Star && std::all_of(m_tokens.begin(), m_tokens.end() - 1, isChar)) {
        m_shape = Shape::Prefix;
    }
    if (m_shape == Shape::Literal || m_shape == Shape::Suffix || m_shape == Shape::Prefix) {
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Char)
                m_literal += t.ch;
        }
    }
}

bool WildcardPattern::TokenMatches(const Token& t, char32_t c) const
{
    switch (t.kind) {
    case Kind::Char: return t.ch == c;
    case Kind::AnyOne: return true;
    case Kind::Digit: return QChar::isDigit(c);
    case Kind::InSet:
    case Kind::NotInSet: {
        const Ranges& ranges = m_sets[static_cast<size_t>(t.set)];
        const bool inside = std::any_of(ranges.begin(), ranges.end(),
                                        [c](const auto& r) { return c >= r.first && c <= r.second; });
        return inside == (t.kind == Kind::InSet);
    }
    case Kind::Star: return false;
    }
    return false;
}

// Every token but "*" consumes exactly one character, so backtracking to the last "*" is enough.
bool WildcardPattern::MatchGeneral(const char32_t* name, qsizetype length) const
{
    const size_t count = m_tokens.size();
    size_t p = 0;
    qsizetype n = 0;
    size_t starToken = SIZE_MAX;
    qsizetype starName = 0;
    while (n < length) {
        if (p < count && m_tokens[p].kind == Kind::Star) {
            starToken = p++;
            starName = n;
        } else if (p < count && TokenMatches(m_tokens[p], name[n])) {
            ++p;
            ++n;
        } else if (starToken != SIZE_MAX) {
            p = starToken + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < count && m_tokens[p].kind == Kind::Star)
        ++p;
    return p == count;
}

bool WildcardPattern::Matches(const char32_t* name, qsizetype length) const
{
    const qsizetype literal = static_cast<qsizetype>(m_literal.size());
    switch (m_shape) {
    case Shape::Everything:
        return true;
    case Shape::Literal:
        return length == literal && std::equal(name, name + length, m_literal.data());
    case Shape::Suffix:
        return length >= literal && std::equal(name + length - literal, name + length, m_literal.data());
    case Shape::Prefix:
        return length >= literal && std::equal(name, name + literal, m_literal.data());
    case Shape::General:
        break;
    }
    return MatchGeneral(name, length);
}

FilterSet::FilterSet(const QStringList& patterns)
{
    m_patterns.reserve(static_cast<size_t>(patterns.size()));
    for (const QString& p : patterns)
        m_patterns.emplace_back(p);
}

bool FilterSet::MatchesFolded(QStringView name, bool asFolder) const
{
    if (m_patterns.empty())
        return false;
    const FoldedName folded(name, asFolder);
    for (const WildcardPattern& p : m_patterns) {
        if (p.Matches(folded.data(), folded.length()))
            return true;
    }
    return false;
}

bool FilterSet::MatchesAny(QStringView name) const { return MatchesFolded(name, false); }

bool FilterSet::MatchesAnyFolder(QStringView folderName) const { return MatchesFolded(folderName, true); }
