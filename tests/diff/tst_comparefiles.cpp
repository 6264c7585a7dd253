#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "base/ProgressSink.h"
#include "compare/Sha1.h"
#include "diff/frmCompareFiles.h"
#include "sync/frmFileSync.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace {

using Icon = UserDialogs::Icon;
constexpr qint64 Noon = 1685620800; // 2023-06-01 12:00 UTC

enum Row { SizeRow, DateRow, VersionRow, ContentsRow, CrcRow, ShaRow };
enum Column { Method, FileOne, FileTwo, Result };

// Runs a step at each poll of the long checks, as the user's clicks would arrive between chunks.
class ScriptedPump final : public EventPump
{
public:
    void Pump() override
    {
        ++polls;
        if (onPoll)
            onPoll();
    }
    std::function<void()> onPoll;
    int polls = 0;
};

class CompareFilesTest : public ::testing::Test
{
protected:
    CompareFilesTest() : ctx(appFolder.path(), dialogs) {}

    void SetUp() override
    {
        BindTestLibrary(ctx);
        // Small chunks, so that a file of a few KiB takes many polls.
        ctx.Compare().SetChunkSize(1024);
    }

    frmCompareFiles& Open(const CompareFilesStart& start = {})
    {
        window = std::make_unique<frmCompareFiles>(ctx, start, [this](const QString& a, const QString& b) {
            shown << a + U(" | ") + b;
        });
        window->SetEventPump(&pump);
        window->SetUrlOpener([this](const QUrl& url) {
            opened << url.toLocalFile();
            return openerWorks;
        });
        return *window;
    }

    template <typename T = QWidget>
    T* Child(const char* name) const
    {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    void Click(const char* name) const { Child<QPushButton>(name)->click(); }
    QLineEdit* Box(int file) const { return Child<QLineEdit>(file == 1 ? "txtFileOne" : "txtFileTwo"); }
    QString Cell(int row, int column) const { return Child<QTableWidget>("lvwCompareFiles")->item(row, column)->text(); }
    QStringList Columns(int row) const { return {Cell(row, FileOne), Cell(row, FileTwo), Cell(row, Result)}; }

    void Compare(const QString& f1, const QString& f2)
    {
        Box(1)->setText(f1);
        Box(2)->setText(f2);
        Click("cmdCompare");
    }

    // Every control is back as it was before the command.
    void ExpectIdle() const
    {
        for (const char* name : {"cmdCompare", "cmdSync", "cmdShowDiffs", "cmdCancel"})
            EXPECT_TRUE(Child<QPushButton>(name)->isEnabled()) << name;
        EXPECT_EQ(Child<QPushButton>("cmdCancel")->text(), U("C&lose"));
        EXPECT_EQ(Child<QLabel>("lblStatusInfo")->text(), QString());
        EXPECT_EQ(Child<QProgressBar>("prgBinaryCompare")->value(), 0);
    }

    QString Size(qint64 bytes) const { return ctx.Lib().ConvertBytesToCorrectByteTypeString(bytes); }

    TempDir appFolder;
    TempDir files;
    FakeUserDialogs dialogs;
    AppContext ctx;
    ScriptedPump pump;
    std::unique_ptr<frmCompareFiles> window;
    QStringList shown;
    QStringList opened;
    bool openerWorks = true;
};

} // namespace

TEST_F(CompareFilesTest, StartsAtTheSelectedFileOfEachSideOrItsFolder)
{
    const QString left = files.createFolder(U("left"));
    const QString right = files.createFolder(U("right"));
    files.createFile(U("left/report.txt"), "l");
    files.createFile(U("right/Report.TXT"), "r"); // the right side's own spelling
    struct Case
    {
        const char* name;
        CompareFilesStart start;
        QString one;
        QString two;
    };
    const Case cases[] = {
        {"selected-file-on-each-side", {left, right, U("report.txt"), U("Report.TXT"), {}, {}},
         left + U("/report.txt"), right + U("/Report.TXT")},
        {"presets-win", {left, right, U("report.txt"), U("Report.TXT"), U("/x/one"), U("/x/two")}, U("/x/one"), U("/x/two")},
        {"a-folder-row-gives-the-folder", {left, right, U("/sub"), U("/sub"), {}, {}}, left + U("/"), right + U("/")},
        {"a-name-missing-on-that-side-gives-the-folder", {left, right, U("Report.TXT"), U("report.txt"), {}, {}},
         left + U("/"), right + U("/")},
        {"no-selection", {left + U("/"), right, {}, {}, {}, {}}, left + U("/"), right + U("/")},
        {"missing-folders-give-the-root", {files.file(U("gone")), QString(), U("report.txt"), {}, {}, {}}, U("/"), U("/")},
    };
    for (const Case& c : cases) {
        Open(c.start);
        EXPECT_EQ(Box(1)->text(), c.one) << c.name;
        EXPECT_EQ(Box(2)->text(), c.two) << c.name;
        EXPECT_EQ(Box(1)->cursorPosition(), Box(1)->text().size()) << c.name;
    }
}

TEST_F(CompareFilesTest, SelectedRowNamesComeFromRealRowsOnly)
{
    ResultRow file;
    file.text = U("a.txt");
    file.icon = Category::Newer;
    ResultRow noResults;
    noResults.text = NoComparisonResultsText();
    const ResultList list{file, ResultRow{}, noResults};
    EXPECT_EQ(frmCompareFiles::SelectedRowName(list, 0), U("a.txt"));
    EXPECT_EQ(frmCompareFiles::SelectedRowName(list, 1), QString());
    EXPECT_EQ(frmCompareFiles::SelectedRowName(list, 2), QString());
    EXPECT_EQ(frmCompareFiles::SelectedRowName(list, -1), QString());
    EXPECT_EQ(frmCompareFiles::SelectedRowName(list, 3), QString());
}

TEST_F(CompareFilesTest, PathsAreCheckedInOrderWithTheirMessages)
{
    const QString a = files.createFile(U("a.txt"), "a");
    const QString blank = files.createFile(U("blank "), "a file whose name ends in a blank");
    const QString folder = files.createFolder(U("folder"));
    const QString missing = files.file(U("missing.txt"));
    struct Case
    {
        const char* name;
        QString f1;
        QString f2;
        QString message; // empty: the comparison runs
    };
    const Case cases[] = {
        {"file-1-empty", QString(), a, U("File 1 not specified.")},
        {"file-1-blanks", U("   "), a, U("File 1 not specified.")},
        {"file-1-missing", missing, QString(), U("\"") + missing + U("\" is not an existing file.")},
        {"file-1-a-folder", folder, a, U("\"") + folder + U("\" is not an existing file.")},
        {"file-2-empty", a, U(" "), U("File 2 not specified.")},
        {"file-2-missing", a, missing, U("\"") + missing + U("\"  is not an existing file.")},
        {"trailing-blank-is-part-of-the-name", blank, a, QString()},
        {"trailing-blank-not-trimmed-for-existence", a + U(" "), a, U("\"") + a + U(" \" is not an existing file.")},
    };
    Open();
    for (const Case& c : cases) {
        dialogs.clear();
        Compare(a, a);
        ASSERT_EQ(Cell(SizeRow, Result), U("The files are the same size")) << c.name;
        dialogs.clear();
        Compare(c.f1, c.f2);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.messages.isEmpty()) << c.name;
            EXPECT_EQ(Cell(SizeRow, FileOne), Size(QFile(blank).size())) << c.name;
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1) << c.name;
        EXPECT_EQ(dialogs.last().text, c.message) << c.name;
        EXPECT_EQ(dialogs.last().title, U("File Not Found")) << c.name;
        EXPECT_EQ(dialogs.last().icon, Icon::Warning) << c.name;
        // A refused path ends the command before the columns are cleared.
        EXPECT_EQ(Cell(SizeRow, Result), U("The files are the same size")) << c.name;
        ExpectIdle();
    }
}

TEST_F(CompareFilesTest, EqualFilesAgreeInEveryCheck)
{
    const QString one = files.createFileAt(U("one/check.txt"), "123456789", Noon);
    const QString two = files.createFileAt(U("two/check.txt"), "123456789", Noon);
    Open();
    EXPECT_EQ(Cell(SizeRow, Method), U("   Size"));
    EXPECT_EQ(Child<QTableWidget>("lvwCompareFiles")->rowCount(), IsSHA1Available() ? 6 : 5);
    Compare(one, two);
    EXPECT_EQ(Columns(SizeRow), QStringList({Size(9), Size(9), U("The files are the same size")}));
    EXPECT_EQ(Cell(DateRow, Result), U("The files are the same"));
    EXPECT_EQ(Cell(DateRow, FileOne), Cell(DateRow, FileTwo));
    EXPECT_EQ(Columns(VersionRow),
              QStringList({U("No version stamp"), U("No version stamp"), U("Version not available for both files")}));
    const QString binary = LeadingBytesInBinary("123456789");
    EXPECT_TRUE(binary.startsWith(U("00110001 00110010 ")) && binary.endsWith(U(" 00111001 00101110 00101110 00101110")));
    EXPECT_EQ(Columns(ContentsRow), QStringList({binary, binary, U("The files are the same")}));
    // The check value of the CRC-32 and SHA-1 standards for "123456789".
    EXPECT_EQ(Columns(CrcRow), QStringList({U("CBF43926"), U("CBF43926"), U("The files are the same")}));
    if (IsSHA1Available()) {
        EXPECT_EQ(Columns(ShaRow), QStringList({U("F7C3BC1D808E04732ADF679965CCC34CA7AE3441"),
                                                U("F7C3BC1D808E04732ADF679965CCC34CA7AE3441"), U("The files are the same")}));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ExpectIdle();
}

TEST_F(CompareFilesTest, APrefixOfALongerFileDiffersWithoutAContentComparison)
{
    const QByteArray longer(5000, 'x');
    const QString one = files.createFile(U("prefix.bin"), longer.left(100));
    const QString two = files.createFile(U("whole.bin"), longer);
    Open();
    int pollsOfContents = 0;
    pump.onPoll = [&] { pollsOfContents += Child<QLabel>("lblStatusInfo")->text() == U("Comparing file contents...") ? 1 : 0; };
    Compare(one, two);
    EXPECT_EQ(Columns(SizeRow), QStringList({Size(100), Size(5000), U("File 1 is smaller than file 2")}));
    EXPECT_EQ(Cell(ContentsRow, Result), U("The files are different"));
    EXPECT_EQ(pollsOfContents, 0);
    // Only the first 37 bytes are shown, followed by the three dots.
    EXPECT_EQ(Cell(ContentsRow, FileOne), LeadingBytesInBinary(longer.left(37)));
    EXPECT_EQ(Cell(ContentsRow, FileOne).split(U(" ")).size(), 40);
    EXPECT_EQ(Cell(CrcRow, Result), U("The files are different"));
    EXPECT_NE(Cell(CrcRow, FileOne), Cell(CrcRow, FileTwo));
    if (IsSHA1Available()) {
        EXPECT_EQ(Cell(ShaRow, Result), U("The files are different"));
    }
    Compare(two, one);
    EXPECT_EQ(Cell(SizeRow, Result), U("File 1 is larger than file 2"));
}

TEST_F(CompareFilesTest, EmptyFilesShowNoBytesAndTheEmptyChecksums)
{
    const QString one = files.createFileAt(U("one/empty"), {}, Noon);
    const QString two = files.createFileAt(U("two/empty"), {}, Noon);
    Open();
    Compare(one, two);
    EXPECT_EQ(Columns(ContentsRow), QStringList({QString(), QString(), U("The files are the same")}));
    EXPECT_EQ(Columns(CrcRow), QStringList({U("00000000"), U("00000000"), U("The files are the same")}));
    if (IsSHA1Available()) {
        EXPECT_EQ(Columns(ShaRow), QStringList({U("DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"),
                                                U("DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"), U("The files are the same")}));
    }
}

TEST_F(CompareFilesTest, DatesFollowTheFatNtfsOptions)
{
    struct Case
    {
        const char* name;
        qint64 oneLaterBy;
        bool twoSec;
        bool daylight;
        const char* result;
    };
    const Case cases[] = {
        {"newer", 1, false, false, "File 1 is newer than file 2"},
        {"older", -1, false, false, "File 1 is older than file 2"},
        {"two-seconds-forgiven", 2, true, false, "The files are the same"},
        {"an-hour-and-two-seconds-with-both", -3602, true, true, "The files are the same"},
    };
    Open();
    for (const Case& c : cases) {
        ctx.Compare().SetIgnoreFAT_NTFS_TwoSecDiff(c.twoSec);
        ctx.Compare().SetIgnoreFAT_NTFS_DaylightSavings(c.daylight);
        Compare(files.createFileAt(U("one.txt"), "a", Noon + c.oneLaterBy), files.createFileAt(U("two.txt"), "a", Noon));
        EXPECT_EQ(Cell(DateRow, Result), U(c.result)) << c.name;
    }
}

TEST_F(CompareFilesTest, CancelDuringTheFirstCrcEndsTheCommand)
{
    const QString one = files.createFile(U("one.bin"), QByteArray(64 << 10, 'a'));
    const QString two = files.createFile(U("two.bin"), QByteArray(64 << 10, 'b'));
    Open();
    pump.onPoll = [&] {
        auto* cancel = Child<QPushButton>("cmdCancel");
        if (Child<QLabel>("lblStatusInfo")->text() == U("Calculating File 1 CRC...") && pump.polls > 3) {
            EXPECT_EQ(cancel->text(), U("Cancel"));
            EXPECT_FALSE(Child<QPushButton>("cmdCompare")->isEnabled());
            cancel->click();
            EXPECT_EQ(cancel->text(), U("C&lose"));
            pump.onPoll = nullptr;
        }
    };
    Compare(one, two);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, U("User cancelled the comparison"));
    EXPECT_EQ(dialogs.last().title, U("Compare Files"));
    EXPECT_EQ(dialogs.last().icon, Icon::Information);
    EXPECT_EQ(Columns(CrcRow), QStringList({U("00000000"), QString(), QString()}));
    EXPECT_EQ(Cell(ContentsRow, Result), U("The files are different"));
    if (IsSHA1Available()) {
        EXPECT_EQ(Columns(ShaRow), QStringList({QString(), QString(), QString()}));
    }
    ExpectIdle();
    EXPECT_EQ(window->result(), 0); // the window stays open

    // The next Compare starts afresh.
    dialogs.clear();
    Compare(one, two);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Cell(CrcRow, Result), U("The files are different"));
}

// Closing the window while a check runs stops the check first; the window goes when it has ended.
TEST_F(CompareFilesTest, EscapeDuringACheckCancelsAndThenCloses)
{
    const QString one = files.createFile(U("one.bin"), QByteArray(64 << 10, 'a'));
    Open();
    pump.onPoll = [&] {
        if (pump.polls == 5) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &escape);
            // The first press cancelled; a second one asks for the window to go as soon as it may.
            QApplication::sendEvent(window.get(), &escape);
            EXPECT_EQ(window->result(), 0);
        }
    };
    Compare(one, one);
    EXPECT_EQ(dialogs.last().text, U("User cancelled the comparison"));
    EXPECT_EQ(window->result(), int(QDialog::Rejected));
}

TEST_F(CompareFilesTest, WithEveryRowUncheckedCompareOnlyClears)
{
    const QString a = files.createFile(U("a.txt"), "a");
    Open();
    Compare(a, a);
    ASSERT_FALSE(Cell(SizeRow, Result).isEmpty());
    auto* list = Child<QTableWidget>("lvwCompareFiles");
    for (int r = 0; r < list->rowCount(); ++r)
        list->item(r, Method)->setCheckState(Qt::Unchecked);
    dialogs.clear();
    Compare(a, a);
    for (int r = 0; r < list->rowCount(); ++r)
        EXPECT_EQ(Columns(r), QStringList({QString(), QString(), QString()})) << r;
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ExpectIdle();

    // Only the checked rows are evaluated.
    list->item(CrcRow, Method)->setCheckState(Qt::Checked);
    Compare(a, a);
    EXPECT_EQ(Cell(CrcRow, Result), U("The files are the same"));
    EXPECT_EQ(Cell(SizeRow, Result), QString());
}

// A file that shrinks while its contents are read: the failure goes to the error log and the user is asked
// whether to see it; the verdict comes from size and time.
TEST_F(CompareFilesTest, AReadFailureIsLoggedAndOffered)
{
    const QString one = files.createFileAt(U("one.bin"), QByteArray(8 << 10, 'a'), Noon);
    const QString two = files.createFileAt(U("two.bin"), QByteArray(8 << 10, 'a'), Noon);
    Open();
    pump.onPoll = [&] {
        if (Child<QLabel>("lblStatusInfo")->text() == U("Comparing file contents...") && pump.polls == 4) {
            QFile(two).resize(100);
            pump.onPoll = nullptr;
        }
    };
    // The checksums would read past the new end too, which is a failure of its own.
    auto* list = Child<QTableWidget>("lvwCompareFiles");
    for (int r = CrcRow; r < list->rowCount(); ++r)
        list->item(r, Method)->setCheckState(Qt::Unchecked);
    dialogs.answers.push_back(UserDialogs::Answer::No);
    Compare(one, two);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, U("Errors Occurred"));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_TRUE(FileBytes(appFolder.file(U("ERRORLOG.TXT"))).contains("File Name: " + two.toUtf8()));
    EXPECT_EQ(Cell(ContentsRow, Result), U("The files are different"));
    ExpectIdle();
}

TEST_F(CompareFilesTest, ShowDifferencesHandsOverBothFilesOnceTheyExist)
{
    const QString a = files.createFile(U("a.txt"), "a");
    const QString b = files.createFile(U("b.txt"), "b");
    Open({{}, {}, {}, {}, a, files.file(U("missing.txt"))});
    Click("cmdShowDiffs");
    EXPECT_TRUE(shown.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, U("File Not Found"));

    Box(2)->setText(b);
    Click("cmdShowDiffs");
    EXPECT_EQ(shown, QStringList{a + U(" | ") + b});
    EXPECT_EQ(ctx.DiffOptions().FileOne(), a);
    EXPECT_EQ(ctx.DiffOptions().FileTwo(), b);
    ExpectIdle();
}

TEST_F(CompareFilesTest, SyncOpensTheFileSyncWindowOnBothFiles)
{
    const QString a = files.createFile(U("a.txt"), "new text");
    const QString b = files.createFile(U("b.txt"), "old");
    Open({{}, {}, {}, {}, a, b});
    QString caption;
    QString fileTwo;
    QTimer::singleShot(0, [&] {
        auto* sync = qobject_cast<frmFileSync*>(QApplication::activeModalWidget());
        ASSERT_NE(sync, nullptr);
        caption = sync->windowTitle();
        fileTwo = sync->findChild<QLabel*>(U("lblFileTwo"))->text();
        sync->findChild<QPushButton*>(U("cmdOK"))->click();
    });
    Click("cmdSync");
    EXPECT_EQ(caption, U("File Synchronization Method"));
    EXPECT_EQ(fileTwo, b);
    EXPECT_EQ(FileBytes(b), "new text");
    EXPECT_TRUE(window->FileSynchronised());
    EXPECT_EQ(dialogs.last().text, U("File synchronization completed successfully."));

    // A later Sync that is cancelled does not forget the replacement.
    QTimer::singleShot(0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
    Click("cmdSync");
    EXPECT_TRUE(window->FileSynchronised());
    ExpectIdle();
}

TEST_F(CompareFilesTest, SyncAndOpenNameTheMissingFile)
{
    const QString a = files.createFile(U("a.txt"), "a");
    const QString missing = files.file(U("missing.txt"));
    struct Case
    {
        const char* name;
        const char* button;
        QString f1;
        QString f2;
        const char* message;
    };
    const Case cases[] = {
        {"sync-without-file-1", "cmdSync", missing, a, "File 1 does not exist."},
        {"sync-without-both", "cmdSync", missing, missing, "File 1 does not exist."},
        {"sync-without-file-2", "cmdSync", a, missing, "File 2 does not exist."},
        {"open-file-1", "cmdViewFileOne", missing, a, "File 1 does not exist."},
        {"open-file-2", "cmdViewFileTwo", a, missing, "File 2 does not exist."},
    };
    Open();
    for (const Case& c : cases) {
        dialogs.clear();
        Box(1)->setText(c.f1);
        Box(2)->setText(c.f2);
        Click(c.button);
        ASSERT_EQ(dialogs.messages.size(), 1) << c.name;
        EXPECT_EQ(dialogs.last().text, U(c.message)) << c.name;
        EXPECT_EQ(dialogs.last().title, U("File Sync")) << c.name;
    }
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(window->FileSynchronised());
}

TEST_F(CompareFilesTest, OpenHandsTheFileToTheDesktop)
{
    const QString a = files.createFile(U("a.txt"), "a");
    const QString b = files.createFile(U("b.txt"), "b");
    Open({{}, {}, {}, {}, a, b});
    Click("cmdViewFileTwo");
    EXPECT_EQ(opened, QStringList{b});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    openerWorks = false;
    Click("cmdViewFileOne");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.startsWith(U("Unable to open \"") + a + U("\".")));
}

TEST_F(CompareFilesTest, PathsComeFromThePickerAndFromDrops)
{
    const QString a = files.createFile(U("a.txt"), "a");
    Open({{}, {}, {}, {}, U("/typed"), U("/typed")});
    dialogs.picks = {a, QString()};
    Click("cmdFileOne");
    Click("cmdFileTwo"); // cancelled
    EXPECT_EQ(dialogs.prompts, Strings({"Select File One", "Select File Two"}));
    EXPECT_EQ(Box(1)->text(), a);
    EXPECT_EQ(Box(2)->text(), U("/typed"));

    // A synthetic drop never reaches a widget outside a real drag, so it goes straight to the window's
    // filter of the box's events, where a real one arrives.
    QObject* filter = window.get();
    const auto drop = [filter](QWidget* target, QMimeData* data) {
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        EXPECT_TRUE(filter->eventFilter(target, &event));
    };
    QMimeData files2;
    files2.setUrls({QUrl::fromLocalFile(U("/first/dropped")), QUrl::fromLocalFile(U("/second"))});
    drop(Box(2), &files2);
    EXPECT_EQ(Box(2)->text(), U("/first/dropped"));
    QMimeData text;
    text.setText(U("/a/dropped text"));
    drop(Box(1), &text);
    EXPECT_EQ(Box(1)->text(), U("/a/dropped text"));
}

