#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"

#include <array>
#include <cstdint>
#include <vector>

// The rows of one side of the last comparison counted by category (index category - 1), whatever the
// view hides; placeholders do not count. conflicts counts the rows changed on both sides since the
// pair's last synchronization, apart from the categories (such a row is counted in its category too).
struct CategoryCounts
{
    std::array<int32_t, CategoryCount> count{};
    int32_t total = 0;
    int32_t conflicts = 0;
    int32_t Of(Category c) const { return count[static_cast<std::size_t>(static_cast<int>(c) - 1)]; }
};
// subFolders, when given, adds the conflicts among the files of the differing sub-folders on that side
// (left: the first list of each); their files are not counted by category, as their folder's row stands
// for them.
CategoryCounts CountCategories(const ResultList& hold, const SubFolderDiffsList* subFolders = nullptr, bool left = true);

// One slice of the summary's pie, in percent of the circle from three o'clock counter-clockwise.
struct PieSlice
{
    Category category = Category::None;
    double start = 0;
    double end = 0;
    bool whole = false; // the category fills the pie alone
};
// The slices in drawing order (newer, older, contents differ, identical, orphan, different folders,
// identical folders, orphan folders); none when the total is 0.
std::vector<PieSlice> PieSlices(const CategoryCounts& counts);
