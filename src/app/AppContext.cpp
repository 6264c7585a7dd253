#include "app/AppContext.h"

#include "base/UserDialogs.h"
#include "model/PathUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

AppContext::AppContext(const QString& appFolder, UserDialogs& dialogs)
    : m_appFolder(AddTrailingBackslash(appFolder)), m_dialogs(dialogs), m_errors(dialogs),
      m_errorLog(m_appFolder + ErrorLog::FileName())
{
    m_errorLog.SetOnEntry([this] { m_compare.SetErrorsDuringCompare(true); });
}

AppContext::~AppContext() = default;

QString AppContext::DefaultApplicationFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!programFolder.isEmpty() && ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0)
        return AddTrailingBackslash(programFolder);
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = config + QStringLiteral("/parvex");
    QDir().mkpath(folder);
    return AddTrailingBackslash(folder);
}

bool AppContext::LoadHelperLibrary(QString* problem, const QString& libraryFile)
{
    QString file = libraryFile;
    if (file.isEmpty()) {
        // The library lives beside the program; the application folder may be elsewhere (XDG).
        const QString programFolder = QCoreApplication::applicationDirPath();
        file = AddTrailingBackslash(programFolder.isEmpty() ? m_appFolder : programFolder) + ParvexLib::LibraryFileName();
        if (!QFileInfo::exists(file))
            file = m_appFolder + ParvexLib::LibraryFileName();
    }
    if (!m_lib.Load(file, problem))
        return false;
    // The library's information messages go through the same dialogs as every other message.
    m_lib.SetMessageHandler(
        [](const char* text, const char* title, void* context) {
            static_cast<UserDialogs*>(context)->Message(QString::fromUtf8(text), QString::fromUtf8(title),
                                                        UserDialogs::Icon::Information);
        },
        &m_dialogs);
    return true;
}
