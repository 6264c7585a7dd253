#include "views/SummaryCounts.h"

CategoryCounts CountCategories(const ResultList& hold, const SubFolderDiffsList* subFolders, bool left)
{
    CategoryCounts c;
    for (const ResultRow& row : hold) {
        const int k = static_cast<int>(row.icon);
        if (k >= 1 && k <= CategoryCount) {
            ++c.count[static_cast<std::size_t>(k - 1)];
            ++c.total;
            if (row.note == RowNote::Conflict)
                ++c.conflicts;
        }
    }
    if (subFolders != nullptr) {
        for (const CSubFolderDiffs& diffs : *subFolders)
            for (const ResultRow& row : left ? diffs.DiffOne() : diffs.DiffTwo())
                if (!row.IsPlaceholder() && row.note == RowNote::Conflict)
                    ++c.conflicts;
    }
    return c;
}

std::vector<PieSlice> PieSlices(const CategoryCounts& counts)
{
    std::vector<PieSlice> slices;
    if (counts.total == 0)
        return slices;
    // The walk starts a hair after 0 and stops a hair before 100, so a single category reads as the
    // whole circle rather than a sector with both edges on one line.
    double start = 0.001;
    for (const Category c : {Category::Newer, Category::Older, Category::Binary, Category::Same, Category::Orphan,
                             Category::DifferentFolder, Category::IdenticalFolder, Category::OrphanFolder}) {
        const double share = static_cast<double>(counts.Of(c)) / counts.total * 100.0;
        if (share == 0)
            continue;
        double end = start + share;
        if (end > 99.999)
            end = 99.999;
        if (start == 0.001 && end == 99.999) {
            slices.push_back({c, 0, 100, true});
            break;
        }
        slices.push_back({c, start, end, false});
        start = end;
    }
    return slices;
}
