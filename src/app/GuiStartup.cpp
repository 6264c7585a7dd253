#include "app/GuiStartup.h"

#include "app/AppContext.h"
#include "app/GuiUserDialogs.h"

#include <QApplication>
#include <QMainWindow>

int RunParvex(QApplication& app)
{
    GuiUserDialogs dialogs;
    AppContext ctx(AppContext::DefaultApplicationFolder(), dialogs);
    QString problem;
    if (!ctx.LoadHelperLibrary(&problem)) {
        ctx.Errors().Report(Failure(Failure::FileNotFound, QStringLiteral("Error loading DLL - ") + problem,
                                    QStringLiteral("modParvex.Main")),
                            QStringLiteral("modParvex.Main"));
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Parvex v") + QStringLiteral(PARVEX_VERSION));
    window.show();
    return app.exec();
}
