#include "cmd/CmdCompare.h"
#include "cmd/CmdDiff.h"
#include "cmd/CmdFiles.h"
#include "cmd/CmdSync.h"
#include "cmd/CmdUndo.h"

#include "base/Path.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
QString Usage() { return QStringLiteral("Usage: parvexcmd COMMAND [options]\n\nCommands:\n") + CompareUsage() + SyncUsage() + DiffUsage() + FilesUsage() + HistoryUsage()
                                                                                     + UndoUsage(); }

void PrintUsage(FILE* out) { std::fputs(Usage().toUtf8().constData(), out); }
} // namespace

int main(int argc, char** argv)
{
    // A file larger than the process may write (ulimit -f) is a failure like any other (EFBIG): the copy
    // removes its temporary file and says so, instead of the signal ending the run half way.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    // Folder arguments are names too: taken as the bytes they are, so a folder whose name is not UTF-8
    // can be given (QCoreApplication::arguments would replace such bytes).
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << DecodeFileName(argv[i], static_cast<qsizetype>(std::strlen(argv[i])));
    if (args.isEmpty()) {
        PrintUsage(stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        return WriteStandardOutput(Usage());
    }
    if (command == QLatin1String("compare"))
        return RunCompareCommand(args);
    if (command == QLatin1String("sync"))
        return RunSyncCommand(args);
    if (command == QLatin1String("diff"))
        return RunDiffCommand(args);
    if (command == QLatin1String("files"))
        return RunFilesCommand(args);
    if (command == QLatin1String("history"))
        return RunHistoryCommand(args);
    if (command == QLatin1String("undo"))
        return RunUndoCommand(args);
    std::fprintf(stderr, "parvexcmd: unknown command \"%s\"\n", command.toUtf8().constData());
    PrintUsage(stderr);
    return 2;
}
