#include "views/PaneRows.h"

#include <numeric>

bool IsNoResultsList(const ResultList& hold)
{
    return hold.size() == 1 && hold.front().text == NoComparisonResultsText();
}

void MakeNoResultsList(ResultList& hold)
{
    hold.clear();
    hold.shrink_to_fit();
    ResultRow row;
    row.text = NoComparisonResultsText();
    hold.push_back(std::move(row));
}


namespace {
bool Shown(const ResultList& hold, size_t i, const CategoryFlags& flags)
{
    if (i >= hold.size())
        return false;
    const int category = static_cast<int>(hold[i].icon);
    return category >= 1 && category <= CategoryCount && flags[static_cast<size_t>(category - 1)];
}
} // namespace

void FilterPanes(const ResultList& left, const ResultList& right, int32_t viewType, const CategoryFlags& flags,
                 PaneRows& leftRows, PaneRows& rightRows)
{
    leftRows.clear();
    rightRows.clear();
    if (viewType == ViewAll) {
        leftRows.resize(left.size());
        std::iota(leftRows.begin(), leftRows.end(), 0);
        rightRows.resize(right.size());
        std::iota(rightRows.begin(), rightRows.end(), 0);
        return;
    }
    // The two lists are row-aligned; should one ever be shorter, its missing rows count as placeholders.
    const size_t pairs = std::max(left.size(), right.size());
    leftRows.reserve(pairs);
    rightRows.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        const bool showLeft = Shown(left, i, flags);
        const bool showRight = Shown(right, i, flags);
        if (!showLeft && !showRight)
            continue;
        leftRows.push_back(showLeft ? static_cast<int32_t>(i) : EmptyRow);
        rightRows.push_back(showRight ? static_cast<int32_t>(i) : EmptyRow);
    }
}

PaneTotals ComputePaneTotals(const ResultList& hold, const PaneRows& rows)
{
    PaneTotals totals;
    totals.noRows = rows.empty();
    for (const int32_t i : rows) {
        if (i < 0 || static_cast<size_t>(i) >= hold.size())
            continue;
        const ResultRow& row = hold[static_cast<size_t>(i)];
        if (IsRealRow(row))
            ++totals.objects;
        totals.bytes += row.size;
    }
    return totals;
}

QString ViewTypeText(int32_t viewType)
{
    switch (viewType) {
    case ViewAll: return QStringLiteral("All");
    case ViewDifferent: return QStringLiteral("Different");
    case ViewSimilar: return QStringLiteral("Similar");
    case ViewCustom: return QStringLiteral("Custom");
    default: return QStringLiteral("Error");
    }
}
