#include "app/GuiCommandRegistry.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

GuiCommandRegistry::GuiCommandRegistry(QWidget* owner) : QObject(owner), m_owner(owner) {}

QAction* GuiCommandRegistry::Define(const Command& command)
{
    const QString name = QString::fromLatin1(command.name);
    Q_ASSERT(!m_actions.contains(name));
    auto* action = new QAction(QString::fromLatin1(command.caption), m_owner);
    action->setObjectName(name);
    action->setCheckable(command.checkable);
    if (command.shortcut != nullptr) {
        action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
        m_keys.insert(name, action->shortcut());
    }
    // Check marks mirror settings: they are live from the start. Everything else waits for a handler.
    action->setEnabled(command.checkable);
    connect(action, &QAction::triggered, this, [this, name] {
        const auto it = m_handlers.constFind(name);
        if (it != m_handlers.constEnd() && it->run)
            it->run();
    });
    m_actions.insert(name, action);
    m_ordered.append(action);
    return action;
}

QAction* GuiCommandRegistry::Appearance(const char* nameText, const char* caption, const QString& command,
                                        std::function<void()> run)
{
    const QString name = QString::fromLatin1(nameText);
    QAction* target = Action(command);
    Q_ASSERT(target != nullptr && !m_actions.contains(name));
    auto* action = new QAction(QString::fromLatin1(caption), m_owner);
    action->setObjectName(name);
    action->setEnabled(target->isEnabled());
    connect(target, &QAction::changed, action, [action, target] { action->setEnabled(target->isEnabled()); });
    if (run)
        connect(action, &QAction::triggered, this, [run] { run(); });
    else
        connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    m_actions.insert(name, action);
    m_commandOf.insert(name, command);
    m_ordered.append(action);
    return action;
}

QString GuiCommandRegistry::CommandOf(const QString& name) const
{
    if (const auto it = m_commandOf.constFind(name); it != m_commandOf.constEnd())
        return *it;
    return m_actions.contains(name) ? name : QString();
}

void GuiCommandRegistry::SetHandler(const QString& command, std::function<void()> handler,
                                    std::function<bool()> enabledWhen)
{
    Q_ASSERT(m_actions.contains(command) && !m_commandOf.contains(command));
    m_handlers.insert(command, Handler{std::move(handler), std::move(enabledWhen)});
    ApplyEnabled(command);
}

void GuiCommandRegistry::AddEnabledRule(const QString& command, std::function<bool()> rule)
{
    Q_ASSERT(m_actions.contains(command) && !m_commandOf.contains(command) && !m_extraRules.contains(command));
    m_extraRules.insert(command, std::move(rule));
    ApplyEnabled(command);
}

void GuiCommandRegistry::SetKeysEnabled(bool enabled)
{
    for (auto it = m_keys.constBegin(); it != m_keys.constEnd(); ++it)
        if (QAction* action = Action(it.key()))
            action->setShortcut(enabled ? it.value() : QKeySequence());
}

void GuiCommandRegistry::ApplyEnabled(const QString& command)
{
    QAction* action = Action(command);
    if (action == nullptr)
        return;
    const auto it = m_handlers.constFind(command);
    if (it == m_handlers.constEnd())
        return;
    const auto extra = m_extraRules.constFind(command);
    action->setEnabled((!it->enabledWhen || it->enabledWhen())
                       && (extra == m_extraRules.constEnd() || !*extra || (*extra)()));
}

void GuiCommandRegistry::RefreshEnabled()
{
    for (auto it = m_handlers.constBegin(); it != m_handlers.constEnd(); ++it)
        if (it->enabledWhen || m_extraRules.contains(it.key()))
            ApplyEnabled(it.key());
}

bool GuiCommandRegistry::Run(const QString& command)
{
    ApplyEnabled(command);
    QAction* action = Action(command);
    const auto it = m_handlers.constFind(command);
    if (action == nullptr || !action->isEnabled() || it == m_handlers.constEnd() || !it->run)
        return false;
    it->run();
    return true;
}

void AddToMenu(QMenu* menu, const GuiCommandRegistry& registry, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (name[0] == '-' && name[1] == '\0') {
            menu->addSeparator();
            continue;
        }
        QAction* action = registry.Action(QString::fromLatin1(name));
        Q_ASSERT(action != nullptr);
        menu->addAction(action);
    }
}
