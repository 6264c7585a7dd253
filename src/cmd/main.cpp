#include "cmd/CmdCompare.h"
#include "cmd/CmdDiff.h"
#include "cmd/CmdFiles.h"
#include "cmd/CmdSync.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
QString Usage() { return QStringLiteral("Usage: parvexcmd COMMAND [options]\n\nCommands:\n") + CompareUsage() + SyncUsage() + DiffUsage() + FilesUsage(); }

void PrintUsage(FILE* out) { std::fputs(Usage().toUtf8().constData(), out); }
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
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
    std::fprintf(stderr, "parvexcmd: unknown command \"%s\"\n", command.toUtf8().constData());
    PrintUsage(stderr);
    return 2;
}
