#include "model/NameFold.h"

namespace {

// Walks the code points of a UTF-16 text; a lone surrogate stands for itself.
class CodePoints final
{
public:
    explicit CodePoints(QStringView text) : m_p(text.data()), m_end(text.data() + text.size()) {}
    bool AtEnd() const { return m_p == m_end; }
    char32_t Next()
    {
        const char16_t c = m_p->unicode();
        ++m_p;
        if (QChar::isHighSurrogate(c) && m_p != m_end && m_p->isLowSurrogate()) {
            const char16_t low = m_p->unicode();
            ++m_p;
            return QChar::surrogateToUcs4(c, low);
        }
        return c;
    }

private:
    const QChar* m_p;
    const QChar* m_end;
};

} // namespace

quint64 FoldedHash(QStringView name)
{
    // FNV-1a over the folded code points, then a strong final mix so that the low bits index a table.
    quint64 h = 14695981039346656037ULL;
    for (CodePoints cp(name); !cp.AtEnd();) {
        h ^= FoldCodePoint(cp.Next());
        h *= 1099511628211ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

bool EqualIgnoringCase(QStringView a, QStringView b)
{
    if (a.size() == b.size() && a == b)
        return true;
    CodePoints x(a);
    CodePoints y(b);
    while (!x.AtEnd() && !y.AtEnd()) {
        if (FoldCodePoint(x.Next()) != FoldCodePoint(y.Next()))
            return false;
    }
    return x.AtEnd() && y.AtEnd();
}
