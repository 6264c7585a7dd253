#pragma once

#include "views/PaneRows.h"

#include <QDate>
#include <QString>
#include <vector>

class ErrorHandler;

// What the Select Wizard picks rows by. Operators as the wizard lists them: size 0 equals, 1 is less
// than, 2 is greater than; date 0 is on, 1 is before, 2 is after.
struct SelectCriteria
{
    CategoryFlags categories{}; // indexed by category - 1; none set means all
    QString patterns;           // comma-separated wildcard patterns; empty or blank means "*"
    bool select = true;         // false: deselect the rows that match
    QString byteSize = QStringLiteral("-1"); // "-1": no size criterion
    int sizeOperator = 0;
    QString dateText; // empty: no date criterion
    QDate date;       // the date dateText names, when there is one
    int dateOperator = 0;
};

// The visible rows of a pane (positions into rows) that the criteria pick, ascending. today decides
// the wizard's starting state ("is before" tomorrow), which is no date criterion at all. A date
// criterion never picks a folder row (folder rows have no date); a size criterion tests a folder row's
// total, the size it shows.
std::vector<int> RowsMatchingSelection(const ResultList& hold, const PaneRows& rows, const SelectCriteria& criteria,
                                       ErrorHandler& errors, const QDate& today);

// Visible rows as runs [first, last] of consecutive positions, so a selection model takes them as a
// few ranges instead of a range per row.
std::vector<std::pair<int, int>> RowRuns(const std::vector<int>& rows);

// The texts of the wizard's file-type list: "All Files  (*)", then "… (*.ext)" per extension found
// among names (case-insensitive, in the order found), and "User-defined..." last.
QStringList FileTypeEntries(const ResultList& hold);
// The pattern text of the chosen entries: their bracketed parts, joined by ",".
QString PatternsOfEntries(const QStringList& entries);
