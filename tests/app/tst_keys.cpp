#include "MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"
#include "fileops/GuiFileOpCommands.h"
#include "fileops/RowOperations.h"
#include "fileops/frmConfirmation.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

namespace {

const qint64 Noon = 1683201600;

// Records each confirmation and answers No: nothing is changed by these tests.
class RecordingConfirmation final : public ConfirmationAsker
{
public:
    bool Confirm(const QString& caption, const QString& prompt, const QString& operation, const QStringList&,
                 const QString&, const QString&) override
    {
        asked << caption + U(" | ") + prompt.section(QLatin1Char('\r'), 0, 0) + U(" | ") + operation;
        return false;
    }
    QStringList asked;
};

class KeysTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        left.createFileAt(U("newer.txt"), "new text", Noon + 60);
        right.createFileAt(U("newer.txt"), "old text", Noon);
        left.createFileAt(U("orphan.txt"), "only here", Noon);
        left.createFileAt(U("same.txt"), "same", Noon);
        right.createFileAt(U("same.txt"), "same", Noon);
        left.createFolder(U("Sub"));
        right.createFolder(U("Sub"));
        window->FileOpCommands().SetConfirmation(&confirmation);
        window->ReplaceFolderTexts(left.path(), right.path());
        window->show();
        QApplication::setActiveWindow(window.get());
    }

    // A key pressed in widget as the user presses it: shortcuts first, then the widget. The window is
    // the active one again (the progress window of a comparison took that from it, and no window manager
    // gives it back here).
    static void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(widget->window());
        QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
    }

    TempDir left;
    TempDir right;
    RecordingConfirmation confirmation;
};

// Opens a window with open (a command that runs it modally), presses Escape where the keyboard is in
// it, and tells which window it was and whether Escape closed it (it is closed all the same after).
struct EscapeResult
{
    QString window;
    bool closed = false;
};
EscapeResult EscapeFromNextModal(const std::function<void()>& open)
{
    EscapeResult result;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !result.window.isEmpty())
            return;
        result.window = dialog->objectName();
        QWidget* keyboard = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
        QTest::keyClick(keyboard, Qt::Key_Escape);
        result.closed = !dialog->isVisible();
        if (!result.closed)
            dialog->reject();
    });
    timer.start();
    open();
    return result;
}

} // namespace

TEST_F(KeysTest, TheMenusShowTheKeysNextToTheirItems)
{
    const std::pair<const char*, QKeySequence> keys[] = {
        {"mnuFileCompareDirectories", QKeySequence(Qt::Key_F5)},
        {"mnuFileSendSelectedFilesToRecycleBin", QKeySequence(Qt::Key_Delete)},
        {"mnuFileDeletePermanently", QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {"mnuFileChangeFilename", QKeySequence(Qt::Key_F2)},
    };
    for (const auto& [name, key] : keys)
        EXPECT_EQ(Item(name)->shortcut(), key) << name;
    // The pop-ups of the panes show the same keys for the same commands, without a second shortcut.
    for (const char* name : {"mnuFilePopupSendToRecycleBin", "mnuFolderPopupSendToRecycleBin"}) {
        EXPECT_TRUE(Item(name)->text().endsWith(U("\tDel"))) << qPrintable(Item(name)->text());
        EXPECT_TRUE(Item(name)->shortcut().isEmpty());
    }
    EXPECT_TRUE(Item("mnuFilePopupDeletePermanently")->text().endsWith(U("\tShift+Del")));
    EXPECT_TRUE(Item("mnuFolderPopupRename")->text().endsWith(U("\tF2")));
    EXPECT_EQ(Item("mnuFilePopupOpen")->text(), U("&Open Object"));
}

TEST_F(KeysTest, F5ComparesDeleteAndShiftDeleteAskF2Renames)
{
    Press(Left(), Qt::Key_F5);
    EXPECT_TRUE(Texts(Left()).contains(U("orphan.txt"))) << qPrintable(Texts(Left()).join(U(",")));

    // The keyboard is where the user clicked: in the pane.
    Select(Left(), {"orphan.txt"});
    Left()->setFocus();
    Press(Left(), Qt::Key_Delete);
    Press(Left(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(confirmation.asked,
              QStringList({U("Confirm Delete | You are about to send 1 item(s) to the Recycle Bin. | Delete"),
                           U("Confirm Delete | You are about to permanently delete 1 item(s). | Delete Permanently")}));
    EXPECT_TRUE(QFile::exists(left.file(U("orphan.txt"))));

    Press(Left(), Qt::Key_F2);
    ASSERT_FALSE(dialogs.prompts.isEmpty()) << qPrintable(dialogs.last().text);
    EXPECT_EQ(dialogs.prompts.last(), U("Rename File/Folder"));
    EXPECT_TRUE(QFile::exists(left.file(U("orphan.txt"))));
}

TEST_F(KeysTest, KeysTypedInAFolderBoxStayThereAndKeysWaitWhileAnOperationRuns)
{
    Press(Left(), Qt::Key_F5);
    Select(Left(), {"orphan.txt"});
    // Delete edits the folder's text; it never sends the selected rows to the trash.
    QLineEdit* edit = window->SourcePathBox()->lineEdit();
    edit->setFocus();
    edit->setCursorPosition(0);
    Press(edit, Qt::Key_Delete);
    EXPECT_TRUE(confirmation.asked.isEmpty());
    EXPECT_EQ(window->FolderText(true), left.path().mid(1));

    // While an operation runs in the window's event loop its menus are off, and so are their keys.
    window->SetMenusEnabled(false);
    for (const char* name : {"mnuFileCompareDirectories", "mnuFileSendSelectedFilesToRecycleBin", "mnuFileChangeFilename"})
        EXPECT_TRUE(Item(name)->shortcut().isEmpty()) << name;
    window->SetMenusEnabled(true);
    EXPECT_EQ(Item("mnuFileChangeFilename")->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(Item("mnuFileDeletePermanently")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
}

TEST_F(KeysTest, EscapeClosesTheWindowsOfTheMenus)
{
    window->CompareDirs(true, false);
    const char* commands[] = {"mnuHelpAboutBox", "mnuViewErrorLog", "mnuOptionsAppearance", "mnuOptionsMaintainFolderLists",
                              "mnuSelectOther", "mnuViewCompareResultsSummary", "mnuFileCompareFiles", "mnuViewSyncHistory"};
    for (const char* command : commands) {
        SCOPED_TRACE(command);
        const EscapeResult result = EscapeFromNextModal([&] { window->Commands().Run(U(command)); });
        EXPECT_FALSE(result.window.isEmpty()) << "no window opened; last message: " << qPrintable(dialogs.last().text);
        EXPECT_TRUE(result.closed) << qPrintable(result.window);
    }
}

TEST_F(KeysTest, ShowFileDifferencesIsOffForFilesWithoutACounterpart)
{
    window->CompareDirs(true, false);
    QAction* command = Item("mnuFileShowFileDiffs");
    QAction* popup = Item("mnuFilePopupShowDifferences");
    const std::pair<const char*, bool> rows[] = {
        {"orphan.txt", false}, {"same.txt", false}, {"newer.txt", true},
        // A folder row still answers what is missing.
        {"/Sub", true},
    };
    for (const auto& [row, enabled] : rows) {
        Select(Left(), {row});
        EXPECT_EQ(command->isEnabled(), enabled) << row;
        EXPECT_EQ(popup->isEnabled(), enabled) << row;
    }
    // The other side's counterpart of a newer file has one too.
    Select(Right(), {"newer.txt"});
    EXPECT_TRUE(command->isEnabled());
}

TEST(ConfirmationWindow, DeletingWithoutTheTrashStartsOnNo)
{
    frmConfirmation window;
    auto* yes = window.findChild<QPushButton*>(U("cmdYes"));
    auto* no = window.findChild<QPushButton*>(U("cmdNo"));
    window.Prepare(U("Confirm Delete"), U("prompt"), DeletePermanentlyOperation(), {U("/l/a.txt")}, U("/l/"), {});
    EXPECT_TRUE(no->isDefault());
    EXPECT_FALSE(yes->isDefault());
    EXPECT_EQ(frmConfirmation::DetailsText(DeletePermanentlyOperation(), {U("/l/a.txt")}, U("/l/"), {}),
              U("DELETE PERMANENTLY a.txt FROM /l/\r\n"));
    // Enter answers No.
    QTimer::singleShot(0, &window, [&] { QTest::keyClick(&window, Qt::Key_Return); });
    window.exec();
    EXPECT_EQ(window.Result(), frmConfirmation::No);

    // The same window used again for the trash starts on Yes.
    window.Prepare(U("Confirm Delete"), U("prompt"), U("Delete"), {U("/l/a.txt")}, U("/l/"), {});
    EXPECT_TRUE(yes->isDefault());
    EXPECT_FALSE(no->isDefault());
    QTimer::singleShot(0, &window, [&] { QTest::keyClick(&window, Qt::Key_Return); });
    window.exec();
    EXPECT_EQ(window.Result(), frmConfirmation::Yes);
}
