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
#include <memory>

class UserDialogs;

// Owns the process-wide objects. It is passed by reference; there are no mutable globals, so each test
// builds a fresh one over a temporary application folder.
class AppContext final
{
public:
    // appFolder: the application folder, with or without a trailing "/".
    AppContext(const QString& appFolder, UserDialogs& dialogs);
    ~AppContext();
    Q_DISABLE_COPY_MOVE(AppContext)

    // The folder of the program file when it is writable, otherwise ~/.config/parvex/ (created on demand).
    static QString DefaultApplicationFolder();

    // The application folder, always with a trailing "/".
    const QString& AppFolder() const { return m_appFolder; }
    // A file of the application folder.
    QString AppFile(const QString& name) const { return m_appFolder + name; }

    // Binds the helper library from the application folder, or from libraryFile when given. Answers
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
    SettingsFile SettingsStore() const { return {m_appFolder, m_dialogs}; }
    SettingsOwners SettingOwners()
    {
        return {m_compare, m_syncSettings, m_viewSelections, m_sounds, m_diffOptions, m_mainOptions};
    }

    // Process-wide objects are added below as their classes land; each is created in the constructor.

private:
    QString m_appFolder;
    UserDialogs& m_dialogs;
    ParvexLib m_lib;
    ErrorHandler m_errors;
    ErrorLog m_errorLog;
    CCompare m_compare;
    CCRC32 m_crc32;
    CSyncSettings m_syncSettings;
    CSoundSettings m_sounds{m_appFolder};
    CViewSelections m_viewSelections;
    cViewFileDiffsOptions m_diffOptions;
    LineDiffEngine m_diffEngine;
    ::MainOptions m_mainOptions;
};
