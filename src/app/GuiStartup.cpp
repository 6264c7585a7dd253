#include "app/GuiStartup.h"

#include "app/AppContext.h"
#include "app/GuiSingleInstance.h"
#include "app/GuiUserDialogs.h"
#include "app/StartArguments.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "settings/GuiSoundPlayer.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
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

int RunParvex(QApplication& app, const QStringList& arguments)
{
    const StartArguments start = ReadStartArguments(arguments, StartFolder());
    if (start.action != StartArguments::Action::Run) {
        WriteToTerminal(start.text, start.action == StartArguments::Action::Refuse);
        return start.ExitCode();
    }

    // 1-2. A second start brings the running window to the front, with its folders, instead of opening
    // another one.
    GuiSingleInstance instance(frmMain::Caption());
    switch (instance.AskRunningInstance(start.folders)) {
    case GuiSingleInstance::Reply::Done:
        return 0;
    case GuiSingleInstance::Reply::Busy:
        WriteToTerminal(QStringLiteral("parvex: the running Parvex window is busy (an operation or a dialog is "
                                       "open); the folders were not handed over.\n"),
                        true);
        return 1;
    case GuiSingleInstance::Reply::NoInstance:
        break;
    }
    instance.Listen();

    // 3-4. The process-wide objects, over the application folder.
    GuiUserDialogs dialogs;
    const ProgramFolders folders = AppContext::LocateProgramFolders();
    AppContext ctx(folders.application, dialogs, folders.assets);

    // 5. Without the helper library nothing else can run.
    if (!BindHelperLibrary(ctx))
        return 1;
    ctx.Sounds().SetPlayer(std::make_unique<GuiSoundPlayer>());

    // Folders for the window: the command line's, or those a later start handed over during the splash.
    QStringList pendingFolders = start.folders;
    std::unique_ptr<frmMain> window;
    // Queued, so that the window is up (and a hand-over answered) before a comparison takes the loop.
    const auto openFolders = [&window](const QStringList& chosen) {
        QTimer::singleShot(0, window.get(), [target = QPointer<frmMain>(window.get()), chosen] {
            if (target)
                target->OpenFolders(chosen);
        });
    };

    // 7. The splash window, then the main window.
    frmSplash* splash = nullptr;
    splash = new frmSplash(ctx, [&] {
        window = std::make_unique<frmMain>(ctx);
        dialogs.SetParent(window.get());
        window->show();
        splash->deleteLater();
        if (!pendingFolders.isEmpty())
            openFolders(pendingFolders);
        pendingFolders.clear();
    });
    QObject::connect(&instance, &GuiSingleInstance::ShowRequested, &app, [&] {
        if (!window)
            return;
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    });
    instance.SetFolderHandler([&](const QStringList& handed) {
        if (!window) {
            pendingFolders = handed;
            return true;
        }
        if (!window->CanTakeFolders())
            return false;
        openFolders(handed);
        return true;
    });
    splash->show();
    const int status = app.exec();
    instance.SetFolderHandler({});
    dialogs.SetParent(nullptr);
    window.reset();
    return status;
}
