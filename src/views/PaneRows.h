#pragma once

#include "compare/ResultList.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// The rows a visible pane shows, as positions in its hold list. A filtered view pairs a shown row with an
// empty row on the other side; that empty row is EmptyRow, so no row text is ever copied to fill a pane.
using PaneRows = std::vector<int32_t>;
constexpr int32_t EmptyRow = -1;

// Which categories a filtered view shows, indexed by category - 1 (Newer first, OrphanFolder last).
using CategoryFlags = std::array<bool, CategoryCount>;

// View types, as the view selections store them.
enum ViewTypeValue : int32_t { ViewAll = 0, ViewDifferent = 1, ViewSimilar = 2, ViewCustom = 3 };

// True when a hold list is the "no results" list: exactly one row reading "No Comparison Results".
bool IsNoResultsList(const ResultList& hold);
// Makes hold the "no results" list.
void MakeNoResultsList(ResultList& hold);

// Fills the two visible panes from the hold lists. The view type All shows every row pair as it is;
// any other type shows a row when the flag of its category is set, pairs a shown row with an empty row
// when its partner is hidden, and drops a pair of which neither row is shown.
void FilterPanes(const ResultList& left, const ResultList& right, int32_t viewType, const CategoryFlags& flags,
                 PaneRows& leftRows, PaneRows& rightRows);

// Totals of one visible pane for the status bar.
struct PaneTotals
{
    qint64 objects = 0; // real rows
    qint64 bytes = 0;   // sum of the sizes of the shown rows
    bool noRows = true; // the pane shows no row at all
};
PaneTotals ComputePaneTotals(const ResultList& hold, const PaneRows& rows);

// The status-bar text of a pane: "Total 3 object(s)  (1.5KB)"; sizeText formats a byte count the way the
// helper library does.
template <typename SizeText>
QString PaneTotalsText(const PaneTotals& totals, SizeText sizeText)
{
    const QString size = totals.noRows ? QStringLiteral("0 Bytes") : sizeText(totals.bytes);
    return QStringLiteral("Total ") + QString::number(totals.objects) + QStringLiteral(" object(s)") +
           QStringLiteral("  (") + size + QLatin1Char(')');
}

// The status-bar text of a view type: "All", "Different", "Similar", "Custom", or "Error".
QString ViewTypeText(int32_t viewType);
