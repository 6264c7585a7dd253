#include "app/GuiStartup.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv)
{
    // A file larger than the process may write (ulimit -f) is a failure like any other (EFBIG), not the end
    // of the program half way through a synchronisation.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    return RunParvex(app);
}
