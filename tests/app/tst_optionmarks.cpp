#include "MainWindowFixture.h"

#include "platform/CIniFile.h"
#include "settings/CSoundSettings.h"
#include "settings/GuiOptionMarks.h"
#include "settings/OptionTable.h"
#include "settings/SoundPlayer.h"

#include <QCompleter>

namespace {

class WaveDevice final : public SoundPlayer
{
public:
    bool HasOutputDevice() override { return true; }
    bool Play(const QString&, bool) override { return true; }
};

QString Name(const OptionRow& row) { return QString::fromLatin1(row.section) + QLatin1Char('/') + QString::fromLatin1(row.key); }

class OptionMarksTest : public MainWindowTest
{
protected:
    QString StoredKey(const OptionRow& row) const
    {
        CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        return ini.Get(QString::fromLatin1(row.section), QString::fromLatin1(row.key), QString());
    }
    void Save() const { SaveSettingsToIni(ctx->SettingsStore(), ctx->SettingOwners()); }

    // Whether the marks of a row show the value in memory.
    bool MarksShowValue(const OptionRow& row) const
    {
        const int value = MenuValue(row, ctx->SettingOwners());
        if (std::holds_alternative<FlagForm>(row.form))
            return Item(row.menuItems.front())->isChecked() == (value != 0);
        return Item(row.menuItems.at(static_cast<size_t>(value)))->isChecked();
    }
};

} // namespace

TEST_F(OptionMarksTest, EveryItemOfTheTableIsACheckableItemOfTheMainWindow)
{
    int items = 0;
    for (const OptionRow& row : OptionRows()) {
        for (const char* item : row.menuItems) {
            SCOPED_TRACE(Name(row).toStdString());
            ASSERT_NE(item, nullptr);
            if (QAction* action = Item(item)) {
                EXPECT_TRUE(action->isCheckable()) << item;
                ++items;
            }
        }
    }
    // The flags of the Options menu, the two output formats, the comparison and synchronisation methods and
    // the toolbar styles.
    EXPECT_EQ(items, 28 + 2 + 4 + 8 + 3);
}

TEST_F(OptionMarksTest, AClickChangesTheSettingAndTheKeyItIsStoredIn)
{
    ctx->Sounds().SetPlayer(std::make_unique<WaveDevice>());
    for (const OptionRow& row : OptionRows()) {
        if (row.mirror != MenuMirror::Sets && row.mirror != MenuMirror::StoresOnly)
            continue;
        SCOPED_TRACE(Name(row).toStdString());
        if (const auto* word = std::get_if<WordForm>(&row.form)) {
            // Each word's item in turn, the default's last.
            for (int pass = 1; pass <= word->words->size(); ++pass) {
                const int index = (word->byDefault + pass) % static_cast<int>(word->words->size());
                Item(row.menuItems.at(static_cast<size_t>(index)))->trigger();
                EXPECT_EQ(MenuValue(row, ctx->SettingOwners()), index);
                Save();
                EXPECT_EQ(StoredKey(row), word->words->at(index));
            }
            continue;
        }
        QAction* item = Item(row.menuItems.front());
        for (int pass = 0; pass < 2; ++pass) {
            const int before = MenuValue(row, ctx->SettingOwners());
            item->trigger();
            EXPECT_NE(MenuValue(row, ctx->SettingOwners()), before);
            EXPECT_EQ(item->isChecked(), MenuValue(row, ctx->SettingOwners()) != 0);
            Save();
            EXPECT_EQ(StoredKey(row), item->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
        }
    }
}

TEST_F(OptionMarksTest, MarksFollowTheSettingsAndComeBackWithTheDefaults)
{
    // Every value away from its default in memory only: the marks follow when refreshed.
    const auto actionByName = [this](const QString& name) { return window->Action(name); };
    for (const OptionRow& row : OptionRows()) {
        if (row.mirror == MenuMirror::Sets || row.mirror == MenuMirror::MarksOnly) {
            const int words = static_cast<int>(row.menuItems.size());
            SetMenuValue(row, ctx->SettingOwners(), words == 1 ? 1 - MenuValue(row, ctx->SettingOwners()) : words - 1);
        }
    }
    RefreshOptionMarks(actionByName, ctx->SettingOwners());
    for (const OptionRow& row : OptionRows()) {
        if (row.mirror == MenuMirror::Sets || row.mirror == MenuMirror::MarksOnly) {
            EXPECT_TRUE(MarksShowValue(row)) << Name(row).toStdString();
        }
    }

    Item("mnuOptionsRestoreDefaults")->trigger();
    for (const OptionRow& row : OptionRows()) {
        if (row.menuItems.empty())
            continue;
        SCOPED_TRACE(Name(row).toStdString());
        EXPECT_TRUE(MarksShowValue(row));
        // Sounds stay off here: this window's computer plays no wave files.
        if (const auto* word = std::get_if<WordForm>(&row.form)) {
            EXPECT_EQ(MenuValue(row, ctx->SettingOwners()), word->byDefault);
        } else if (const auto* flag = std::get_if<FlagForm>(&row.form); flag != nullptr && qstrcmp(row.key, "SoundOn") != 0) {
            EXPECT_EQ(MenuValue(row, ctx->SettingOwners()) != 0, flag->byDefault);
        }
    }
}

TEST_F(OptionMarksTest, SoundsStayOffWhereNoWaveFileCanBePlayed)
{
    ASSERT_FALSE(ctx->Sounds().DoesThisPCSupportWave());
    ASSERT_FALSE(Item("mnuOptionsSoundOn")->isChecked());
    Item("mnuOptionsSoundOn")->trigger();
    EXPECT_FALSE(Item("mnuOptionsSoundOn")->isChecked());
    EXPECT_FALSE(ctx->Sounds().SoundOn());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("This PC does not support the playing of wave files"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("No Wave File Support"));
}

TEST_F(OptionMarksTest, AutoCompleteAppliesAtOnce)
{
    QComboBox* source = Child<QComboBox>("cboSourcePath");
    ASSERT_NE(source->completer(), nullptr);
    Item("mnuOptionsAutoCompleteFolderPath")->trigger();
    EXPECT_EQ(source->completer(), nullptr);
    Item("mnuOptionsAutoCompleteFolderPath")->trigger();
    EXPECT_NE(source->completer(), nullptr);
}
