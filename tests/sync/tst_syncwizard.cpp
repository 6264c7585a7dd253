#include "ModalSupport.h"
#include "../app/MainWindowFixture.h"
#include "FakeUserDialogs.h"
#include "SyncRuleTexts.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "settings/OptionTable.h"
#include "sync/frmCustomSync.h"
#include "sync/frmSyncWizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using S = CSyncSettings;
using namespace SyncRuleText;
const QString LeftFolder = QStringLiteral("/data/left/");
const QString RightFolder = QStringLiteral("/data/right/");

template <typename T>
T* Find(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// A choice the user makes in a combo box: it selects the item and then reports the activation.
void Choose(QWidget* window, const char* name, const QString& text)
{
    auto* combo = Find<QComboBox>(window, name);
    const int index = combo->findText(text, Qt::MatchExactly);
    ASSERT_GE(index, 0) << qPrintable(text);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

QString Shown(QWidget* window, const char* name) { return Find<QComboBox>(window, name)->currentText(); }

void Click(QWidget* window, const char* name) { Find<QPushButton>(window, name)->click(); }

void PressEscape(QWidget* window)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
}

class SyncWizardTest : public ::testing::Test
{
protected:
    SyncWizardTest() : ctx(appFolder.path(), dialogs) {}

    // Shows the wizard with act run on it and answers as Ask does.
    bool Ask(std::function<void(QDialog*)> act, bool& selectedOnly, const ActionByName& menuItems = {})
    {
        OnNextModal(std::move(act));
        return frmSyncWizard::Ask(ctx, nullptr, LeftFolder, RightFolder, selectedOnly, menuItems);
    }

    TempDir appFolder;
    FakeUserDialogs dialogs;
    AppContext ctx;
};

} // namespace

TEST_F(SyncWizardTest, ShowsTheMethodsInWizardOrderWithTheFoldersAndFlags)
{
    ctx.SyncSettings().SetSyncMethod(S::AddOrphansToRight);
    ctx.MainOptions().PromptForSyncMethod = true;
    frmSyncWizard wizard(ctx, LeftFolder, RightFolder, true);
    EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Folder Synchronization Method"));
    EXPECT_EQ(Find<QLabel>(&wizard, "lblPrompt")->text(),
              QStringLiteral("Please specify the synchronization method to use.  Press OK to continue."));
    EXPECT_EQ(Find<QGroupBox>(&wizard, "fraSyncMethods")->title(), QStringLiteral("Sync Methods"));

    auto* methods = Find<QComboBox>(&wizard, "cboSyncMethod");
    QStringList texts;
    QList<int> numbers;
    for (int i = 0; i < methods->count(); ++i) {
        texts << methods->itemText(i);
        numbers << methods->itemData(i).toInt();
    }
    EXPECT_EQ(texts, Strings({"Make Right Folder Same As Left Folder", "Make Left Folder Same As Right Folder",
                              "Replace Older Files and Copy Orphan Objects (bi-directional)",
                              "Add Orphan Objects to Left Folder", "Add Orphan Objects to Right Folder",
                              "Replace Older Files in Left Folder", "Replace Older Files in Right Folder", "Custom"}));
    EXPECT_EQ(numbers, (QList<int>{0, 1, 2, 4, 5, 6, 7, 3}));
    EXPECT_EQ(methods->currentIndex(), 4);

    EXPECT_EQ(Find<QLabel>(&wizard, "lblLeftFolder")->text(), LeftFolder);
    EXPECT_EQ(Find<QLabel>(&wizard, "lblRightFolder")->text(), RightFolder);
    auto* prompt = Find<QCheckBox>(&wizard, "chkPromptForSyncMethod");
    auto* selected = Find<QCheckBox>(&wizard, "chkSyncSelectedOnly");
    EXPECT_EQ(prompt->text(), QStringLiteral("Show this before each sync operation"));
    EXPECT_EQ(selected->text(), QStringLiteral("Sync Selected Objects Only"));
    EXPECT_TRUE(prompt->isChecked());
    EXPECT_TRUE(selected->isChecked());

    ctx.MainOptions().PromptForSyncMethod = false;
    frmSyncWizard unchecked(ctx, LeftFolder, RightFolder, false);
    EXPECT_FALSE(Find<QCheckBox>(&unchecked, "chkPromptForSyncMethod")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(&unchecked, "chkSyncSelectedOnly")->isChecked());
}

// Only a number from a hand-edited settings file can be missing from the list.
TEST_F(SyncWizardTest, AMethodNotInTheListSelectsTheThirdItem)
{
    for (const int method : {8, -1}) {
        ctx.SyncSettings().SetSyncMethod(method);
        frmSyncWizard wizard(ctx, LeftFolder, RightFolder, false);
        auto* methods = Find<QComboBox>(&wizard, "cboSyncMethod");
        EXPECT_EQ(methods->currentIndex(), 2) << method;
        EXPECT_EQ(methods->currentData().toInt(), S::ReplaceOlderCopyOrphans) << method;
        EXPECT_FALSE(Find<QLabel>(&wizard, "imgSyncMethod")->pixmap().isNull()) << method;
    }
}

TEST_F(SyncWizardTest, DescriptionPictureAndCustomButtonFollowTheSelection)
{
    ctx.SyncSettings().SetSyncMethod(S::Custom);
    frmSyncWizard wizard(ctx, LeftFolder, RightFolder, false);
    auto* description = Find<QLabel>(&wizard, "lblSyncMethodDescription");
    auto* picture = Find<QLabel>(&wizard, "imgSyncMethod");
    auto* custom = Find<QPushButton>(&wizard, "cmdCustomSettings");
    EXPECT_EQ(custom->text(), QStringLiteral("Set &Custom Settings"));
    const QString customText = QStringLiteral("Create your own custom sync method. Press the Set Custom Settings button "
                                              "below to select your custom settings.");
    EXPECT_EQ(description->text(), customText);
    EXPECT_TRUE(picture->pixmap().isNull());
    EXPECT_TRUE(custom->isEnabled());

    Choose(&wizard, "cboSyncMethod", QStringLiteral("Replace Older Files and Copy Orphan Objects (bi-directional)"));
    EXPECT_EQ(description->text(), QStringLiteral("Replace older files in both folders with their newer counterparts.  "
                                                  "Copy orphan objects in both folders to the other folder."));
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_FALSE(custom->isEnabled());

    Choose(&wizard, "cboSyncMethod", QStringLiteral("Replace Older Files in Left Folder"));
    EXPECT_EQ(description->text(), QStringLiteral("Copy all newer files from the right folder to the left one."));
    EXPECT_FALSE(custom->isEnabled());

    Choose(&wizard, "cboSyncMethod", QStringLiteral("Custom"));
    EXPECT_EQ(description->text(), customText);
    EXPECT_TRUE(picture->pixmap().isNull());
    EXPECT_TRUE(custom->isEnabled());
}

// Choosing Custom keeps the rules of the method before it: they are where the user's own set starts.
TEST_F(SyncWizardTest, OkWithCustomKeepsThePreviousRules)
{
    ctx.SyncSettings().SetSyncMethod(S::ReplaceOlderOnLeft);
    bool selectedOnly = true;
    EXPECT_TRUE(Ask([](QDialog* wizard) {
        Choose(wizard, "cboSyncMethod", QStringLiteral("Custom"));
        Click(wizard, "OKButton");
    }, selectedOnly));
    EXPECT_TRUE(selectedOnly);
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), S::Custom);
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (S::Rules{0, 2, 0, 0, 1, 0, 0, 0}));
}

// Every way out but OK is a cancel; what the custom editor stored stays, the rest is as it was.
TEST_F(SyncWizardTest, CancelEscapeAndCloseAnswerCancelButKeepTheCustomEditorsRules)
{
    const std::pair<const char*, std::function<void(QDialog*)>> ways[] = {
        {"Cancel", [](QDialog* wizard) { Click(wizard, "CancelButton"); }},
        {"Escape", [](QDialog* wizard) { PressEscape(wizard); }},
        {"title bar", [](QDialog* wizard) { wizard->close(); }},
    };
    for (const auto& [way, leave] : ways) {
        ctx.SyncSettings().SetSyncMethod(S::MakeRightSameAsLeft);
        ctx.MainOptions().PromptForSyncMethod = true;
        bool selectedOnly = false;
        const bool proceed = Ask([leave = leave](QDialog* wizard) {
            Choose(wizard, "cboSyncMethod", QStringLiteral("Custom"));
            Find<QCheckBox>(wizard, "chkPromptForSyncMethod")->setChecked(false);
            Find<QCheckBox>(wizard, "chkSyncSelectedOnly")->setChecked(true);
            OnNextModal([](QDialog* editor) {
                EXPECT_EQ(editor->windowTitle(), QStringLiteral("Specify Custom Synchronization Options"));
                Choose(editor, "cboOrphan_1", Leave);
                Click(editor, "OKButton");
            });
            Click(wizard, "cmdCustomSettings");
            leave(wizard);
        }, selectedOnly);
        EXPECT_FALSE(proceed) << way;
        EXPECT_FALSE(selectedOnly) << way;
        EXPECT_TRUE(ctx.MainOptions().PromptForSyncMethod) << way;
        EXPECT_EQ(ctx.SyncSettings().SyncMethod(), S::MakeRightSameAsLeft) << way;
        EXPECT_EQ(ctx.SyncSettings().AllRules(), (S::Rules{1, 1, 1, 1, 2, 2, 0, 2})) << way;
    }
}

class SyncWizardMenuTest : public MainWindowTest
{
protected:
    ActionByName MenuItems() const
    {
        return [this](const QString& name) { return window->Action(name); };
    }
};

TEST_F(SyncWizardMenuTest, OkTakesTheFlagsAndTheMethodAndMovesTheMenuMarks)
{
    ctx->MainOptions().PromptForSyncMethod = true;
    Item("mnuOptionsPromptForSyncMethod")->setChecked(true);
    Item("mnuOptionsSyncReplaceOlderCopyOrphans")->trigger();
    ASSERT_EQ(ctx->SyncSettings().SyncMethod(), S::ReplaceOlderCopyOrphans);

    bool selectedOnly = false;
    OnNextModal([](QDialog* wizard) {
        Choose(wizard, "cboSyncMethod", QStringLiteral("Add Orphan Objects to Left Folder"));
        Find<QCheckBox>(wizard, "chkPromptForSyncMethod")->setChecked(false);
        Find<QCheckBox>(wizard, "chkSyncSelectedOnly")->setChecked(true);
        Click(wizard, "OKButton");
    });
    EXPECT_TRUE(frmSyncWizard::Ask(*ctx, window.get(), LeftFolder, RightFolder, selectedOnly, MenuItems()));
    EXPECT_TRUE(selectedOnly);
    EXPECT_FALSE(ctx->MainOptions().PromptForSyncMethod);
    EXPECT_FALSE(Item("mnuOptionsPromptForSyncMethod")->isChecked());
    EXPECT_EQ(ctx->SyncSettings().SyncMethod(), S::AddOrphansToLeft);
    EXPECT_EQ(ctx->SyncSettings().AllRules(), (S::Rules{0, 0, 0, 0, 0, 0, 1, 0}));
    for (int method = 0; method < S::MethodCount; ++method)
        EXPECT_EQ(Item(SyncMethodMenuItems[method])->isChecked(), method == S::AddOrphansToLeft)
            << SyncMethodMenuItems[method];

    // Back to the prompt, with the marks following again.
    OnNextModal([](QDialog* wizard) {
        Find<QCheckBox>(wizard, "chkPromptForSyncMethod")->setChecked(true);
        Choose(wizard, "cboSyncMethod", QStringLiteral("Custom"));
        Click(wizard, "OKButton");
    });
    EXPECT_TRUE(frmSyncWizard::Ask(*ctx, window.get(), LeftFolder, RightFolder, selectedOnly, MenuItems()));
    EXPECT_TRUE(Item("mnuOptionsPromptForSyncMethod")->isChecked());
    EXPECT_TRUE(Item("mnuOptionsSyncCustomize")->isChecked());
    EXPECT_FALSE(Item("mnuOptionsSyncAddOrphansToLeft")->isChecked());
}

class CustomSyncTest : public SyncWizardTest
{
protected:
    void SetRules(const S::Rules& rules)
    {
        ctx.SyncSettings().SetSyncMethod(S::Custom);
        ctx.SyncSettings().SetAllRules(rules);
    }
};

TEST_F(CustomSyncTest, ShowsTheRulesByTheirTextsAndStoresAReplacedOrphanAsLeave)
{
    SetRules({2, 2, 2, 2, 1, 3, 0, 3}); // a replaced orphan can only come from a hand-edited file
    frmCustomSync editor(ctx.SyncSettings(), ctx.Errors());
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Specify Custom Synchronization Options"));
    ASSERT_NE(Find<QGroupBox>(&editor, "fraCustomSync"), nullptr);
    EXPECT_EQ(Find<QLabel>(&editor, "lblLeftFolder")->text(), QStringLiteral("  Left Folder"));
    EXPECT_EQ(Find<QLabel>(&editor, "lblRightFolder")->text(), QStringLiteral("  Right Folder"));
    for (const char* picture : {"imgSyncIconNew", "imgSyncIconOld", "imgSyncIconOrphan", "imgSyncIconBinary"})
        EXPECT_FALSE(Find<QLabel>(&editor, picture)->pixmap().isNull()) << picture;

    auto* orphans = Find<QComboBox>(&editor, "cboOrphan_0");
    QStringList items;
    for (int i = 0; i < orphans->count(); ++i)
        items << orphans->itemText(i);
    EXPECT_EQ(items, (QStringList{Leave, Copy, Delete}));

    EXPECT_EQ(Shown(&editor, "cboNew_0"), ReplaceOlder);
    EXPECT_EQ(Shown(&editor, "cboOld_0"), ReplaceNewer);
    EXPECT_EQ(orphans->currentIndex(), -1);
    EXPECT_EQ(Shown(&editor, "cboBinary_0"), ReplaceObject);
    EXPECT_EQ(Shown(&editor, "cboNew_1"), Copy);
    EXPECT_EQ(Shown(&editor, "cboOld_1"), Delete);
    EXPECT_EQ(Shown(&editor, "cboOrphan_1"), Leave);
    EXPECT_EQ(Shown(&editor, "cboBinary_1"), Delete);

    Click(&editor, "OKButton");
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (S::Rules{2, 2, 0, 2, 1, 3, 0, 3}));
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), S::Custom);
}

TEST_F(CustomSyncTest, AChoiceMovesItsPartnerOnTheOtherSide)
{
    SetRules({0, 0, 0, 0, 0, 0, 0, 0});
    frmCustomSync editor(ctx.SyncSettings(), ctx.Errors());

    Choose(&editor, "cboNew_0", Copy);
    EXPECT_EQ(Shown(&editor, "cboOld_1"), ReplaceNewer);
    Choose(&editor, "cboNew_0", Leave);
    EXPECT_EQ(Shown(&editor, "cboOld_1"), Leave);
    // A partner that already leaves or deletes keeps doing so.
    Choose(&editor, "cboOld_1", Delete);
    EXPECT_EQ(Shown(&editor, "cboNew_0"), Leave);
    Choose(&editor, "cboNew_0", Leave);
    EXPECT_EQ(Shown(&editor, "cboOld_1"), Delete);
    Choose(&editor, "cboNew_0", Delete);
    EXPECT_EQ(Shown(&editor, "cboOld_1"), Delete);

    Choose(&editor, "cboOld_0", ReplaceNewer);
    EXPECT_EQ(Shown(&editor, "cboNew_1"), Copy);
    Choose(&editor, "cboBinary_1", Copy);
    EXPECT_EQ(Shown(&editor, "cboBinary_0"), ReplaceObject);
    // Orphans have no partner.
    Choose(&editor, "cboOrphan_0", Copy);
    EXPECT_EQ(Shown(&editor, "cboOrphan_1"), Leave);

    Click(&editor, "OKButton");
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (S::Rules{3, 2, 1, 2, 1, 3, 0, 1}));
}

TEST_F(CustomSyncTest, CancelAndEscapeStoreNothing)
{
    const S::Rules rules{1, 2, 1, 0, 1, 2, 1, 0};
    SetRules(rules);
    {
        frmCustomSync editor(ctx.SyncSettings(), ctx.Errors());
        Choose(&editor, "cboNew_0", Delete);
        Choose(&editor, "cboOrphan_1", Delete);
        Click(&editor, "CancelButton");
        EXPECT_EQ(editor.result(), QDialog::Rejected);
    }
    EXPECT_EQ(ctx.SyncSettings().AllRules(), rules);

    frmCustomSync editor(ctx.SyncSettings(), ctx.Errors());
    OnNextModal([](QDialog* shown) {
        Choose(shown, "cboBinary_0", Delete);
        PressEscape(shown);
    });
    editor.exec();
    EXPECT_EQ(ctx.SyncSettings().AllRules(), rules);
}

// Opened from another window (the sub-folder differences window, with menus of its own), the wizard's
// choice still moves the main window's marks: both windows show one set of settings.
TEST_F(SyncWizardMenuTest, AWizardOfAnotherWindowMovesTheMainWindowsMarksToo)
{
    Item("mnuOptionsSyncReplaceOlderCopyOrphans")->trigger();
    bool selectedOnly = false;
    OnNextModal([](QDialog* wizard) {
        Choose(wizard, "cboSyncMethod", QStringLiteral("Add Orphan Objects to Left Folder"));
        Click(wizard, "OKButton");
    });
    const ActionByName otherWindowsItems = [](const QString&) -> QAction* { return nullptr; };
    EXPECT_TRUE(frmSyncWizard::Ask(*ctx, window.get(), LeftFolder, RightFolder, selectedOnly, otherWindowsItems));
    EXPECT_EQ(ctx->SyncSettings().SyncMethod(), S::AddOrphansToLeft);
    EXPECT_TRUE(Item("mnuOptionsSyncAddOrphansToLeft")->isChecked());
    EXPECT_FALSE(Item("mnuOptionsSyncReplaceOlderCopyOrphans")->isChecked());
}
