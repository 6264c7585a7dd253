#pragma once

#include <QtGlobal>
#include <functional>

class AppContext;
class GuiCommandRegistry;

// What the session commands need of the main window.
struct SessionWindow
{
    // Writes the window's size, columns and font and every setting to the settings file, as closing does.
    std::function<void()> saveSettings;
    // Reads the settings file anew into the folder boxes, the settings and the window (size, columns,
    // check marks), and clears the results.
    std::function<void()> reloadSettings;
};

// The File menu's "Save Session Settings As..." and "Load Session Settings...": a session is a copy of
// the settings file under a name of the user's (settings/SessionFile.h). Every dialog goes through
// ctx.Dialogs(); both start in the folder the program was started from.
class GuiSessionCommands final
{
public:
    GuiSessionCommands(AppContext& ctx, GuiCommandRegistry& registry, SessionWindow window);
    Q_DISABLE_COPY_MOVE(GuiSessionCommands)

private:
    enum class Saved { Yes, Cancelled, Failed };
    // Asks for the file and writes the session; a failure is reported here.
    Saved SaveSessionSettingsAs();
    void LoadSessionSettings();

    AppContext& m_ctx;
    SessionWindow m_window;
};
