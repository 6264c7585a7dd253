#include "base/DesktopOpener.h"

#include "base/UserDialogs.h"

#include <QUrl>

bool HandToDesktop(UserDialogs& dialogs, const UrlOpener& open, const QString& path, const QString& title)
{
    bool opened = false;
    {
        BusyPointer busy(dialogs);
        opened = open(QUrl::fromLocalFile(path));
    }
    if (!opened)
        dialogs.Message(QStringLiteral("Unable to open \"") + path + QStringLiteral("\".\r\n")
                            + QStringLiteral("No program on this computer is set up to open it."),
                        title, UserDialogs::Icon::Warning);
    return opened;
}
