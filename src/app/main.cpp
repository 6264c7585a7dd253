#include "app/GuiStartup.h"
#include "app/StartArguments.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv)
{
    // A file larger than the process may write (ulimit -f) is a failure like any other (EFBIG), not the end
    // of the program half way through a synchronisation.
    std::signal(SIGXFSZ, SIG_IGN);
    // Help and the version are answered before the window system is reached: they need no display.
    switch (InformationAskedFor(ProgramArguments(argc, argv))) {
    case StartArguments::Action::Help:
        WriteToTerminal(HelpText(), false);
        return 0;
    case StartArguments::Action::Version:
        WriteToTerminal(VersionLine(), false);
        return 0;
    default:
        break;
    }
    QApplication app(argc, argv);
    // QApplication took its own options (-platform, -style ...) out of argv: the rest are the program's.
    return RunParvex(app, ProgramArguments(argc, argv));
}
