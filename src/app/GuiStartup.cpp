#include "app/GuiStartup.h"

#include "app/AppContext.h"
#include "app/GuiSingleInstance.h"
#include "app/GuiUserDialogs.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "settings/GuiSoundPlayer.h"

#include <QApplication>
#include <memory>

QString VersionText()
{
    // major.minor.revision, three decimal numbers.
    return QStringLiteral(PARVEX_VERSION);
}

bool BindHelperLibrary(AppContext& ctx, const QString& libraryFile)
{
    QString problem;
    if (ctx.LoadHelperLibrary(&problem, libraryFile))
        return true;
    ctx.Errors().Report(Failure(Failure::FileNotFound, QStringLiteral("Error loading DLL - ") + problem,
                                QStringLiteral("modParvex.Main")),
                        QStringLiteral("modParvex.Main"));
    return false;
}

int RunParvex(QApplication& app)
{
    // 1-2. A second start brings the running window to the front instead of opening another one.
    GuiSingleInstance instance(frmMain::Caption());
    if (instance.AskRunningInstanceToShow())
        return 0;
    instance.Listen();

    // 3-4. The process-wide objects, over the application folder.
    GuiUserDialogs dialogs;
    const ProgramFolders folders = AppContext::LocateProgramFolders();
    AppContext ctx(folders.application, dialogs, folders.assets);

    // 5. Without the helper library nothing else can run.
    if (!BindHelperLibrary(ctx))
        return 1;
    ctx.Sounds().SetPlayer(std::make_unique<GuiSoundPlayer>());

    // 7. The splash window, then the main window.
    std::unique_ptr<frmMain> window;
    frmSplash* splash = nullptr;
    splash = new frmSplash(ctx, [&] {
        window = std::make_unique<frmMain>(ctx);
        dialogs.SetParent(window.get());
        window->show();
        splash->deleteLater();
    });
    QObject::connect(&instance, &GuiSingleInstance::ShowRequested, &app, [&] {
        if (!window)
            return;
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    });
    splash->show();
    const int status = app.exec();
    dialogs.SetParent(nullptr);
    window.reset();
    return status;
}
