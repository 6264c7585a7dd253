#pragma once

#include "diff/DiffRun.h"

#include <QString>
#include <cstdint>
#include <vector>

class ParvexLib;

// What the differences window does with one run's aligned rows, without the widgets: the rows' texts
// and colours, stepping between differences and bookmarks, the bookmark list, the search and the
// character marking of a line pair. Rows are numbered as the alignment numbers them (0 is the header).
class DiffNavigator final
{
public:
    enum class Side { Left, Right };
    enum class Direction { Next, Previous, Both };

    explicit DiffNavigator(const DiffRunResult& run) : m_run(run) {}
    Q_DISABLE_COPY_MOVE(DiffNavigator)

    int32_t RowCount() const { return static_cast<int32_t>(m_run.alignment.left.size()); }
    // The grid's text of a row: " 12.text", empty for a filler row, the file's path for row 0.
    QString RowText(Side side, int32_t row) const;
    // The row's text after its first "." (the whole text when it has none; empty for a filler row).
    QString LineText(Side side, int32_t row) const;
    RowColour Colour(Side side, int32_t row) const;

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

    // The first row, next to current (never current itself, never the header), whose text holds text
    // without regard to case: left rows first, then right rows; -1 when none does.
    int32_t Find(const QString& text, Direction direction, int32_t current) const;

private:
    int32_t FindIn(Side side, const QString& text, int32_t from, int32_t to, int32_t step) const;
    const DiffTextFile& File(Side side) const { return side == Side::Left ? m_run.left : m_run.right; }
    const AlignedRow* Row(Side side, int32_t row) const;

    const DiffRunResult& m_run;
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
