#pragma once

#include "base/ErrorHandler.h"
#include "base/ErrorLog.h"
#include "compare/CCRC32.h"
#include "compare/CCompare.h"
#include "compare/CompareServices.h"
#include "diff/LineDiffEngine.h"
#include "diff/cViewFileDiffsOptions.h"
#include "platform/ParvexLib.h"
#include "settings/CSoundSettings.h"
#include "settings/MainOptions.h"
#include "settings/SettingsTable.h"
#include "sync/CSyncSettings.h"
#include "views/CViewSelections.h"

#include <QString>
#include <functional>
#include <memory>

class UserDialogs;

// Where the program's own files are and where it keeps what it writes. A development build has the
// program, the helper library and the assets together in build/bin; an installed program finds the
// library in lib/parvex/ and the assets in share/parvex/ beside its bin/ folder.
struct ProgramFolders
{
    QString program;     // the folder of the program file, with a trailing "/"
    QString library;     // the helper library file
    QString assets;      // help, pictures and sounds, with a trailing "/"
    QString application; // settings, error log and history, with a trailing "/"
    bool installed = false;
};

// Owns the process-wide objects. It is passed by reference; there are no mutable globals, so each test
// builds a fresh one over a temporary application folder.
class AppContext final
{
public:
    // appFolder: the application folder, with or without a trailing "/". assetFolder: where the help,
    // pictures and default sound are; the application folder when empty.
    AppContext(const QString& appFolder, UserDialogs& dialogs, const QString& assetFolder = {});
    ~AppContext();
    Q_DISABLE_COPY_MOVE(AppContext)

    // The folders of the program whose file is in programFolder (the running program's when empty).
    // The application folder is the program's own folder when that holds the library and is writable;
    // an installed program (whose bin/ folder is shared with every other program) and a program in a
    // folder it may not write use $XDG_CONFIG_HOME/parvex/ (~/.config/parvex/), created on demand.
    static ProgramFolders LocateProgramFolders(const QString& programFolder = {});
    static QString DefaultApplicationFolder() { return LocateProgramFolders().application; }

    // The application folder, always with a trailing "/".
    const QString& AppFolder() const { return m_appFolder; }
    // A file of the application folder.
    QString AppFile(const QString& name) const { return m_appFolder + name; }
    // The folder of the program's own read-only files (help, pictures, default sound), with a trailing "/".
    const QString& AssetFolder() const { return m_assetFolder; }
    QString AssetFile(const QString& name) const { return m_assetFolder + name; }
    // The current folder when the program started, with a trailing "/".
    const QString& StartUpFolder() const { return m_startUpFolder; }

    // Binds the helper library of the running program (LocateProgramFolders), or libraryFile when given. Answers
    // false with the library file (and missing export) in *problem when it cannot.
    bool LoadHelperLibrary(QString* problem, const QString& libraryFile = {});

    UserDialogs& Dialogs() { return m_dialogs; }
    ParvexLib& Lib() { return m_lib; }
    const ParvexLib& Lib() const { return m_lib; }
    ErrorHandler& Errors() { return m_errors; }
    ErrorLog& Log() { return m_errorLog; }
    CCompare& Compare() { return m_compare; }
    const CCompare& Compare() const { return m_compare; }
    const CCRC32& Crc32() const { return m_crc32; }
    CSyncSettings& SyncSettings() { return m_syncSettings; }
    CSoundSettings& Sounds() { return m_sounds; }
    CViewSelections& ViewSelections() { return m_viewSelections; }
    cViewFileDiffsOptions& DiffOptions() { return m_diffOptions; }
    LineDiffEngine& DiffEngine() { return m_diffEngine; }
    ::MainOptions& MainOptions() { return m_mainOptions; }

    // The objects handed to engine code, which never sees the context itself.
    CompareServices ComparisonServices() { return {m_compare, m_crc32, m_lib, m_errors, m_errorLog, m_dialogs}; }
    PathCheckEnv PathCheck() { return {m_lib, m_errors, m_dialogs}; }
    SettingsFile SettingsStore() const { return {m_appFolder, m_dialogs, m_assetFolder}; }
    SettingsOwners SettingOwners()
    {
        return {m_compare, m_syncSettings, m_viewSelections, m_sounds, m_diffOptions, m_mainOptions};
    }

    // A window that changed settings from its own menus or dialogs (the method wizard, the differences
    // options) says so here, so that the main window's check marks show the same settings. One listener,
    // the main window; an empty function removes it.
    void SetSettingsChangedListener(std::function<void()> listener) { m_settingsChanged = std::move(listener); }
    void SettingsChanged() const
    {
        if (m_settingsChanged)
            m_settingsChanged();
    }

    // Process-wide objects are added below as their classes land; each is created in the constructor.

private:
    std::function<void()> m_settingsChanged;
    QString m_appFolder;
    QString m_assetFolder;
    QString m_startUpFolder;
    UserDialogs& m_dialogs;
    ParvexLib m_lib;
    ErrorHandler m_errors;
    ErrorLog m_errorLog;
    CCompare m_compare;
    CCRC32 m_crc32;
    CSyncSettings m_syncSettings;
    CSoundSettings m_sounds{m_assetFolder};
    CViewSelections m_viewSelections;
    cViewFileDiffsOptions m_diffOptions;
    LineDiffEngine m_diffEngine;
    ::MainOptions m_mainOptions;
};
