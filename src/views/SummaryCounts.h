#pragma once

#include "compare/ResultList.h"

#include <array>
#include <cstdint>
#include <vector>

// The rows of one side of the last comparison counted by category (index category - 1), whatever the
// view hides; placeholders do not count.
struct CategoryCounts
{
    std::array<int32_t, CategoryCount> count{};
    int32_t total = 0;
    int32_t Of(Category c) const { return count[static_cast<std::size_t>(static_cast<int>(c) - 1)]; }
};
CategoryCounts CountCategories(const ResultList& hold);

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
