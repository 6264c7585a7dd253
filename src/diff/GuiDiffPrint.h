#pragma once

class DiffNavigator;
class QPrinter;
class QWidget;
class UserDialogs;

// Prints the two aligned files of a differences window: the two paths and the date on top of every
// page, then the rows side by side in their colours. Asks for the printer with a preview first.
void PrintFileDifferences(const DiffNavigator& rows, UserDialogs& dialogs, QWidget* parent);
// Paints every page onto printer (the preview and the tests use it directly).
void PaintFileDifferences(const DiffNavigator& rows, QPrinter& printer);
