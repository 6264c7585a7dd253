#include "diff/DiffAlignment.h"
#include "diff/DiffRun.h"
#include "diff/LineDiffEngine.h"
#include "base/ProgressSink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A side written compactly: a line number, "-" for a filler row; "+" marks the addition colour and "~"
// the change colour ("3+", "-~").
std::vector<QString> Side(const std::vector<AlignedRow>& rows)
{
    std::vector<QString> out;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        QString cell = rows[i].line == 0 ? U("-") : QString::number(rows[i].line);
        if (rows[i].colour == RowColour::Addition)
            cell += QLatin1Char('+');
        else if (rows[i].colour == RowColour::Change)
            cell += QLatin1Char('~');
        out.push_back(cell);
    }
    return out;
}

std::vector<QString> Cells(std::initializer_list<const char*> cells)
{
    std::vector<QString> out;
    for (const char* c : cells)
        out.push_back(U(c));
    return out;
}

struct HunkCase
{
    const char* name;
    int32_t leftLines;
    int32_t rightLines;
    std::vector<const char*> output;
    std::vector<QString> left;
    std::vector<QString> right;
    std::vector<int32_t> differences;
};

class HunkTable : public ::testing::TestWithParam<HunkCase>
{
};

TEST_P(HunkTable, AlignsBothSides)
{
    const HunkCase& c = GetParam();
    const DiffAlignment a = AlignDiffs(c.leftLines, c.rightLines, static_cast<int32_t>(c.output.size()),
                                       [&c](int32_t i) { return U(c.output[static_cast<std::size_t>(i)]); });
    EXPECT_FALSE(a.failed);
    EXPECT_EQ(Side(a.left), c.left);
    EXPECT_EQ(Side(a.right), c.right);
    EXPECT_EQ(a.differences, c.differences);
    EXPECT_EQ(a.left.size(), a.right.size());
}

INSTANTIATE_TEST_SUITE_P(
    DiffOutput, HunkTable,
    ::testing::Values(
        HunkCase{"added_after_the_last_line", 3, 5, {"3a4,5", "> d", "> e"},
                 Cells({"1", "2", "3", "-", "-"}), Cells({"1", "2", "3", "4+", "5+"}), {4}},
        HunkCase{"deleted_lines", 4, 2, {"2,3d1", "< b", "< c"},
                 Cells({"1", "2+", "3+", "4"}), Cells({"1", "-", "-", "2"}), {2}},
        HunkCase{"one_line_changed_into_three", 3, 5, {"2c2,4", "< b", "---", "> x", "> y", "> z"},
                 Cells({"1", "2~", "-~", "-~", "3"}), Cells({"1", "2~", "3~", "4~", "5"}), {2}},
        HunkCase{"three_lines_changed_into_one", 5, 3, {"2,4c2", "< b", "< c", "< d", "---", "> x"},
                 Cells({"1", "2~", "3~", "4~", "5"}), Cells({"1", "2~", "-~", "-~", "3"}), {2}},
        HunkCase{"second_hunk_shifted_by_the_first", 4, 4, {"1a2", "> n", "4d4", "< d"},
                 Cells({"1", "-", "2", "3", "4+"}), Cells({"1", "2+", "3", "4", "-"}), {2, 5}},
        HunkCase{"added_before_the_first_line", 1, 3, {"0a1,2", "> a", "> b"},
                 Cells({"-", "-", "1"}), Cells({"1+", "2+", "3"}), {1}},
        HunkCase{"everything_deleted", 2, 0, {"1,2d0", "< a", "< b"}, Cells({"1+", "2+"}), Cells({"-", "-"}), {1}},
        HunkCase{"notice_lines_are_skipped", 1, 1, {"1c1", "< a", "\\ No newline at end of file", "---", "> b"},
                 Cells({"1~"}), Cells({"1~"}), {1}}),
    [](const ::testing::TestParamInfo<HunkCase>& p) { return std::string(p.param.name); });

TEST(HunkHeaders, MalformedOutputPadsBothSidesAndSaysSo)
{
    struct Case
    {
        const char* name;
        std::vector<const char*> output;
    };
    const Case cases[] = {
        {"letter_without_numbers", {"1x2"}},
        {"range_past_the_file", {"2,9d1"}},
        {"hunks_out_of_order", {"3d2", "1d0"}},
        {"common_lines_do_not_pair", {"1a5"}},
        {"number_too_large", {"99999999999a1"}},
    };
    for (const Case& c : cases) {
        const DiffAlignment a = AlignDiffs(3, 2, static_cast<int32_t>(c.output.size()),
                                           [&c](int32_t i) { return U(c.output[static_cast<std::size_t>(i)]); });
        EXPECT_TRUE(a.failed) << c.name;
        EXPECT_EQ(a.left.size(), a.right.size()) << c.name;
        EXPECT_GE(a.left.size(), 4u) << c.name; // every line of the longer file is still there
    }
}

TEST(Utf8, ValidityDecidesTheEncoding)
{
    EXPECT_TRUE(IsValidUtf8("plain ascii text, long enough for the word loop"));
    EXPECT_TRUE(IsValidUtf8("gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("caf\xe9"));                 // Latin-1 é
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));                // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));            // a surrogate
    EXPECT_FALSE(IsValidUtf8("abc\xe2\x82"));             // cut short
    EXPECT_EQ(DecodeLineBytes("caf\xe9"), QString::fromUtf8("caf\xc3\xa9"));
}

class EngineRun : public ::testing::Test
{
protected:
    TempDir dir;
    LineDiffEngine engine;
};

TEST_F(EngineRun, KeepsDiffsOutputAndStatus)
{
    const QString a = dir.createFile(U("a.txt"), "one\ntwo\nthree\n");
    const QString b = dir.createFile(U("b.txt"), "one\nTWO\nthree\n");
    EXPECT_EQ(engine.Compare(a, a), LineDiffEngine::Identical);
    EXPECT_EQ(engine.LineCount(), 0);
    ASSERT_EQ(engine.Compare(a, b), LineDiffEngine::Different);
    ASSERT_EQ(engine.LineCount(), 4);
    EXPECT_EQ(engine.Line(0), U("2c2"));
    EXPECT_EQ(engine.Line(1), U("< two"));
    EXPECT_EQ(engine.Line(3), U("> TWO"));
    engine.SetIgnoreCase(true);
    EXPECT_EQ(engine.Compare(a, b), LineDiffEngine::Identical);

    const QString c = dir.createFile(U("c.txt"), "one\n  two\nthree\n");
    engine.SetIgnoreCase(false);
    EXPECT_EQ(engine.Compare(a, c), LineDiffEngine::Different);
    engine.SetIgnoreWhiteSpace(true);
    EXPECT_EQ(engine.Compare(a, c), LineDiffEngine::Identical);
}

TEST_F(EngineRun, TroubleCarriesDiffsOwnMessageFirst)
{
    const QString a = dir.createFile(U("a.txt"), "x\n");
    ASSERT_EQ(engine.Compare(a, dir.file(U("missing.txt"))), LineDiffEngine::Trouble);
    EXPECT_TRUE(engine.Line(0).contains(U("missing.txt: No such file or directory"))) << engine.Line(0).toStdString();
    // A file named like an option is a file.
    const QString dash = dir.createFile(U("-w"), "y\n");
    EXPECT_EQ(engine.Compare(a, dash), LineDiffEngine::Different);
}

TEST_F(EngineRun, AProgramThatCannotRunOrDiesIsNotAResult)
{
    const QString a = dir.createFile(U("a.txt"), "x\n");
    engine.SetProgram(dir.file(U("no-such-diff")));
    EXPECT_EQ(engine.Compare(a, a), LineDiffEngine::NotRun);
    EXPECT_FALSE(engine.Problem().isEmpty());

    const QString killer = dir.createFile(U("killed-diff"), "#!/bin/sh\nkill -9 $$\n");
    QFile::setPermissions(killer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    engine.SetProgram(killer);
    EXPECT_EQ(engine.Compare(a, a), LineDiffEngine::NotRun);

    const QString odd = dir.createFile(U("odd-diff"), "#!/bin/sh\nexit 3\n");
    QFile::setPermissions(odd, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    engine.SetProgram(odd);
    EXPECT_EQ(engine.Compare(a, a), LineDiffEngine::NotRun);

    const DiffRunResult run = RunFileDiffs({a, a, false, false, 0}, engine);
    EXPECT_EQ(run.outcome, DiffRunResult::Outcome::NotComputed);
    ASSERT_TRUE(run.message.has_value());
    EXPECT_TRUE(run.message->text.startsWith(U("GNU's Diff.exe was not able to compute the file differences.")));
    EXPECT_EQ(run.message->title, U("Show File Differences"));
}

TEST_F(EngineRun, CancelStopsDiff)
{
    const QString slow = dir.createFile(U("slow-diff"), "#!/bin/sh\nexec sleep 30\n");
    QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    engine.SetProgram(slow);
    std::atomic<bool> cancel{false};
    class CancelAfter final : public EventPump
    {
    public:
        explicit CancelAfter(std::atomic<bool>& c) : m_cancel(c) {}
        void Pump() override { m_cancel = ++m_calls > 3; }

    private:
        std::atomic<bool>& m_cancel;
        int m_calls = 0;
    } pump(cancel);
    const QString a = dir.createFile(U("a.txt"), "x\n");
    EXPECT_EQ(engine.Compare(a, a, &pump, &cancel), LineDiffEngine::Cancelled);
}

TEST_F(EngineRun, OutcomesOfARun)
{
    const QString a = dir.createFile(U("a.txt"), "a\nb\n");
    const QString same = dir.createFile(U("same.txt"), "a\nb\n");
    DiffRunResult run = RunFileDiffs({a, same, false, false, 0}, engine);
    EXPECT_EQ(run.outcome, DiffRunResult::Outcome::Identical);
    EXPECT_EQ(run.message->text, U("The files are identical"));
    EXPECT_EQ(run.message->title, U("Compare Files"));

    run = RunFileDiffs({a, dir.file(U("gone.txt")), false, false, 0}, engine);
    EXPECT_EQ(run.outcome, DiffRunResult::Outcome::Trouble);
    EXPECT_TRUE(run.message->text.startsWith(U("Errors encountered comparing the files\r\n\r\n")));
    EXPECT_EQ(run.message->icon, UserDialogs::Icon::Warning);

    // NUL bytes early (diff says binary) and late (diff reads text; the grid would not).
    const QString bin1 = dir.createFile(U("b1"), QByteArray("a\0b\n", 4));
    const QString bin2 = dir.createFile(U("b2"), QByteArray("a\0c\n", 4));
    QByteArray late(200000, 'x');
    late.append('\n').append('\0').append("z\n");
    const QString late1 = dir.createFile(U("late1"), late);
    const QString late2 = dir.createFile(U("late2"), "y\n" + late);
    for (int format : {0, 1}) {
        for (const auto& [one, two] : {std::pair{bin1, bin2}, std::pair{late1, late2}}) {
            run = RunFileDiffs({one, two, false, false, format}, engine);
            EXPECT_EQ(run.outcome, DiffRunResult::Outcome::Binary) << format;
            EXPECT_TRUE(run.message->text.startsWith(U("The files differ but the differences are not viewable.\r\n")));
        }
    }
}

TEST_F(EngineRun, VisualRunReadsBytesAsTheyAre)
{
    // CR LF line ends, Latin-1 bytes, tabs and a last line without a line end.
    const QString a = dir.createFile(U("a.txt"), "caf\xe9\r\nsame\tline\r\nlast");
    const QString b = dir.createFile(U("b.txt"), "cafe\r\nsame\tline\r\nlast");
    const DiffRunResult run = RunFileDiffs({a, b, false, false, 0}, engine);
    ASSERT_EQ(run.outcome, DiffRunResult::Outcome::Visual);
    EXPECT_FALSE(run.message.has_value());
    EXPECT_FALSE(run.left.IsUtf8());
    EXPECT_TRUE(run.right.IsUtf8());
    EXPECT_EQ(run.left.LineCount(), 3);
    EXPECT_EQ(run.left.DisplayText(1), QString::fromUtf8(" 1.caf\xc3\xa9"));
    EXPECT_EQ(run.left.DisplayText(2), U(" 2.same   line"));
    EXPECT_EQ(run.right.DisplayText(3), U(" 3.last"));
    EXPECT_EQ(Side(run.alignment.left), Cells({"1~", "2", "3"}));
    EXPECT_EQ(run.alignment.differences, std::vector<int32_t>{1});

    // A binary-looking first line from diff's own output is recognised in both wordings.
    EXPECT_TRUE(IsBinaryFilesLine(U("Binary files /a/x and /b/y differ"), U("/a/x"), U("/b/y")));
    EXPECT_TRUE(IsBinaryFilesLine(U("binary FILES /a/x /b/y differ"), U("/a/x"), U("/b/y")));
    EXPECT_FALSE(IsBinaryFilesLine(U("1c1"), U("/a/x"), U("/b/y")));
}

} // namespace
