#pragma once

#include "compare/ResultList.h"
#include "views/PaneRows.h"

#include <QString>

class QPrinter;
class QWidget;
class UserDialogs;

// What a print of the two result panes shows: the rows as the panes show them, pair by pair, under the
// two folder paths and the date.
struct PanePrintout
{
    QString leftFolder;
    QString rightFolder;
    const ResultList* leftHold = nullptr;
    const ResultList* rightHold = nullptr;
    PaneRows leftRows;
    PaneRows rightRows;

    int RowCount() const { return static_cast<int>(std::max(leftRows.size(), rightRows.size())); }
    // The row of a side at a printed line; nullptr for an empty place.
    const ResultRow* Row(bool left, int line) const;
};

// A category as a printout names it for a reader ("Identical folder"), never by its internal key.
QString PrintedCategoryText(Category category);

// Paints every page of the printout onto printer.
void PaintPanes(const PanePrintout& printout, QPrinter& printer);
// Asks for the printer with a preview and prints; "There are no items to print." when the panes show no
// result.
void PrintPanes(const PanePrintout& printout, UserDialogs& dialogs, QWidget* parent);
