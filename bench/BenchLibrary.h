#pragma once

#include "app/AppContext.h"
#include "platform/ParvexLib.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

// Binds the helper library for a benchmark's context: from PARVEX_BIN_DIR, else from the bin folder beside
// the benchmark's own folder. Says why on standard error when it cannot.
inline bool BindBenchLibrary(AppContext& ctx)
{
    QString binDir = qEnvironmentVariable("PARVEX_BIN_DIR");
    if (binDir.isEmpty())
        binDir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
    QString problem;
    if (ctx.LoadHelperLibrary(&problem, QDir(binDir).filePath(ParvexLib::LibraryFileName())))
        return true;
    std::fprintf(stderr, "cannot bind the helper library: %s\n", qPrintable(problem));
    return false;
}
