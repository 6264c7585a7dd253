#include "../app/MainWindowFixture.h"

#include "compare/CCompare.h"
#include "platform/CIniFile.h"
#include "settings/MainOptions.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMenuBar>
#include <QRegularExpression>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <functional>

// What the Options window changes in the main window the moment it closes with OK.
class OptionsInMainWindowTest : public MainWindowTest
{
protected:
    // Opens the Appearance tab and hands the window to act (which closes it).
    void WithAppearanceTab(const std::function<void(QDialog*)>& act)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* options = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(options, nullptr);
            seen = true;
            act(options);
        });
        Item("mnuOptionsAppearance")->trigger();
        EXPECT_TRUE(seen);
    }
};

TEST_F(OptionsInMainWindowTest, AToolbarStyleChosenThereIsAppliedAtOnceAndMarkedInTheMenu)
{
    auto* toolbar = Child<QToolBar>("ParvexToolbar");
    ASSERT_TRUE(Item("mnuOptionsToolbarShowCoolbar")->isChecked());
    WithAppearanceTab([](QDialog* options) {
        const auto* note = options->findChild<QLabel*>(QStringLiteral("lblToolbarNote"));
        ASSERT_NE(note, nullptr);
        EXPECT_FALSE(note->text().contains(QStringLiteral("next start")));
        options->findChild<QRadioButton*>(QStringLiteral("optToolbarStyle_0"))->setChecked(true);
        options->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    EXPECT_TRUE(Item("mnuOptionsToolbarHide")->isChecked());
    EXPECT_FALSE(Item("mnuOptionsToolbarShowCoolbar")->isChecked());
    EXPECT_TRUE(toolbar->isHidden());

    // The menu's choice is the one the window shows next time, and the one the settings keep.
    Item("mnuOptionsToolbarShowToolbar")->trigger();
    EXPECT_EQ(ctx->MainOptions().CoolbarStyle, MainOptions::Toolbar);
    EXPECT_FALSE(toolbar->isHidden());
    WithAppearanceTab([](QDialog* options) {
        EXPECT_TRUE(options->findChild<QRadioButton*>(QStringLiteral("optToolbarStyle_2"))->isChecked());
        options->reject();
    });
    EXPECT_TRUE(Item("mnuOptionsToolbarShowToolbar")->isChecked());
}

TEST_F(OptionsInMainWindowTest, TheGradientOptionSaysWhereItApplies)
{
    WithAppearanceTab([](QDialog* options) {
        const auto* note = options->findChild<QLabel*>(QStringLiteral("lblGradientNote"));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->text(), QStringLiteral("(Applies to the folder captions of View Sub-Folder Differences)"));
        options->reject();
    });
}

// Every "Menu > Item" path the help names for the main window leads to an item of its menus.
TEST_F(OptionsInMainWindowTest, TheHelpNamesOnlyMenuPathsThatExist)
{
    QFile help(qEnvironmentVariable("PARVEX_SOURCE_DIR") + QStringLiteral("/assets/files/parvex.hlp"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly)) << qPrintable(help.fileName());
    const QString text = QString::fromUtf8(help.readAll()).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const auto plain = [](QString caption) { return caption.remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0).trimmed(); };
    const auto resolves = [&](const QStringList& parts) {
        QList<QAction*> actions = window->menuBar()->actions();
        for (const QString& part : parts) {
            QAction* found = nullptr;
            for (QAction* action : actions)
                if (plain(action->text()) == part)
                    found = action;
            if (found == nullptr)
                return false;
            actions = found->menu() != nullptr ? found->menu()->actions() : QList<QAction*>{};
        }
        return true;
    };
    // Paths of the differences window's own menus.
    const QStringList elsewhere = {U("Options > Show Next/Previous Difference"), U("Options > View File Difference Options")};
    const QRegularExpression bold(QStringLiteral("<b>([^<]*&gt;[^<]*)</b>"));
    int checked = 0;
    for (auto m = bold.globalMatch(text); m.hasNext();) {
        const QString path = m.next().captured(1).replace(QStringLiteral("&gt;"), QStringLiteral(">")).simplified();
        const QStringList parts = path.split(QStringLiteral(" > "));
        if (!QStringList{U("File"), U("Select"), U("View"), U("Options"), U("Help")}.contains(parts.front())
            || elsewhere.contains(path))
            continue;
        ++checked;
        EXPECT_TRUE(resolves(parts)) << qPrintable(path);
    }
    EXPECT_GT(checked, 5);
    EXPECT_TRUE(text.contains(QStringLiteral("Options &gt; Confirmations &gt; Confirm Before Date/Time Change")));
}

TEST_F(OptionsInMainWindowTest, ALargerFontWidensTheSizeAndDateColumns)
{
    const int before = Left()->header()->sectionSize(ResultTableModel::DateColumn);
    ctx->MainOptions().FontSize = Left()->font().pointSizeF() * 3;
    WithAppearanceTab([](QDialog* options) { options->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click(); });
    for (GuiResultPane* pane : {Left(), Right()}) {
        EXPECT_GE(pane->header()->sectionSize(ResultTableModel::DateColumn), pane->MinimumDateColumnWidth());
        EXPECT_GE(pane->header()->sectionSize(ResultTableModel::SizeColumn), pane->MinimumSizeColumnWidth());
    }
    EXPECT_GT(Left()->header()->sectionSize(ResultTableModel::DateColumn), before);
}

TEST_F(OptionsInMainWindowTest, TheFilterPanelShowsAnActiveFilterFromTheStart)
{
    EXPECT_EQ(Panel(3), U("No Filters"));
    window.reset();
    CIniFile ini(appFolder.path(), dialogs);
    ini.SetName(CIniFile::SettingsFileName());
    ini.Set(U("Options"), U("IncludeFileTypes"), U("*.txt"));
    window = std::make_unique<frmMain>(*ctx);
    EXPECT_EQ(ctx->Compare().IncludeFilters(), U("*.txt"));
    EXPECT_EQ(Panel(3), U("Filters"));
}
