#pragma once

#include <QHash>
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// Every command of the main window, defined once: its object name, caption, shortcut and whether it
// carries a check mark; the subsystem that owns the command gives it a handler and, where it has one, an
// enabled rule. One QAction stands for the command wherever it appears under its own name (the menu bar,
// the pop-ups that list it). Pop-up items and toolbar buttons that the window names and captions
// differently ("mnuFilePopupCopyToOtherFolder", "tbrCopy") are appearances of the command: they run the
// same handler and are enabled exactly when the command is.
//
// A command without a handler stays disabled (its work lands with a later part of the program), unless
// it carries a check mark: those mirror settings and are bound by the options table.
class GuiCommandRegistry final : public QObject
{
    Q_OBJECT

public:
    struct Command
    {
        const char* name;
        const char* caption;
        bool checkable = false;
        const char* shortcut = nullptr; // in QKeySequence's portable text form, e.g. "Ctrl+A"
    };

    explicit GuiCommandRegistry(QWidget* owner);
    Q_DISABLE_COPY_MOVE(GuiCommandRegistry)

    QAction* Define(const Command& command);
    // An appearance of command under its own object name and caption. run, when given, replaces the
    // command's handler for this appearance (a toolbar press has rules of its own).
    QAction* Appearance(const char* name, const char* caption, const QString& command,
                        std::function<void()> run = {});

    // Gives command its handler; enabledWhen (optional) is asked by RefreshEnabled.
    void SetHandler(const QString& command, std::function<void()> handler, std::function<bool()> enabledWhen = {});
    bool HasHandler(const QString& command) const { return m_handlers.contains(command); }
    // One more enabled rule for command, asked with its handler's rule (both must allow it): for a rule
    // that the window knows and the command's owner does not.
    void AddEnabledRule(const QString& command, std::function<bool()> rule);
    // Turns the commands' keys off while a long operation runs in the window's event loop (its menus are
    // disabled then, but a key would still reach an item) and back on.
    void SetKeysEnabled(bool enabled);
    // The command that the action named name runs: itself for a command, its command for an appearance;
    // empty for a name the registry does not know.
    QString CommandOf(const QString& name) const;

    // The command's action or an appearance, by object name; nullptr when there is none.
    QAction* Action(const QString& name) const { return m_actions.value(name, nullptr); }
    // Every action made so far: commands first, in definition order, then appearances.
    const QList<QAction*>& Actions() const { return m_ordered; }

    // Asks every enabled rule again. Menus call it when they are about to show.
    void RefreshEnabled();
    // Runs command's handler as a trigger of its action would; answers false when it is not enabled.
    bool Run(const QString& command);

private:
    struct Handler
    {
        std::function<void()> run;
        std::function<bool()> enabledWhen;
    };
    void ApplyEnabled(const QString& command);

    QWidget* m_owner;
    QHash<QString, QAction*> m_actions;
    QHash<QString, Handler> m_handlers;
    QHash<QString, std::function<bool()>> m_extraRules;
    QHash<QString, QKeySequence> m_keys; // command -> its key, kept while keys are off
    QHash<QString, QString> m_commandOf; // appearance -> command
    QList<QAction*> m_ordered;
};

// Fills menu from a layout of command names: "-" is a separator.
void AddToMenu(QMenu* menu, const GuiCommandRegistry& registry, std::initializer_list<const char*> names);
