#include "diff/DiffAlignment.h"

namespace {

bool ParseNumber(QStringView text, int32_t& value)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    qint64 v = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    if (v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

// "n" or "n,m".
bool ParseRange(QStringView text, int32_t& first, int32_t& last)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0) {
        if (!ParseNumber(text, first))
            return false;
        last = first;
        return true;
    }
    return ParseNumber(text.left(comma), first) && ParseNumber(text.mid(comma + 1), last) && first <= last;
}

// Builds both sides row by row. Lines are taken in order; a hunk that points backwards or past the end
// of a file, or common lines that do not pair up, mean the output does not fit these files.
class Aligner
{
public:
    Aligner(int32_t leftLines, int32_t rightLines) : m_leftLines(leftLines), m_rightLines(rightLines)
    {
        m_out.left.reserve(static_cast<std::size_t>(leftLines) + 1);
        m_out.right.reserve(static_cast<std::size_t>(rightLines) + 1);
        m_out.left.push_back({});
        m_out.right.push_back({});
    }

    bool Apply(const DiffHunk& h)
    {
        switch (h.kind) {
        case 'a':
            // After left line left1 come right lines right1..right2.
            if (!Common(h.left1, h.right1 - 1) || h.right2 > m_rightLines)
                return false;
            m_out.differences.push_back(Row());
            for (int32_t r = h.right1; r <= h.right2; ++r)
                Push(0, r, RowColour::Addition);
            m_nextRight = h.right2 + 1;
            return true;
        case 'd':
            if (h.left1 < 1 || !Common(h.left1 - 1, h.right1) || h.left2 > m_leftLines)
                return false;
            m_out.differences.push_back(Row());
            for (int32_t l = h.left1; l <= h.left2; ++l)
                Push(l, 0, RowColour::Addition);
            m_nextLeft = h.left2 + 1;
            return true;
        case 'c': {
            if (h.left1 < 1 || h.right1 < 1 || !Common(h.left1 - 1, h.right1 - 1) || h.left2 > m_leftLines
                || h.right2 > m_rightLines)
                return false;
            m_out.differences.push_back(Row());
            const int32_t u = h.left2 - h.left1 + 1;
            const int32_t b = h.right2 - h.right1 + 1;
            for (int32_t k = 0; k < std::max(u, b); ++k)
                Push(k < u ? h.left1 + k : 0, k < b ? h.right1 + k : 0, RowColour::Change);
            m_nextLeft = h.left2 + 1;
            m_nextRight = h.right2 + 1;
            return true;
        }
        default:
            return false;
        }
    }

    // The lines after the last hunk pair up as the common tail.
    bool Finish() { return Common(m_leftLines, m_rightLines); }

    // The rest of each file unaligned, then the shorter side padded.
    DiffAlignment Fail()
    {
        for (int32_t l = m_nextLeft; l <= m_leftLines; ++l)
            m_out.left.push_back({l, RowColour::Default});
        for (int32_t r = m_nextRight; r <= m_rightLines; ++r)
            m_out.right.push_back({r, RowColour::Default});
        while (m_out.left.size() < m_out.right.size())
            m_out.left.push_back({});
        while (m_out.right.size() < m_out.left.size())
            m_out.right.push_back({});
        m_out.failed = true;
        return std::move(m_out);
    }

    DiffAlignment Take() { return std::move(m_out); }

private:
    int32_t Row() const { return static_cast<int32_t>(m_out.left.size()); }
    void Push(int32_t left, int32_t right, RowColour colour)
    {
        m_out.left.push_back({left, left == 0 && colour == RowColour::Addition ? RowColour::Default : colour});
        m_out.right.push_back({right, right == 0 && colour == RowColour::Addition ? RowColour::Default : colour});
    }
    // Pairs the unchanged lines up to leftLast and rightLast.
    bool Common(int32_t leftLast, int32_t rightLast)
    {
        if (leftLast < m_nextLeft - 1 || rightLast < m_nextRight - 1 || leftLast > m_leftLines
            || rightLast > m_rightLines || leftLast - m_nextLeft != rightLast - m_nextRight)
            return false;
        for (; m_nextLeft <= leftLast; ++m_nextLeft, ++m_nextRight)
            Push(m_nextLeft, m_nextRight, RowColour::Default);
        return true;
    }

    int32_t m_leftLines;
    int32_t m_rightLines;
    int32_t m_nextLeft = 1;
    int32_t m_nextRight = 1;
    DiffAlignment m_out;
};

} // namespace

HunkParse ParseHunkHeader(const QString& line, DiffHunk& hunk)
{
    if (line.isEmpty() || !line.at(0).isDigit())
        return HunkParse::NotHeader;
    for (const char kind : {'a', 'd', 'c'}) {
        const qsizetype at = line.indexOf(QLatin1Char(kind));
        if (at < 0)
            continue;
        hunk.kind = kind;
        const QStringView text(line);
        if (!ParseRange(text.left(at), hunk.left1, hunk.left2) || !ParseRange(text.mid(at + 1), hunk.right1, hunk.right2))
            return HunkParse::Malformed;
        // One side of an addition or a deletion names a single line: the place of the other side's lines.
        if ((kind == 'a' && hunk.left1 != hunk.left2) || (kind == 'd' && hunk.right1 != hunk.right2))
            return HunkParse::Malformed;
        return HunkParse::Header;
    }
    return HunkParse::Malformed;
}

DiffAlignment AlignDiffs(int32_t leftLines, int32_t rightLines, int32_t lineCount,
                         const std::function<QString(int32_t)>& lineAt, const std::function<void()>& pump)
{
    Aligner aligner(leftLines, rightLines);
    for (int32_t i = 0; i < lineCount; ++i) {
        if (pump && (i & 1023) == 0)
            pump();
        DiffHunk hunk;
        const HunkParse parsed = ParseHunkHeader(lineAt(i), hunk);
        if (parsed == HunkParse::NotHeader)
            continue;
        if (parsed == HunkParse::Malformed || !aligner.Apply(hunk))
            return aligner.Fail();
    }
    if (!aligner.Finish())
        return aligner.Fail();
    return aligner.Take();
}
