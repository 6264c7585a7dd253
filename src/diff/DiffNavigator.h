#pragma once

#include "diff/DiffMerge.h"
#include "diff/DiffRun.h"

#include <QString>
#include <cstdint>
#include <vector>

class ParvexLib;

// What the differences window does with the aligned rows of its two sides (as the merge has them now),
// without the widgets: the rows' texts and colours, stepping between differences and bookmarks, the
// bookmark list, the search and the character marking of a line pair. Rows are numbered as the alignment
// numbers them (0 is the header).
class DiffNavigator final
{
public:
    using Side = DiffSide;
    enum class Direction { Next, Previous, Both };

    explicit DiffNavigator(const DiffMerge& sides) : m_sides(sides) {}
    Q_DISABLE_COPY_MOVE(DiffNavigator)

    int32_t RowCount() const { return static_cast<int32_t>(m_sides.Alignment().left.size()); }
    // The printed text of a row: " 12.text", empty for a filler row, the file's path for row 0.
    QString RowText(Side side, int32_t row) const;
    // The row's line as shown (every tab as three blanks), without its number; empty for a filler row.
    QString LineText(Side side, int32_t row) const;
    // The row's line as it is in its file (tabs as tabs), for editing; empty for a filler row.
    QString RawLineText(Side side, int32_t row) const
    {
        const int32_t line = m_sides.LineAt(side, row);
        return line > 0 ? m_sides.Buffer(side).LineText(line) : QString();
    }
    // The row's line number in its file; 0 for a filler row and the header.
    int32_t LineNumber(Side side, int32_t row) const { return m_sides.LineAt(side, row); }
    RowColour Colour(Side side, int32_t row) const;
    // The rows changed: bookmarks past the last row go.
    void RowsChanged();

    // -1 when there is none.
    int32_t NextDiff(int32_t current) const;
    int32_t PreviousDiff(int32_t current) const;
    int32_t NextBookmark(int32_t current) const;
    int32_t PreviousBookmark(int32_t current) const;

    bool IsRowBookmarked(int32_t row) const;
    // Adds or removes the row; answers whether it is bookmarked now.
    bool ToggleBookmark(int32_t row);
    void ClearAllBookmarks() { m_bookmarks.clear(); }
    const std::vector<int32_t>& Bookmarks() const { return m_bookmarks; }

    struct Hit
    {
        int32_t row = -1;     // -1: no row holds the text
        bool wrapped = false; // the search passed the last row (the first, going back) and went on
    };
    // The nearest row after current (before it for Previous; Both is Next) whose line, in either side,
    // holds text without regard to case; line numbers are not searched. Past the end the search goes on
    // from the other end, up to current itself.
    Hit Find(const QString& text, Direction direction, int32_t current) const;

private:
    bool RowHolds(int32_t row, const QString& text) const;
    const AlignedRow* Row(Side side, int32_t row) const;

    const DiffMerge& m_sides;
    std::vector<int32_t> m_bookmarks; // ascending, no duplicates
};

// The characters of a selected line pair that the detail boxes colour red. Offsets and lengths are in
// the texts' own units (QString positions); a range of exactly one blank or one tab is also underlined.
struct CharMark
{
    int32_t start = 0;
    int32_t length = 0;
    bool underline = false;
};
struct LinePairMarks
{
    std::vector<CharMark> left;
    std::vector<CharMark> right;
};
// Marks equal-length differing runs one after the other along the line, up to the first run whose two
// sides differ in length, and never past the 255th character.
LinePairMarks MarkLineDifferences(const QString& text1, const QString& text2, const ParvexLib& lib);
