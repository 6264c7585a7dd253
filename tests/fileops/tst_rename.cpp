#include "ModalSupport.h"
#include "../app/MainWindowFixture.h"
#include "../sync/SyncFixture.h"

#include "platform/ParvexLib.h"
#include "fileops/RenameObjects.h"
#include "fileops/frmRenameMultiple.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Conflict = RenameConflict;

struct Expected
{
    const char* revised;
    Conflict conflict;
};

} // namespace

class RenameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString problem;
        ASSERT_TRUE(lib.Load(TestLibraryFile(), &problem)) << qPrintable(problem);
    }

    ParvexLib lib;
    TempDir dir;
};

TEST_F(RenameTest, ThePreviewAppliesTheChangesInOrderAndMarksEveryNameAlreadyTaken)
{
    RenameRules upper;
    upper.removeSpaces = true;
    upper.capitalization = Capitalization::UpperCase;
    RenameRules numbered;
    numbered.numbering = RenameRules::Numbering{false, 3, 1, 1};
    RenameRules numberedExtension;
    numberedExtension.numbering = RenameRules::Numbering{true, 2, 9, 5};
    RenameRules same;
    same.fileName = QStringLiteral("same");
    RenameRules dotted;
    dotted.extension = QStringLiteral(".bak");
    dotted.prefix = QStringLiteral("old-");
    dotted.suffix = QStringLiteral("_1");
    RenameRules noExtension;
    noExtension.removeExtension = true;
    RenameRules slash;
    slash.prefix = QStringLiteral("a/");

    const struct
    {
        const char* what;
        QStringList names;
        QStringList folder; // besides the names themselves
        RenameRules rules;
        std::vector<Expected> expected;
    } cases[] = {
        {"spaces and upper case", Strings({"a b.txt", "c.txt", "d.doc"}), {}, upper,
         {{"AB.TXT", Conflict::No}, {"C.TXT", Conflict::No}, {"D.DOC", Conflict::No}}},
        {"a folder keeps its slash", Strings({"/Docs", "e.txt"}), {}, upper, {{"/DOCS", Conflict::No}, {"E.TXT", Conflict::No}}},
        {"a name already upper case", Strings({"A.TXT", "b.txt"}), {}, upper,
         {{"A.TXT", Conflict::Unchanged}, {"B.TXT", Conflict::No}}},
        {"numbers replace the name", Strings({"x.txt", "y.txt"}), {}, numbered, {{"001.txt", Conflict::No}, {"002.txt", Conflict::No}}},
        {"numbers replace the extension, longer ones are not cut", Strings({"x.txt", "y.txt", "z"}), {}, numberedExtension,
         {{"x.09", Conflict::No}, {"y.14", Conflict::No}, {"z.19", Conflict::No}}},
        {"two rows, one revised name", Strings({"a.txt", "b.txt"}), {}, same, {{"same.txt", Conflict::No}, {"same.txt", Conflict::Yes}}},
        {"taken by another object, ignoring case", Strings({"a.txt"}), Strings({"SAME.TXT"}), same, {{"same.txt", Conflict::Yes}}},
        {"files and folders share names", Strings({"x.txt"}), Strings({"/Same.txt"}), same, {{"same.txt", Conflict::Yes}}},
        {"extension, prefix and suffix", Strings({"r.txt"}), {}, dotted, {{"old-r_1.bak", Conflict::No}}},
        // a.b conflicts with a and keeps its name, so a.b.c may not have it.
        {"a row that keeps its name keeps it taken", Strings({"a.b", "a.b.c"}), Strings({"a"}), noExtension,
         {{"a", Conflict::Yes}, {"a.b", Conflict::Yes}}},
        {"no name an object can have", Strings({"q.txt"}), {}, slash, {{"a/q.txt", Conflict::Yes}}},
    };
    for (const auto& c : cases) {
        const std::vector<RenamePreviewRow> rows = PreviewRenames(lib, c.names, c.names + c.folder, c.rules);
        ASSERT_EQ(rows.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].original, c.names[qsizetype(i)]) << c.what;
            EXPECT_EQ(rows[i].revised, QString::fromUtf8(c.expected[i].revised)) << c.what << " row " << i;
            EXPECT_EQ(ConflictText(rows[i].conflict), ConflictText(c.expected[i].conflict)) << c.what << " row " << i;
        }
    }
}

TEST_F(RenameTest, TheRowsWithoutConflictAreRenamedOnDiskIncludingAChangeOfCaseAndAFolder)
{
    dir.createFile(QStringLiteral("a b.txt"), "a");
    dir.createFile(QStringLiteral("c.txt"), "c");
    dir.createFile(QStringLiteral("Docs/inside"), "inside");
    dir.createFile(QStringLiteral("E.TXT"), "e");
    RenameRules rules;
    rules.removeSpaces = true;
    rules.capitalization = Capitalization::UpperCase;
    const QStringList names = Strings({"a b.txt", "c.txt", "/Docs", "E.TXT"});
    const std::vector<RenamePreviewRow> rows = PreviewRenames(lib, names, NamesInFolder(dir.path()), rules);
    std::vector<int> progress;
    const RenameReport report = RenameObjects(dir.path(), rows, [&](int done) { progress.push_back(done); });
    EXPECT_TRUE(report.problems.isEmpty()) << qPrintable(report.problems.join(QLatin1Char(' ')));
    EXPECT_EQ(report.renamed, 3);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Entries(dir.path()), Strings({"AB.TXT", "C.TXT", "DOCS", "E.TXT"}));
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("AB.TXT"))), "a");
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("DOCS/inside"))), "inside");
}

TEST_F(RenameTest, ANameTakenAfterThePreviewIsNeverReplaced)
{
    dir.createFile(QStringLiteral("x.txt"), "mine");
    dir.createFile(QStringLiteral("w.txt"), "w");
    RenameRules rules;
    rules.fileName = QStringLiteral("y");
    const std::vector<RenamePreviewRow> rows =
        PreviewRenames(lib, Strings({"x.txt"}), NamesInFolder(dir.path()), rules);
    ASSERT_EQ(rows.front().conflict, Conflict::No);
    // Another program takes the name between the preview and the rename.
    dir.createFile(QStringLiteral("y.txt"), "theirs");
    const RenameReport report = RenameObjects(dir.path(), rows);
    EXPECT_EQ(report.problems, QStringList{dir.file(QStringLiteral("x.txt"))});
    EXPECT_EQ(report.renamed, 0);
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("x.txt"))), "mine");
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("y.txt"))), "theirs");
}

TEST_F(RenameTest, ACaseChangeOntoAnotherHardLinkOfTheFileIsRefused)
{
    // Both spellings reach one file, as on a folder that ignores case; but here the new spelling is a
    // name of its own, which a rename would silently leave in place.
    dir.createFile(QStringLiteral("a.txt"), "a");
    ASSERT_EQ(::link(QFile::encodeName(dir.file(QStringLiteral("a.txt"))).constData(),
                     QFile::encodeName(dir.file(QStringLiteral("A.TXT"))).constData()),
              0);
    const FileOps::Result result = RenameObject(dir.path(), QStringLiteral("a.txt"), QStringLiteral("A.TXT"));
    EXPECT_EQ(result.error, EEXIST);
    EXPECT_EQ(result.failedPath, dir.file(QStringLiteral("a.txt")));
    EXPECT_EQ(Entries(dir.path()), Strings({"A.TXT", "a.txt"}));
}

TEST(RenameNumberBoxes, WholeNumbersOfEachBoxsRangeOnly)
{
    const struct
    {
        NumberBox box;
        const char* text;
        bool valid;
    } cases[] = {
        {NumberBox::Length, "1", true},     {NumberBox::Length, "255", true},   {NumberBox::Length, "0", false},
        {NumberBox::Length, "256", false},  {NumberBox::Length, "2.5", false},  {NumberBox::Length, "x", false},
        {NumberBox::StartsWith, "0", true}, {NumberBox::StartsWith, "-1", false}, {NumberBox::Increment, "0", false},
        {NumberBox::Increment, " 7 ", true}, {NumberBox::Increment, "99999999999999999999", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberBoxValue(c.box, QString::fromLatin1(c.text)).has_value(), c.valid) << c.text;
    EXPECT_EQ(NumberBoxMessage(NumberBox::Increment, QStringLiteral("0")),
              QStringLiteral("\"0\" is not a valid increment value.\r\nPlease enter a positive whole number.\r\n"));
}

TEST_F(RenameTest, ANumberThatWouldRunPastTheLargestGivesConflictsNotWrappedNames)
{
    RenameRules rules;
    rules.numbering = RenameRules::Numbering{false, 1, std::numeric_limits<qint64>::max() - 1, 1};
    const std::vector<RenamePreviewRow> rows = PreviewRenames(lib, Strings({"a", "b", "c"}), {}, rules);
    EXPECT_EQ(rows[1].revised, QString::number(std::numeric_limits<qint64>::max()));
    EXPECT_EQ(rows[2].revised, rows[1].revised);
    EXPECT_EQ(rows[2].conflict, Conflict::Yes);
}

class RenameCommandsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        left.createFile(QStringLiteral("a b.txt"), "a");
        left.createFile(QStringLiteral("c.txt"), "c");
        left.createFile(QStringLiteral("d.doc"), "d");
        left.createFile(QStringLiteral("Only/inside.txt"), "inside");
        right.createFile(QStringLiteral("c.txt"), "c");
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
        Item("mnuFileCompareDirectories")->trigger();
        dialogs.clear();
    }


    TempDir left;
    TempDir right;
};

TEST_F(RenameCommandsTest, OneObjectIsRenamedThroughTheInputBox)
{
    Select(Left(), {"c.txt"});
    dialogs.inputs = {QStringLiteral("e.txt")};
    Item("mnuFilePopupRename")->trigger();
    EXPECT_EQ(dialogs.prompts, QStringList{QStringLiteral("Rename File/Folder")});
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("e.txt"))), "c");
    EXPECT_TRUE(Texts(Left()).contains(QStringLiteral("e.txt"))) << "compared again";

    // A folder's new name may be typed the way its row shows it.
    Select(Left(), {"/Only"});
    dialogs.inputs = {QStringLiteral("/Moved")};
    Item("mnuFolderPopupRename")->trigger();
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("Moved/inside.txt"))), "inside");

    // An existing name is never replaced; an empty answer and Cancel do nothing.
    dialogs.clear();
    Select(Left(), {"e.txt"});
    dialogs.inputs = {QStringLiteral("d.doc"), QString(), std::nullopt};
    Item("mnuFileChangeFilename")->trigger();
    EXPECT_EQ(dialogs.last().title, QStringLiteral("API Error"));
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("e.txt"))), "c");
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("d.doc"))), "d");
    dialogs.clear();
    Item("mnuFileChangeFilename")->trigger();
    Item("mnuFileChangeFilename")->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Entries(left.path()), Strings({"Moved", "a b.txt", "d.doc", "e.txt"}));
}

TEST_F(RenameCommandsTest, NothingSelectedIsSaid)
{
    Q_EMIT Right()->FocusTaken();
    Right()->clearSelection();
    Item("mnuFileChangeFilename")->trigger();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("No object selected. Please select a folder or a file and try again."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unable to Rename"));
}

TEST_F(RenameCommandsTest, SeveralObjectsArePreviewedAndRenamedInTheWindow)
{
    Select(Left(), {"a b.txt", "c.txt", "d.doc"});
    bool ran = false;
    OnNextModal([&](QDialog* window) {
        ran = true;
        auto* objects = In<QTreeWidget>(window, "lvwObjects");
        ASSERT_EQ(objects->topLevelItemCount(), 3);
        EXPECT_EQ(objects->topLevelItem(0)->text(0), QStringLiteral("a b.txt"));
        // Each row has room for accents above capitals, whatever the font.
        const int rowHeight = objects->visualItemRect(objects->topLevelItem(0)).height();
        EXPECT_GE(rowHeight, frmRenameMultiple::RowHeightFor(objects->fontMetrics()));
        EXPECT_GT(rowHeight, objects->fontMetrics().boundingRect(QString::fromUtf8("\xC3\x89\xC3\x85")).height());

        // A text option opens its box and empties it when it is taken back.
        auto* replace = In<QCheckBox>(window, "chkChangeFileName");
        auto* text = In<QLineEdit>(window, "txtFilename");
        EXPECT_FALSE(text->isEnabled());
        replace->setChecked(true);
        EXPECT_TRUE(text->isEnabled());
        text->setText(QStringLiteral("x"));
        replace->setChecked(false);
        EXPECT_FALSE(text->isEnabled());
        EXPECT_TRUE(text->text().isEmpty());

        // The numbering boxes: an empty length is 3 for an extension; a zero increment is refused.
        auto* form = qobject_cast<frmRenameMultiple*>(window);
        ASSERT_NE(form, nullptr);
        auto* numbering = In<QCheckBox>(window, "chkNameAutoNumber");
        EXPECT_FALSE(In<QGroupBox>(window, "fraAutoNumber")->isEnabled());
        numbering->setChecked(true);
        EXPECT_TRUE(In<QGroupBox>(window, "fraAutoNumber")->isEnabled());
        In<QRadioButton>(window, "optNumberExtension")->setChecked(true);
        In<QLineEdit>(window, "txtLength")->setText(QStringLiteral("  "));
        EXPECT_TRUE(form->ValidateNumberBox(NumberBox::Length));
        EXPECT_EQ(In<QLineEdit>(window, "txtLength")->text(), QStringLiteral("3"));
        In<QLineEdit>(window, "txtIncrement")->setText(QStringLiteral("0"));
        In<QPushButton>(window, "cmdPreview")->click();
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Invalid Value"));
        EXPECT_EQ(dialogs.last().text, NumberBoxMessage(NumberBox::Increment, QStringLiteral("0")));
        EXPECT_TRUE(objects->topLevelItem(0)->text(1).isEmpty()) << "nothing previewed";
        numbering->setChecked(false);

        In<QCheckBox>(window, "chkRemoveSpaces")->setChecked(true);
        In<QComboBox>(window, "cboCapitalization")->setCurrentIndex(int(Capitalization::UpperCase));
        In<QPushButton>(window, "cmdPreview")->click();
        EXPECT_EQ(objects->topLevelItem(0)->text(1), QStringLiteral("AB.TXT"));
        EXPECT_EQ(objects->topLevelItem(2)->text(1), QStringLiteral("D.DOC"));
        EXPECT_EQ(objects->topLevelItem(2)->text(2), QStringLiteral("No"));
        EXPECT_EQ(Entries(left.path()), Strings({"Only", "a b.txt", "c.txt", "d.doc"})) << "a preview renames nothing";
        In<QPushButton>(window, "cmdOK")->click();
        EXPECT_FALSE(window->isVisible());
    });
    Item("mnuFileChangeFilename")->trigger();
    EXPECT_TRUE(ran);
    EXPECT_EQ(Entries(left.path()), Strings({"AB.TXT", "C.TXT", "D.DOC", "Only"}));
    EXPECT_TRUE(Texts(Left()).contains(QStringLiteral("AB.TXT"))) << "compared again";
}

TEST_F(RenameCommandsTest, AProblemIsReportedAndTheResultsClearWithoutAutoCompare)
{
    ctx->MainOptions().AutoCompareAfterDateTimeChange = false;
    Select(Left(), {"c.txt", "d.doc"});
    OnNextModal([&](QDialog* window) {
        In<QCheckBox>(window, "chkChangeExtension")->setChecked(true);
        In<QLineEdit>(window, "txtExtension")->setText(QStringLiteral("new"));
        In<QPushButton>(window, "cmdPreview")->click();
        // Taken between the preview and OK.
        left.createFile(QStringLiteral("d.new"), "theirs");
        In<QPushButton>(window, "cmdOK")->click();
    });
    Item("mnuFileChangeFilename")->trigger();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("There were problems.  Some objects' names were not changed."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Multiple Rename"));
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("c.new"))), "c");
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("d.doc"))), "d");
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("d.new"))), "theirs");
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
}
