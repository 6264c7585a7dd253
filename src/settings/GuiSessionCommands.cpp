#include "settings/GuiSessionCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "base/Path.h"
#include "base/UserDialogs.h"
#include "platform/CIniFile.h"
#include "settings/SessionFile.h"
#include "settings/SettingsTable.h"

#include <QFileInfo>

GuiSessionCommands::GuiSessionCommands(AppContext& ctx, GuiCommandRegistry& registry, SessionWindow window)
    : m_ctx(ctx), m_window(std::move(window))
{
    registry.SetHandler(QStringLiteral("mnuFileSaveSessionSettings"), [this] { SaveSessionSettingsAs(); });
    registry.SetHandler(QStringLiteral("mnuFileLoadSessionSettings"), [this] { LoadSessionSettings(); });
}

GuiSessionCommands::Saved GuiSessionCommands::SaveSessionSettingsAs()
{
    try {
        const QString title = QStringLiteral("Save Session Settings As...");
        const QString chosen = m_ctx.Dialogs().PickSaveFile(title, m_ctx.StartUpFolder(), SessionFile::DialogFilter());
        if (chosen.isEmpty())
            return Saved::Cancelled;
        // Load Session lists sessions by their extension. The dialog asked about replacing the name as it
        // was chosen; a name that the extension makes another existing file is asked about here.
        const QString file = SessionFile::WithExtension(chosen);
        if (file != chosen && QFileInfo::exists(file)
            && m_ctx.Dialogs().Message(DisplayFileName(file) + QStringLiteral(" already exists.\r\nDo you want to replace it?"),
                                       title, UserDialogs::Icon::Warning, UserDialogs::Buttons::YesNo, 1)
                   != UserDialogs::Answer::Yes)
            return Saved::Cancelled;
        m_window.saveSettings();
        // Composed from what is in memory rather than read back, so that a settings file that could not
        // be written (a read-only application folder) does not put stale settings into the session.
        SessionFile::Write(file, SettingsFileText(m_ctx.SettingsStore(), m_ctx.SettingOwners()));
        return Saved::Yes;
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileSaveSessionSettings_Click"));
        return Saved::Failed;
    }
}

void GuiSessionCommands::LoadSessionSettings()
{
    try {
        const QString file = m_ctx.Dialogs().PickOpenFile(QStringLiteral("Load Session Settings"),
                                                          m_ctx.StartUpFolder(), SessionFile::LoadDialogFilter());
        if (file.isEmpty())
            return;
        // Read and checked whole before anything changes: the settings file is replaced by exactly these
        // bytes, or not at all.
        const SessionFile::Contents session = SessionFile::Read(file);
        if (!session.problem.isEmpty()) {
            m_ctx.Dialogs().Message(SessionFile::NotASessionText(file, session.problem), SessionFile::LoadTitle(),
                                    UserDialogs::Icon::Warning);
            return;
        }
        const UserDialogs::Answer answer =
            m_ctx.Dialogs().Message(QStringLiteral("Do you wish to save the current settings?"),
                                    QStringLiteral("Save Current Settings?"), UserDialogs::Icon::Question,
                                    UserDialogs::Buttons::YesNoCancel);
        if (answer == UserDialogs::Answer::Cancel)
            return;
        // The settings the user wanted kept are not overwritten when keeping them failed; a cancelled
        // save dialog only skips the saving.
        if (answer == UserDialogs::Answer::Yes && SaveSessionSettingsAs() == Saved::Failed)
            return;
        SessionFile::Write(m_ctx.AppFile(CIniFile::SettingsFileName()), session.text);
        m_window.reloadSettings();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileLoadSessionSettings_Click"));
    }
}
