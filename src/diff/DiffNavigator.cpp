#include "diff/DiffNavigator.h"

#include "platform/ParvexLib.h"

#include <algorithm>

const AlignedRow* DiffNavigator::Row(Side side, int32_t row) const
{
    const DiffAlignment& alignment = m_sides.Alignment();
    const std::vector<AlignedRow>& rows = side == Side::Left ? alignment.left : alignment.right;
    if (row < 0 || row >= static_cast<int32_t>(rows.size()))
        return nullptr;
    return &rows[static_cast<std::size_t>(row)];
}

QString DiffNavigator::RowText(Side side, int32_t row) const
{
    if (row == 0)
        return m_sides.Buffer(side).Path();
    const AlignedRow* r = Row(side, row);
    return r == nullptr || r->line == 0 ? QString()
                                        : DiffTextFile::DisplayTextOf(r->line, m_sides.Buffer(side).LineText(r->line));
}

QString DiffNavigator::LineText(Side side, int32_t row) const
{
    if (row == 0)
        return m_sides.Buffer(side).Path();
    const AlignedRow* r = Row(side, row);
    if (r == nullptr || r->line == 0)
        return {};
    QString text = m_sides.Buffer(side).LineText(r->line);
    text.replace(QLatin1Char('\t'), QLatin1String("   "));
    return text;
}

void DiffNavigator::RowsChanged()
{
    const int32_t count = RowCount();
    std::erase_if(m_bookmarks, [count](int32_t row) { return row >= count; });
}

RowColour DiffNavigator::Colour(Side side, int32_t row) const
{
    const AlignedRow* r = Row(side, row);
    return r == nullptr ? RowColour::Default : r->colour;
}

namespace {

int32_t After(const std::vector<int32_t>& list, int32_t current)
{
    const auto it = std::upper_bound(list.begin(), list.end(), current);
    return it == list.end() ? -1 : *it;
}

int32_t Before(const std::vector<int32_t>& list, int32_t current)
{
    // The difference list is in diff's order, which is ascending; walking from the end answers the
    // nearest entry below current either way.
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (*it < current)
            return *it;
    }
    return -1;
}

} // namespace

int32_t DiffNavigator::NextDiff(int32_t current) const
{
    for (const int32_t row : m_sides.Alignment().differences) {
        if (row > current)
            return row;
    }
    return -1;
}

int32_t DiffNavigator::PreviousDiff(int32_t current) const { return Before(m_sides.Alignment().differences, current); }
int32_t DiffNavigator::NextBookmark(int32_t current) const { return After(m_bookmarks, current); }
int32_t DiffNavigator::PreviousBookmark(int32_t current) const { return Before(m_bookmarks, current); }

bool DiffNavigator::IsRowBookmarked(int32_t row) const
{
    return std::binary_search(m_bookmarks.begin(), m_bookmarks.end(), row);
}

bool DiffNavigator::ToggleBookmark(int32_t row)
{
    const auto it = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), row);
    if (it != m_bookmarks.end() && *it == row) {
        m_bookmarks.erase(it);
        return false;
    }
    m_bookmarks.insert(it, row);
    return true;
}

bool DiffNavigator::RowHolds(int32_t row, const QString& text) const
{
    return LineText(Side::Left, row).contains(text, Qt::CaseInsensitive)
           || LineText(Side::Right, row).contains(text, Qt::CaseInsensitive);
}

DiffNavigator::Hit DiffNavigator::Find(const QString& text, Direction direction, int32_t current) const
{
    const int32_t last = RowCount() - 1;
    if (last < 1 || text.isEmpty())
        return {};
    current = std::clamp(current, 1, last);
    const int32_t step = direction == Direction::Previous ? -1 : 1;
    // Every row once, starting next to current and ending on it.
    int32_t row = current;
    for (int32_t n = 0; n < last; ++n) {
        row += step;
        if (row > last)
            row = 1;
        else if (row < 1)
            row = last;
        if (RowHolds(row, text))
            return {row, step > 0 ? row <= current : row >= current};
    }
    return {};
}

namespace {

// QString offsets of every character (code point) of a text, plus its end: the library counts
// characters, the boxes count UTF-16 units.
std::vector<int32_t> CharacterOffsets(const QString& text)
{
    std::vector<int32_t> offsets;
    offsets.reserve(static_cast<std::size_t>(text.size()) + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        offsets.push_back(static_cast<int32_t>(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    offsets.push_back(static_cast<int32_t>(text.size()));
    return offsets;
}

// A 0-based character range [from, to) of a text as a mark in QString units.
void AddMark(std::vector<CharMark>& marks, const QString& text, const std::vector<int32_t>& offsets, int32_t from,
             int32_t to)
{
    const int32_t count = static_cast<int32_t>(offsets.size()) - 1;
    from = std::clamp(from, 0, count);
    to = std::clamp(to, 0, count);
    if (to <= from)
        return;
    CharMark mark;
    mark.start = offsets[static_cast<std::size_t>(from)];
    mark.length = offsets[static_cast<std::size_t>(to)] - mark.start;
    const QStringView run = QStringView(text).mid(mark.start, mark.length);
    mark.underline = run == QLatin1String(" ") || run == QLatin1String("\t");
    marks.push_back(mark);
}

} // namespace

LinePairMarks MarkLineDifferences(const QString& text1, const QString& text2, const ParvexLib& lib)
{
    LinePairMarks marks;
    const std::vector<int32_t> offsets1 = CharacterOffsets(text1);
    const std::vector<int32_t> offsets2 = CharacterOffsets(text2);
    const int32_t length1 = std::min<int32_t>(static_cast<int32_t>(offsets1.size()) - 1, 255);
    const int32_t length2 = std::min<int32_t>(static_cast<int32_t>(offsets2.size()) - 1, 255);
    const int32_t m = std::max(length1, length2);
    int32_t i = 0;
    while (i <= m) {
        if (i > length1) {
            AddMark(marks.right, text2, offsets2, i, length2);
            break;
        }
        if (i > length2) {
            AddMark(marks.left, text1, offsets1, i, length1);
            break;
        }
        int32_t end1 = -1;
        int32_t end2 = -1;
        const int32_t first = lib.PositionOfFirstDifference(text1, text2, i + 1, &end1, &end2);
        if (first == -1)
            break;
        // first .. end are 1-based and inclusive.
        AddMark(marks.left, text1, offsets1, first - 1, std::min(end1, length1));
        AddMark(marks.right, text2, offsets2, first - 1, std::min(end2, length2));
        if (end1 != end2 || end1 <= i)
            break;
        i = end1;
    }
    return marks;
}
