#pragma once

#include <QString>
#include <QStringList>

// "parvexcmd diff [--ignore-case] [--ignore-whitespace] [--format unix|visual] FILE1 FILE2": the text
// differences the window shows. unix writes diff's output lines as diff wrote them; visual writes the
// aligned rows (mark, text, mark, text; the mark "=" for an unchanged row, "+" for a line on one side
// only, "~" for a changed line) and a last line "differences" with the rows where the blocks begin.
// Messages go to standard error as "title: text". Exit status: diff's 0, 1 or 2; 2 also when the
// differences could not be computed or shown whole.
int RunDiffCommand(const QStringList& args);

QString DiffUsage();
