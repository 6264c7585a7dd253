#include "settings/GuiOptionMarks.h"

#include "settings/CSoundSettings.h"
#include "settings/OptionTable.h"

#include <QAction>

namespace {

constexpr const char* SoundOnItem = "mnuOptionsSoundOn";

QAction* ItemAction(const ActionByName& actionByName, const char* item)
{
    return item != nullptr ? actionByName(QString::fromLatin1(item)) : nullptr;
}

// Sounds cannot be switched on where nothing plays them.
bool Refused(const char* item, bool checked, const SettingsOwners& owners, const OptionMarkHooks& hooks)
{
    if (!checked || qstrcmp(item, SoundOnItem) != 0 || owners.sounds.DoesThisPCSupportWave())
        return false;
    if (hooks.inform)
        hooks.inform(QStringLiteral("This PC does not support the playing of wave files"),
                     QStringLiteral("No Wave File Support"));
    return true;
}

} // namespace

void BindOptionMarks(const ActionByName& actionByName, const SettingsOwners& owners, QObject* receiver,
                     const OptionMarkHooks& hooks)
{
    for (const OptionRow& row : OptionRows()) {
        if (row.mirror != MenuMirror::Sets && row.mirror != MenuMirror::StoresOnly)
            continue;
        const bool flag = std::holds_alternative<FlagForm>(row.form);
        for (size_t i = 0; i < row.menuItems.size(); ++i) {
            const char* item = row.menuItems[i];
            QAction* action = ItemAction(actionByName, item);
            if (action == nullptr)
                continue;
            const int word = static_cast<int>(i);
            QObject::connect(action, &QAction::triggered, receiver,
                             [&row, owners, hooks, action, item, flag, word](bool checked) {
                                 if (flag && Refused(item, checked, owners, hooks)) {
                                     action->setChecked(false);
                                     checked = false;
                                 }
                                 SetMenuValue(row, owners, flag ? int(checked) : word);
                                 if (hooks.afterToggle)
                                     hooks.afterToggle(item, checked);
                             });
        }
    }
}

void RefreshOptionMarks(const ActionByName& actionByName, const SettingsOwners& owners)
{
    for (const OptionRow& row : OptionRows()) {
        if (row.mirror != MenuMirror::Sets && row.mirror != MenuMirror::MarksOnly)
            continue;
        const int value = MenuValue(row, owners);
        if (std::holds_alternative<FlagForm>(row.form)) {
            if (QAction* action = ItemAction(actionByName, row.menuItems.front()))
                action->setChecked(value != 0);
            continue;
        }
        const auto& word = std::get<WordForm>(row.form);
        const int shown = value >= 0 && static_cast<size_t>(value) < row.menuItems.size() ? value : word.byDefault;
        if (QAction* action = ItemAction(actionByName, row.menuItems[static_cast<size_t>(shown)]))
            action->setChecked(true);
    }
}
