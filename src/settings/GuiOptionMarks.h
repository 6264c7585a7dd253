#pragma once

#include "settings/SettingsTable.h"

#include <QString>
#include <functional>

class QAction;
class QObject;

// The check marks of the main window's Options menu, bound to the settings they mirror by the option table
// (settings/OptionTable.h): a click on an item sets its setting in memory at once (it reaches the file when
// the settings are saved), and a refresh sets every mark from the settings.

// A menu item by object name; nullptr for an item the window does not have.
using ActionByName = std::function<QAction*(const QString& objectName)>;

struct OptionMarkHooks
{
    // Shows an information message (text, title); it explains a click that is refused: "Sounds On" where
    // this computer plays no wave files.
    std::function<void(const QString& text, const QString& title)> inform;
    // Runs after a click changed the setting of item, for what the window applies at once.
    std::function<void(const char* item, bool checked)> afterToggle;
};

// Connects the items of every row whose clicks set or store its value; receiver ends the connections.
void BindOptionMarks(const ActionByName& actionByName, const SettingsOwners& owners, QObject* receiver,
                     const OptionMarkHooks& hooks = {});

// Sets the marks of every row whose marks follow its value: a flag's item checked as the flag is, and the
// item of a word's value checked in its group (a value without a word checks the default's item).
void RefreshOptionMarks(const ActionByName& actionByName, const SettingsOwners& owners);
