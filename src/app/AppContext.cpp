#include "app/AppContext.h"

#include "base/Path.h"
#include "base/UserDialogs.h"
#include "model/PathUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

AppContext::AppContext(const QString& appFolder, UserDialogs& dialogs, const QString& assetFolder)
    : m_appFolder(AddTrailingBackslash(appFolder)),
      m_assetFolder(assetFolder.isEmpty() ? m_appFolder : AddTrailingBackslash(assetFolder)),
      m_startUpFolder(AddTrailingBackslash(QDir::currentPath())), m_dialogs(dialogs), m_errors(dialogs),
      m_errorLog(m_appFolder + ErrorLog::FileName())
{
    m_errorLog.SetOnEntry([this] { m_compare.SetErrorsDuringCompare(true); });
}

AppContext::~AppContext() = default;

namespace {

bool IsWritableFolder(const QString& folder)
{
    return !folder.isEmpty() && ::access(EncodeFileName(folder).constData(), W_OK) == 0;
}

// A folder below the program's folder, given as the build's relative path from bin/ to it.
QString BesideProgram(const QString& programFolder, const char* relative)
{
    return AddTrailingBackslash(QDir::cleanPath(programFolder + QString::fromUtf8(relative)));
}

// The program's own files, without deciding where it writes.
ProgramFolders FindProgramFiles(const QString& programFolder)
{
    ProgramFolders found;
    found.program = programFolder.isEmpty() ? QString() : AddTrailingBackslash(programFolder);
    found.library = found.program + ParvexLib::LibraryFileName();
    found.assets = found.program;
    if (found.program.isEmpty() || QFileInfo::exists(found.library))
        return found;
    const QString installedLibrary = BesideProgram(found.program, PARVEX_LIBRARY_FROM_PROGRAM) + ParvexLib::LibraryFileName();
    if (QFileInfo::exists(installedLibrary)) {
        found.installed = true;
        found.library = installedLibrary;
        found.assets = BesideProgram(found.program, PARVEX_ASSETS_FROM_PROGRAM);
    }
    return found;
}

QString RunningProgramFolder()
{
    return QCoreApplication::instance() == nullptr ? QString() : QCoreApplication::applicationDirPath();
}

} // namespace

ProgramFolders AppContext::LocateProgramFolders(const QString& programFolder)
{
    ProgramFolders folders = FindProgramFiles(programFolder.isEmpty() ? RunningProgramFolder() : programFolder);
    if (!folders.installed && IsWritableFolder(folders.program)) {
        folders.application = folders.program;
        return folders;
    }
    // Honours XDG_CONFIG_HOME; without a home, ~/.config all the same.
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = config + QStringLiteral("/parvex");
    QDir().mkpath(folder);
    folders.application = AddTrailingBackslash(folder);
    return folders;
}

bool AppContext::LoadHelperLibrary(QString* problem, const QString& libraryFile)
{
    QString file = libraryFile;
    if (file.isEmpty()) {
        // The library lives with the program; the application folder may be elsewhere (XDG).
        file = FindProgramFiles(RunningProgramFolder()).library;
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
