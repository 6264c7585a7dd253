#pragma once

#include <QString>
#include <QStringList>

// "parvexcmd history": one line per synchronisation of the journal, the newest first: number, date, method,
// the two folders, outcome and counts, tab-separated ("undone by N" / "undo of N" where it applies).
int RunHistoryCommand(const QStringList& args);
QString HistoryUsage();

// "parvexcmd undo [--dry-run] [--run N]": takes back the last synchronisation not yet undone (or run N).
// Writes each step on standard output as it succeeds (with --dry-run, the plan), and on standard error
// every object left as it was: "changed<TAB>path" (changed since the run) or "missing<TAB>path" (no longer
// in the trash). Exit status 0 when everything came back, 1 when objects were left because they changed
// since, 2 on trouble (nothing to undo, the journal unusable, a failed step, a missing trash entry).
int RunUndoCommand(const QStringList& args);
QString UndoUsage();
