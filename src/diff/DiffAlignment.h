#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The two aligned display models of a text comparison. Row 0 of each side is the header (the file's
// path); every other row shows a line of its file or is a filler row that keeps the sides aligned, and
// row r of the left side corresponds to row r of the right side.
enum class RowColour : uint8_t { Default, Addition, Change };

struct AlignedRow
{
    int32_t line = 0; // 1-based line number; 0 for a filler row (and for the header row 0)
    RowColour colour = RowColour::Default;
};

struct DiffAlignment
{
    std::vector<AlignedRow> left;
    std::vector<AlignedRow> right;
    // The row of the first line of every difference block, in the order of diff's output.
    std::vector<int32_t> differences;
    // The output could not be followed; what was aligned up to there stays and both sides were padded
    // to one length.
    bool failed = false;
};

// A hunk header of diff's normal output ("3a4,5", "2,3d1", "2c2,4"). Lines that do not begin with a
// digit are not headers.
struct DiffHunk
{
    char kind = 0; // 'a', 'd' or 'c'
    int32_t left1 = 0, left2 = 0, right1 = 0, right2 = 0;
};
enum class HunkParse { NotHeader, Header, Malformed };
HunkParse ParseHunkHeader(const QString& line, DiffHunk& hunk);

// Aligns leftLines lines against rightLines lines by the hunks of diff's output (lineAt gives output line
// i of lineCount). The hunks are taken in one pass, so the time is linear in the rows. pump runs about
// once per thousand output lines.
DiffAlignment AlignDiffs(int32_t leftLines, int32_t rightLines, int32_t lineCount,
                         const std::function<QString(int32_t)>& lineAt, const std::function<void()>& pump = {});
