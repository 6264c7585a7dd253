#include "diff/DiffMerge.h"
#include "diff/DiffNavigator.h"
#include "diff/DiffRun.h"
#include "diff/LineDiffEngine.h"
#include "platform/FileOps.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The merge over two files written here, as the differences window holds it.
class DiffMergeTest : public ::testing::Test
{
protected:
    DiffMerge& Open(const QByteArray& one, const QByteArray& two)
    {
        left = dir.createFile(U("left.txt"), one);
        right = dir.createFile(U("right.txt"), two);
        run = std::make_unique<DiffRunResult>(RunFileDiffs({left, right}, engine));
        EXPECT_EQ(run->outcome, DiffRunResult::Outcome::Visual);
        merge = std::make_unique<DiffMerge>(*run, engine);
        nav = std::make_unique<DiffNavigator>(*merge);
        return *merge;
    }

    QByteArray Contents(DiffSide side) const { return merge->Buffer(side).Contents(); }

    TempDir dir;
    QString left;
    QString right;
    LineDiffEngine engine;
    std::unique_ptr<DiffRunResult> run;
    std::unique_ptr<DiffMerge> merge;
    std::unique_ptr<DiffNavigator> nav;
};

} // namespace

TEST_F(DiffMergeTest, CopyingABlockEitherWayMakesThatBlockEqualAndRealigns)
{
    // Three blocks: a change, a line only on the right, a line only on the left.
    DiffMerge& m = Open("a\nb\nc\nd\ne\n", "a\nB\nc\nnew\nd\n");
    ASSERT_EQ(m.Alignment().differences, (std::vector<int32_t>{2, 4, 6}));
    int32_t first = 0;
    int32_t last = 0;
    EXPECT_FALSE(m.BlockAt(1, first, last));
    ASSERT_TRUE(m.BlockAt(4, first, last));
    EXPECT_EQ(std::pair(first, last), std::pair(4, 4));

    // To the right: the right side's "B" becomes "b".
    EXPECT_TRUE(m.CopyBlock(2, DiffSide::Left));
    EXPECT_EQ(Contents(DiffSide::Right), "a\nb\nc\nnew\nd\n");
    EXPECT_EQ(m.Alignment().differences, (std::vector<int32_t>{4, 6}));
    // To the left, where the left has only filler rows: the line is inserted at its place.
    EXPECT_TRUE(m.CopyBlock(4, DiffSide::Right));
    EXPECT_EQ(Contents(DiffSide::Left), "a\nb\nc\nnew\nd\ne\n");
    // To the left from the right's filler rows: the left's "e" goes.
    ASSERT_EQ(m.Alignment().differences, (std::vector<int32_t>{6}));
    EXPECT_TRUE(m.CopyBlock(6, DiffSide::Right));
    EXPECT_EQ(Contents(DiffSide::Left), "a\nb\nc\nnew\nd\n");
    EXPECT_TRUE(m.Alignment().differences.empty());
    EXPECT_EQ(nav->RowCount(), 6);
    // Outside a block nothing happens.
    EXPECT_FALSE(m.CopyBlock(1, DiffSide::Left));
    EXPECT_TRUE(m.IsModified(DiffSide::Left));
    EXPECT_TRUE(m.IsModified(DiffSide::Right));
}

TEST_F(DiffMergeTest, EditingALineAndAFillerRow)
{
    DiffMerge& m = Open("one\ntwo\n", "one\ntwo\nthree\n");
    EXPECT_EQ(m.EditLine(DiffSide::Left, 1, U("one")), DiffMerge::EditResult::Unchanged);
    EXPECT_FALSE(m.CanUndo());
    EXPECT_EQ(m.EditLine(DiffSide::Left, 2, U("2\twith a tab")), DiffMerge::EditResult::Changed);
    EXPECT_EQ(Contents(DiffSide::Left), "one\n2\twith a tab\n");
    EXPECT_EQ(nav->RawLineText(DiffSide::Left, 2), U("2\twith a tab"));
    EXPECT_EQ(nav->LineText(DiffSide::Left, 2), U("2   with a tab"));
    // Row 3 is a filler row on the left: editing it makes a line there.
    ASSERT_EQ(nav->LineNumber(DiffSide::Left, 3), 0);
    EXPECT_EQ(m.EditLine(DiffSide::Left, 3, U("three")), DiffMerge::EditResult::Changed);
    EXPECT_EQ(Contents(DiffSide::Left), "one\n2\twith a tab\nthree\n");
    EXPECT_EQ(nav->LineNumber(DiffSide::Left, 3), 3);
    EXPECT_FALSE(m.IsModified(DiffSide::Right));
}

TEST_F(DiffMergeTest, UndoAndRedoWalkBothSidesChangesAndTheSavedState)
{
    DiffMerge& m = Open("x\ny\n", "x\nz\n");
    m.CopyBlock(2, DiffSide::Left);                        // right: x y
    m.EditLine(DiffSide::Left, 1, U("X"));                 // left: X y
    EXPECT_EQ(Contents(DiffSide::Left), "X\ny\n");
    EXPECT_EQ(m.Undo(), DiffSide::Left);
    EXPECT_EQ(Contents(DiffSide::Left), "x\ny\n");
    EXPECT_FALSE(m.IsModified(DiffSide::Left));
    EXPECT_EQ(m.Undo(), DiffSide::Right);
    EXPECT_EQ(Contents(DiffSide::Right), "x\nz\n");
    EXPECT_EQ(m.Alignment().differences, (std::vector<int32_t>{2}));
    EXPECT_FALSE(m.Undo().has_value());
    EXPECT_EQ(m.Redo(), DiffSide::Right);
    EXPECT_EQ(Contents(DiffSide::Right), "x\ny\n");
    EXPECT_TRUE(m.CanRedo());
    // A new change drops what could have been redone.
    m.EditLine(DiffSide::Right, 1, U("new"));
    EXPECT_FALSE(m.CanRedo());
    // Saved, then undone: modified again; redone: back at the saved state.
    ASSERT_TRUE(m.SaveSide(DiffSide::Right, false).ok());
    EXPECT_FALSE(m.IsModified(DiffSide::Right));
    m.Undo();
    EXPECT_TRUE(m.IsModified(DiffSide::Right));
    m.Redo();
    EXPECT_FALSE(m.IsModified(DiffSide::Right));
}

TEST_F(DiffMergeTest, SavingKeepsLineEndsFinalLineEndAndModeThroughARename)
{
    // CR LF lines, no line end after the last line, one LF line in the middle kept as it was.
    DiffMerge& m = Open("a\r\nb\nc\r\nlast", "A\r\nb\nc\r\nlast\r\nmore");
    ASSERT_EQ(::chmod(left.toLocal8Bit().constData(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(left.toLocal8Bit().constData(), &before), 0);
    // The right's "more" copied over: "last" now needs a line end and gets the file's own (CR LF); the new
    // last line keeps the file's missing final line end.
    m.CopyBlock(5, DiffSide::Right);
    m.EditLine(DiffSide::Left, 1, U("A"));
    EXPECT_EQ(Contents(DiffSide::Left), "A\r\nb\nc\r\nlast\r\nmore");
    // The chmod changed only the inode's change time: the file is still the one loaded.
    const FileOps::Result saved = m.SaveSide(DiffSide::Left, false);
    ASSERT_TRUE(saved.ok()) << saved.errorText.toStdString();
    EXPECT_EQ(FileBytes(left), "A\r\nb\nc\r\nlast\r\nmore");
    struct stat after {};
    ASSERT_EQ(::stat(left.toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_NE(after.st_ino, before.st_ino); // a new file renamed into place, not the old one rewritten
    EXPECT_TRUE(Leftovers(dir.path()).isEmpty());
    EXPECT_FALSE(m.IsModified(DiffSide::Left));
    // A second save of a further change is not taken for a change on disk.
    m.EditLine(DiffSide::Left, 2, U("b2"));
    EXPECT_TRUE(m.SaveSide(DiffSide::Left, false).ok());
    EXPECT_EQ(FileBytes(left), "A\r\nb2\r\nc\r\nlast\r\nmore");
}

TEST_F(DiffMergeTest, AFileThatEndsWithALineEndKeepsIt)
{
    DiffMerge& m = Open("1\n2\n", "1\n2\n3\n");
    m.CopyBlock(3, DiffSide::Right);
    EXPECT_EQ(Contents(DiffSide::Left), "1\n2\n3\n");
    Open("", "x\r\n");
    merge->CopyBlock(1, DiffSide::Right);
    EXPECT_EQ(Contents(DiffSide::Left), "x\n"); // an empty file had no line end to follow
}

TEST_F(DiffMergeTest, AFileChangedOnDiskIsNotReplacedUnlessAskedTo)
{
    DiffMerge& m = Open("a\nb\n", "a\nc\n");
    m.CopyBlock(2, DiffSide::Left);
    // Someone else writes the right file meanwhile (another size and time).
    dir.createFileAt(U("right.txt"), "theirs\n", 1700000000);
    const FileOps::Result refused = m.SaveSide(DiffSide::Right, false);
    EXPECT_EQ(refused.error, ESTALE);
    EXPECT_EQ(FileBytes(right), "theirs\n");
    EXPECT_TRUE(Leftovers(dir.path()).isEmpty());
    EXPECT_TRUE(m.IsModified(DiffSide::Right));
    EXPECT_TRUE(m.SaveSide(DiffSide::Right, true).ok());
    EXPECT_EQ(FileBytes(right), "a\nb\n");
    // A file that is gone counts as changed too.
    m.EditLine(DiffSide::Left, 1, U("A"));
    QFile::remove(left);
    EXPECT_EQ(m.SaveSide(DiffSide::Left, false).error, ESTALE);
    EXPECT_FALSE(QFile::exists(left));
}

TEST_F(DiffMergeTest, SavingALinkWritesTheFileItLeadsTo)
{
    const QString real = dir.createFile(U("real.txt"), "a\nb\n");
    ASSERT_EQ(::symlink(real.toLocal8Bit().constData(), dir.file(U("link.txt")).toLocal8Bit().constData()), 0);
    const QString other = dir.createFile(U("other.txt"), "a\nc\n");
    DiffRunResult linked = RunFileDiffs({dir.file(U("link.txt")), other}, engine);
    DiffMerge m(linked, engine);
    m.CopyBlock(2, DiffSide::Right);
    ASSERT_TRUE(m.SaveSide(DiffSide::Left, false).ok());
    EXPECT_EQ(FileBytes(real), "a\nc\n");
    EXPECT_TRUE(QFileInfo(dir.file(U("link.txt"))).isSymLink());
}

TEST(WriteWhole, MakesNewFilesAndRefusesFoldersAndLinks)
{
    TempDir dir;
    const QString made = dir.file(U("new.txt"));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_TRUE(FileOps::WriteWhole(made, "text", nullptr).ok());
    EXPECT_EQ(FileBytes(made), "text");
    struct stat st {};
    ASSERT_EQ(::stat(made.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);

    dir.createFolder(U("folder"));
    EXPECT_EQ(FileOps::WriteWhole(dir.file(U("folder")), "x", nullptr).error, EISDIR);
    ASSERT_EQ(::symlink(made.toLocal8Bit().constData(), dir.file(U("link")).toLocal8Bit().constData()), 0);
    EXPECT_EQ(FileOps::WriteWhole(dir.file(U("link")), "x", nullptr).error, ELOOP);
    EXPECT_EQ(FileBytes(made), "text");

    // The identity it expects is the object's: the same bytes under a new inode are another file.
    FileOps::Identity was;
    ASSERT_TRUE(FileOps::IdentityOf(made, was));
    EXPECT_TRUE(FileOps::WriteWhole(made, "next", &was).ok());
    EXPECT_EQ(FileOps::WriteWhole(made, "again", &was).error, ESTALE);
    EXPECT_EQ(FileBytes(made), "next");
    EXPECT_TRUE(Leftovers(dir.path()).isEmpty());
}

TEST(DiffHelp, TheBinaryFilesMessageNamesATopicTheHelpHas)
{
    QFile help(qEnvironmentVariable("PARVEX_SOURCE_DIR") + U("/assets/files/parvex.hlp"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    const QString heading = U("<h2><a name=\"%1\"></a>%2</h2>").arg(DiffHelpTopic(), DiffHelpTopicTitle());
    EXPECT_TRUE(text.contains(heading)) << heading.toStdString();
    EXPECT_TRUE(BinaryFilesMessage().text.contains(U("See the %1 topic in the Help file").arg(DiffHelpTopicTitle())));
}
