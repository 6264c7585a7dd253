#pragma once

#include <QString>
#include <QStringList>

// "parvexcmd sync [compare options] [--sync METHOD] [--rules R] [--only NAME]... [--dry-run]
// [--ignore-space] LEFT RIGHT": compares, plans and carries out a synchronisation with the engine the
// window uses, without a question. Writes one line per operation (as it succeeds; with --dry-run, the
// plan). Exit status 0 when every operation succeeded, 2 on trouble (bad usage, a refused path, a
// comparison that could not read everything, too little space, a failed operation, a signal).
int RunSyncCommand(const QStringList& args);

QString SyncUsage();
