// The helper library as the program sees it: bound by export name through ParvexLib, called through the
// QString wrappers or the raw table where the wrappers cannot reach an edge (NULL, unterminated buffers).
#include "TestSupport.h"
#include "platform/ParvexLib.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

// Bound once for the whole run, the way the program binds it at start-up.
class ParvexLibTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(lib().IsLoaded()) << qPrintable(problem()); }

    static QString& problem()
    {
        static QString text;
        return text;
    }
    static const ParvexLib& lib()
    {
        static ParvexLib bound;
        static const bool loaded = bound.Load(TestLibraryFile(), &problem());
        Q_UNUSED(loaded);
        return bound;
    }
    static const ParvexLib::Table& api() { return lib().Api(); }
    // A text the library handed out, released the way the program releases it.
    static QString take(char* text)
    {
        EXPECT_NE(text, nullptr);
        const QString result = QString::fromUtf8(text);
        api().PBFreeText(text);
        return result;
    }
};

// 100-ns ticks since 1601 for a UTC date and time.
qint64 Ticks(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    const QDateTime t(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
    return t.toMSecsSinceEpoch() * 10000 + 116444736000000000LL;
}

TEST_F(ParvexLibTest, NullTextCountsAsEmpty)
{
    for (ParvexLib::TextFn fn : {api().NormalizePath, api().GetLastItemInPath, api().GetFilenameExtension,
                                 api().RemoveFilenameExtension, api().ProperCase, api().ToggleCase, api().RemoveInternalSpaces})
        EXPECT_EQ(take(fn(nullptr)), QString());
    EXPECT_EQ(take(api().ReplaceString("abc", "b", nullptr)), U("ac"));
    EXPECT_EQ(take(api().RemainingString("a~b", nullptr)), QString());
    EXPECT_EQ(take(api().ReplaceFileName(nullptr, "new")), U("new"));
    EXPECT_EQ(take(api().StripNull(nullptr, 10)), QString());
    EXPECT_EQ(take(api().ConvertSHAHashToHex(nullptr)), QString());
    EXPECT_EQ(api().GetNextSlashPos(nullptr, 1), 0);
    EXPECT_EQ(api().APIFileExists(nullptr) + api().APIFolderExists(nullptr) + api().PBFolderExists(nullptr), 0);
    int64_t total = 7;
    api().GetFolderSize(nullptr, &total);
    api().GetFolderSize("/", nullptr);
    EXPECT_EQ(total, 7);
    EXPECT_EQ(api().PositionOfFirstDifference("a", nullptr, 1, nullptr, nullptr), 1);
}

TEST_F(ParvexLibTest, PathItems)
{
    const struct { const char* path; const char* normalized; const char* lastItem; } rows[] = {
        {"", "", ""},
        {"/", "/", ""},
        {"ab", "ab", "ab"},
        {"C:", "C:/", "C:"},
        {"/a", "/a/", "a"},  // a folder at the root is due its slash like any other folder
        {"/data/", "/data/", ""},
        {"/data/file.txt", "/data/file.txt/", "file.txt"},
        {"éa", "éa", "éa"},  // two characters in three bytes: not due
        {"éab", "éab/", "éab"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(lib().NormalizePath(U(row.path)), U(row.normalized)) << row.path;
        EXPECT_EQ(lib().GetLastItemInPath(U(row.path)), U(row.lastItem)) << row.path;
    }
}

TEST_F(ParvexLibTest, NextSlashPositionCountsCharacters)
{
    const struct { const char* text; int start; int expected; } rows[] = {
        {"", 1, 0},
        {"abc", 4, 0},
        {"abc", 1, 3},      // no separator: the length
        {"a/\\/b", 1, 4},   // both kinds make one run, answered by its last separator
        {"a/b/c", 3, 4},
        {"a/", 1, 2},       // the run reaches the end
        {"ü€/x/y", 4, 5},   // characters, not bytes
        {"/x", 0, 1},       // no character 0: the walk starts at 1
    };
    for (const auto& row : rows)
        EXPECT_EQ(lib().GetNextSlashPos(U(row.text), row.start), row.expected) << row.text << " from " << row.start;
    const QString longText = QString(40000, QLatin1Char('a'));
    EXPECT_EQ(lib().GetNextSlashPos(longText, 1), SHRT_MAX);
    // A start beyond the 16-bit range must not wrap round to the beginning of the text.
    EXPECT_EQ(lib().GetNextSlashPos(QStringLiteral("/a"), 40000), 0);
}

TEST_F(ParvexLibTest, NameParts)
{
    const struct { const char* name; const char* extension; const char* base; const char* renamed; const char* retyped; const char* suffixed; } rows[] = {
        // name                extension  base            ReplaceFileName(,"new") ReplaceExtension(,"bak") AddSuffix(,"_1")
        {"archive.tar.gz",     "gz",      "archive.tar",  "new.gz",      "archive.tar.bak", "archive.tar_1.gz"},
        {"README",             "",        "README",       "new",         "README.bak",      "README_1"},
        {"a.",                 "",        "a",            "new.",        "a.bak",           "a_1."},
        {"   ",                "",        "",             "new",         ".bak",            "_1"},
        {" x.y",               "y",       " x",           "new.y",       " x.bak",          " x_1.y"},
        {".profile",           "",        ".profile",     "new",         ".profile.bak",    ".profile_1"},
        {"/data/a.b/file",     "",        "/data/a.b/file", "new",       "/data/a.b/file.bak", "/data/a.b/file_1"},
        {"/data/a.b/f.txt",    "txt",     "/data/a.b/f",  "new.txt",     "/data/a.b/f.bak", "/data/a.b/f_1.txt"},
        {"résumé.pdf",         "pdf",     "résumé",       "new.pdf",     "résumé.bak",      "résumé_1.pdf"},
    };
    for (const auto& row : rows) {
        const QString name = U(row.name);
        EXPECT_EQ(lib().GetFilenameExtension(name), U(row.extension)) << row.name;
        EXPECT_EQ(lib().RemoveFilenameExtension(name), U(row.base)) << row.name;
        EXPECT_EQ(lib().ReplaceFileName(name, QStringLiteral("new")), U(row.renamed)) << row.name;
        EXPECT_EQ(lib().ReplaceExtension(name, QStringLiteral("bak")), U(row.retyped)) << row.name;
        EXPECT_EQ(lib().AddSuffixToFileName(name, QStringLiteral("_1")), U(row.suffixed)) << row.name;
    }
}

TEST_F(ParvexLibTest, SearchAndReplace)
{
    const struct { const char* text; const char* find; const char* replacement; const char* expected; } replaceRows[] = {
        {"a\tb\t\tc", "\t", "   ", "a   b      c"},
        {"aaaa", "aa", "a", "aa"},      // non-overlapping, left to right
        {"abc", "", "X", "abc"},        // nothing to find
        {"ééé", "é", "e", "eee"},
    };
    for (const auto& row : replaceRows)
        EXPECT_EQ(lib().ReplaceString(U(row.text), U(row.find), U(row.replacement)), U(row.expected)) << row.text;

    const struct { const char* text; const char* delimiter; const char* before; const char* after; } splitRows[] = {
        {"name~!@#12", "~!@#", "name", "12"},
        {"a~!@#b~!@#c", "~!@#", "a", "b~!@#c"},
        {"plain", "~!@#", "plain", ""},
        {"plain", "", "plain", ""},
        {"ü/é/x", "/", "ü", "é/x"},
    };
    for (const auto& row : splitRows) {
        EXPECT_EQ(lib().ExtractString(U(row.text), U(row.delimiter)), U(row.before)) << row.text;
        EXPECT_EQ(lib().RemainingString(U(row.text), U(row.delimiter)), U(row.after)) << row.text;
    }
}

TEST_F(ParvexLibTest, StripNullStaysInsideTheBuffer)
{
    const char withNul[] = {'a', 'b', '\0', 'c', 'd'};
    const char without[] = {'x', 'y', 'z'};  // no terminator: reading past 3 bytes would be an overrun
    EXPECT_EQ(take(api().StripNull(withNul, 5)), U("ab"));
    EXPECT_EQ(take(api().StripNull(without, 3)), U("xyz"));
    EXPECT_EQ(take(api().StripNull("terminated", -1)), U("terminated"));
}

TEST_F(ParvexLibTest, LetterCase)
{
    const struct { const char* text; const char* proper; const char* toggled; } rows[] = {
        {"1st place", "1St Place", "1ST PLACE"},
        {"MIXED case-words", "Mixed Case-Words", "mixed CASE-WORDS"},
        {"/home/user/data/", "/Home/User/Data/", "/HOME/USER/DATA/"},
        {"äÅçÉñÖü", "Äåçéñöü", "äÅçÉñÖü"},             // toggling leaves every non-ASCII letter alone
        {"crème brûlée", "Crème Brûlée", "CRèME BRûLéE"},
        {"cafe\xCC\x81s", "Cafe\xCC\x81s", "CAFE\xCC\x81S"}, // a combining accent keeps the word going
        {"aB1 c", "Ab1 C", "Ab1 C"},
        {"  ", "  ", ""},                                  // a blank text toggles to nothing
    };
    for (const auto& row : rows) {
        EXPECT_EQ(lib().ProperCase(U(row.text)), U(row.proper)) << row.text;
        EXPECT_EQ(lib().ToggleCase(U(row.text)), U(row.toggled)) << row.text;
    }
    // A stray byte that is not UTF-8 is passed through untouched.
    EXPECT_EQ(take(api().ProperCase("ab\xFF" "cd")), QString::fromUtf8("Ab\xFF" "Cd"));
    EXPECT_EQ(lib().RemoveInternalSpaces(U(" a b  c ")), U("abc"));
}

TEST_F(ParvexLibTest, FirstDifference)
{
    const struct { const char* a; const char* b; int start; int first; int end1; int end2; } rows[] = {
        {"abcXef", "abcYef", 1, 4, 4, 4},
        {"abc", "abcde", 1, 4, 3, 5},
        {"same", "same", 1, -1, -1, -1},
        {"abX", "abY", 1, 3, 3, 3},          // difference runs to the end
        {"abXYcd", "abZWcd", 1, 3, 4, 4},
        {"aXcdeY", "aZcdeW", 3, 6, 6, 6},    // the walk starts at start
        {"Xbc", "Ybc", 5, -1, -1, -1},       // nothing at or after start
        {"", "ab", 1, 1, 0, 2},
        {"éaX", "éaY", 1, 3, 3, 3},          // characters, not bytes
    };
    for (const auto& row : rows) {
        int32_t end1 = 99;
        int32_t end2 = 99;
        const QByteArray a = QByteArray(row.a);
        const QByteArray b = QByteArray(row.b);
        EXPECT_EQ(api().PositionOfFirstDifference(a.constData(), b.constData(), row.start, &end1, &end2), row.first)
            << row.a << " / " << row.b;
        EXPECT_EQ(end1, row.end1) << row.a << " / " << row.b;
        EXPECT_EQ(end2, row.end2) << row.a << " / " << row.b;
    }
    // Two different stray bytes are two different characters.
    EXPECT_EQ(api().PositionOfFirstDifference("a\xFE", "a\xFF", 1, nullptr, nullptr), 2);
}

TEST_F(ParvexLibTest, ByteCountTexts)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const qint64 KB = 1024;
    const struct { qint64 bytes; const char* text; } rows[] = {
        {1023, "1023 Bytes"},
        {1024, "1KB"},
        {1536, "1.5KB"},
        {-2048, "-2KB"},
        {1000 * KB, "1,000KB"},
        {KB * KB - 1, "1,024KB"},              // 1023.999 KB: the quotient has not reached 1024
        {KB * KB, "1MB"},
        {5 * KB * KB * KB / 2, "2.5GB"},
        {2048 * KB * KB * KB * KB, "2,048TB"},  // TB is the largest unit
        {LLONG_MIN, "-8,388,608TB"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(lib().ConvertBytesToCorrectByteTypeString(row.bytes), U(row.text)) << row.bytes;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(lib().ConvertBytesToCorrectByteTypeString(1045012), U("1.020,52KB"));
    QLocale::setDefault(QLocale::c());
}

TEST_F(ParvexLibTest, BitsDigestsAndSizes)
{
    EXPECT_EQ(lib().ConvertLongToBinaryString(0), U("0"));
    EXPECT_EQ(lib().ConvertLongToBinaryString(5), U("101"));
    EXPECT_EQ(lib().ConvertLongToBinaryString(-1), QString(32, QLatin1Char('1')));
    EXPECT_EQ(api().IsBitSet(INT_MIN, 31), 1);
    EXPECT_EQ(api().IsBitSet(-1, 32), 0);  // no such bit: never a shift past the width
    EXPECT_EQ(api().IsBitSet(-1, -1), 0);
    EXPECT_EQ(api().CalcWFDFileSize(1, 0), 4294967296LL);
    EXPECT_EQ(api().CalcWFDFileSize(2, 0xFFFFFFFFU), 3 * 4294967296LL - 1);
    unsigned char digest[20];
    for (int i = 0; i < 20; ++i)
        digest[i] = static_cast<unsigned char>(i * 13);
    EXPECT_EQ(lib().ConvertSHAHashToHex(digest), U("000D1A2734414E5B6875828F9CA9B6C3D0DDEAF7"));
}

TEST_F(ParvexLibTest, TimeStamps)
{
    const struct { qint64 ticks; double date; } rows[] = {
        {Ticks(1899, 12, 30), 0.0},
        {Ticks(1899, 12, 31, 12), 1.5},
        {Ticks(2000, 1, 1), 36526.0},
        {Ticks(2000, 1, 1, 6), 36526.25},
    };
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(lib().CalcLocalFileTimeToVBTime(row.ticks), row.date) << row.ticks;

    const qint64 t = Ticks(2024, 3, 31, 2, 30);
    const struct { qint64 t1; qint64 t2; double seconds; } diffs[] = {
        {t + 20000000, t, 2.0},
        {t, t + 20000000, -2.0},
        {t + 5000000, t, 0.5},
        {t + 1, t, 1e-7},
    };
    for (const auto& row : diffs)
        EXPECT_DOUBLE_EQ(lib().CalcDateDiffLocalFT(row.t1, row.t2), row.seconds);
    EXPECT_GT(lib().CalcDateDiffLocalFT(LLONG_MAX, LLONG_MIN), 1.8e12);  // no wrap-around to a negative
    EXPECT_LT(lib().CalcDateDiffLocalFT(LLONG_MIN, LLONG_MAX), -1.8e12);
}

TEST_F(ParvexLibTest, Existence)
{
    TempDir dir;
    const QString file = dir.createFile(QStringLiteral("f.txt"), "x");
    const QString empty = dir.createFolder(QStringLiteral("empty"));
    const QString hidden = dir.createFolder(QStringLiteral(".hidden"));
    const QString accents = dir.createFolder(QStringLiteral("dossier é"));
    ASSERT_EQ(symlink("missing", QFile::encodeName(dir.file(QStringLiteral("dangling"))).constData()), 0);
    ASSERT_EQ(symlink("empty", QFile::encodeName(dir.file(QStringLiteral("linkdir"))).constData()), 0);

    const struct { QString path; bool file; bool folder; } rows[] = {
        {QString(), false, false},
        {file, true, false},
        {empty, false, true},
        {empty + QStringLiteral("/"), false, true},
        {hidden, false, true},
        {accents, false, true},
        {dir.file(QStringLiteral("dangling")), false, false},
        {dir.file(QStringLiteral("linkdir")), false, true},
        {file + QStringLiteral("/"), false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(lib().APIFileExists(row.path), row.file) << qPrintable(row.path);
        EXPECT_EQ(lib().APIFolderExists(row.path), row.folder) << qPrintable(row.path);
        EXPECT_EQ(lib().PBFolderExists(row.path), row.folder) << qPrintable(row.path);
    }
    EXPECT_EQ(api().APIFileExists(""), 0);
}

TEST_F(ParvexLibTest, FolderSize)
{
    TempDir dir;
    const QString root = dir.createFolder(QStringLiteral("root"));
    dir.createFolder(QStringLiteral("root/onlyEmpty/empty"));
    EXPECT_EQ(lib().GetFolderSize(dir.file(QStringLiteral("root/onlyEmpty"))), 0);

    dir.createFile(QStringLiteral("root/a.bin"), QByteArray(100, 'a'));
    dir.createFile(QStringLiteral("root/.hidden"), QByteArray(20, 'h'));
    dir.createFile(QStringLiteral("root/.cache/deep/er/b.bin"), QByteArray(3, 'b'));
    dir.createFile(QStringLiteral("root/sub.d/c.txt"), QByteArray(4000, 'c'));
    dir.createFile(QStringLiteral("outside/big.bin"), QByteArray(50000, 'o'));
    auto link = [&](const char* target, const QString& at) {
        ASSERT_EQ(symlink(target, QFile::encodeName(dir.file(at)).constData()), 0);
    };
    link("..", QStringLiteral("root/sub.d/up"));                            // a loop back to root
    link("../../../../root", QStringLiteral("root/.cache/deep/er/loop"));  // a loop from further down
    link("../outside", QStringLiteral("root/away"));                      // a folder out of the tree
    link("a.bin", QStringLiteral("root/alias.bin"));                      // counts as the file it names
    link("nothing", QStringLiteral("root/dangling"));
    const qint64 expected = 100 + 20 + 3 + 4000 + 100;
    EXPECT_EQ(lib().GetFolderSize(root), expected);
    EXPECT_EQ(lib().GetFolderSize(root + QStringLiteral("/")), expected);

    // The total is a running one: the library adds to what the caller holds.
    int64_t total = 1000;
    api().GetFolderSize(QFile::encodeName(root).constData(), &total);
    EXPECT_EQ(total, 1000 + expected);
    total = 5;
    api().GetFolderSize(QFile::encodeName(dir.file(QStringLiteral("missing"))).constData(), &total);
    api().GetFolderSize(QFile::encodeName(dir.file(QStringLiteral("root/a.bin"))).constData(), &total);
    EXPECT_EQ(total, 5);
}

void Record(const char* text, const char* title, void* context)
{
    static_cast<QStringList*>(context)->append(QString::fromUtf8(title) + QStringLiteral("|") + QString::fromUtf8(text));
}

TEST_F(ParvexLibTest, MessagesGoToTheHandlerElseToAModalBox)
{
    QStringList shown;
    lib().SetMessageHandler(&Record, &shown);
    lib().ShowInformationMessage(U("\"C\" is not a valid path.\r\n\r\nÜ <b>&"), U("Invalid Path"));
    lib().ShowExplorerNotice();
    lib().ShowSelectedNotice();
    api().ShowInformationMessage(nullptr, nullptr);
    lib().SetMessageHandler(nullptr, nullptr);
    EXPECT_EQ(shown, QStringList({
        U("Invalid Path|\"C\" is not a valid path.\r\n\r\nÜ <b>&"),
        U("Run Explorer|If you make any changes to this folder using Explorer, you will need \n\r"
          "to run a comparison in order for Parvex to recognize the changes."),
        U("Show Only Selected Objects|Rerun the comparison or select a View type to undo this action."),
        U("|"),
    }));

    QString seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        seen = box->windowTitle() + QStringLiteral("|") + box->text();
        box->accept();
    });
    lib().ShowSelectedNotice();
    EXPECT_EQ(seen, shown[2]);
}

// A result pane: a table of rows taller than its viewport, counting every vertical scroll.
struct Pane
{
    explicit Pane(int rows)
    {
        model.setColumnCount(3);
        for (int r = 0; r < rows; ++r)
            model.appendRow({new QStandardItem(QStringLiteral("row %1 with a rather long name").arg(r)),
                             new QStandardItem(QStringLiteral("1,234")), new QStandardItem(QStringLiteral("date"))});
        view.setModel(&model);
        view.resize(160, 200);
        view.show();
        QApplication::processEvents();
        QObject::connect(view.verticalScrollBar(), &QScrollBar::valueChanged, [this] { ++scrolls; });
    }
    int top() const { return view.rowAt(0); }

    QStandardItemModel model;
    QTableView view;
    int scrolls = 0;
};

TEST_F(ParvexLibTest, PanesScrollToATopRow)
{
    Pane pane(300);
    QScrollBar* across = pane.view.horizontalScrollBar();
    across->setValue(across->maximum());
    ASSERT_GT(across->value(), 0);
    const int acrossBefore = across->value();

    const struct { int index; int top; bool scrolls; } rows[] = {
        {0, 0, false},  // already the top row: no scroll at all
        {120, 120, true},
        {120, 120, false},
        {40, 40, true},
        {-1, 40, false},
        {300, 40, false},
    };
    for (const auto& row : rows) {
        const int before = pane.scrolls;
        api().SetTopItem(&pane.view, row.index);
        EXPECT_EQ(pane.top(), row.top) << row.index;
        EXPECT_EQ(pane.scrolls != before, row.scrolls) << row.index;
    }
    EXPECT_EQ(across->value(), acrossBefore);  // the horizontal position is left alone
    api().SetTopItem(nullptr, 3);
    QTableView noModel;
    api().SetTopItem(&noModel, 3);
}

TEST_F(ParvexLibTest, SyncedPanesShowTheSameTopRow)
{
    constexpr uint32_t kVerticalScroll = 0x115;
    Pane left(500);
    Pane right(500);
    for (int row : {17, 250, 0, 499}) {
        left.view.verticalScrollBar()->setValue(row);
        api().SyncListViewScrolling(&left.view, &right.view, kVerticalScroll, 1, 0);
        EXPECT_EQ(right.top(), left.top()) << row;
    }
    right.view.verticalScrollBar()->setValue(80);
    api().SyncListViewScrolling(&right.view, &left.view, kVerticalScroll, 0, 0);
    EXPECT_EQ(left.top(), 80);
    const int scrolls = left.scrolls;
    api().SyncListViewScrolling(&right.view, &left.view, kVerticalScroll, 0, 0);
    EXPECT_EQ(left.scrolls, scrolls);  // already aligned: left alone

    Pane empty(0);
    api().SyncListViewScrolling(&empty.view, &left.view, kVerticalScroll, 0, 0);
    api().SyncListViewScrolling(nullptr, &left.view, kVerticalScroll, 0, 0);
    api().SyncListViewScrolling(&left.view, nullptr, kVerticalScroll, 0, 0);
    EXPECT_EQ(left.top(), 80);
}

// Everything written to stderr while it lives goes to a file instead.
class StderrCapture
{
public:
    explicit StderrCapture(const QString& file) : m_file(file)
    {
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        const int fd = open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrCapture() { restore(); }

    QString take()
    {
        restore();
        QFile f(m_file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }

    QString m_file;
    int m_saved = -1;
};

// Closes any modal box that opens while the test's own code runs, and says whether one did. A plain
// member timer: it dies with the test, so it cannot close a box of a later one.
struct BoxWatch
{
    BoxWatch()
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                shown = true;
                box->close();
            }
        });
        timer.start();
    }
    QTimer timer;
    bool shown = false;
};

// A message from a worker thread never builds widgets there: it goes to stderr even in a widget application.
TEST_F(ParvexLibTest, MessagesOffTheGuiThreadGoToStandardError)
{
    TempDir dir;
    BoxWatch watch;
    StderrCapture capture(dir.file(QStringLiteral("stderr.txt")));
    std::thread([] { api().ShowInformationMessage("a <b> & c", "From a worker"); }).join();
    EXPECT_EQ(capture.take(), U("From a worker: a <b> & c\n"));
    EXPECT_FALSE(watch.shown);
}

// A copy of the library in a folder without libparvexlib_widgets.so: a broken installation must cost the
// boxes and the pane scrolling, not the program.
TEST_F(ParvexLibTest, WithoutItsWidgetSideTheLibraryFallsBackToStandardError)
{
    TempDir dir;
    const QString copy = dir.file(QStringLiteral("libparvexlib.so"));
    ASSERT_TRUE(QFile::copy(TestLibraryFile(), copy));
    ParvexLib alone;
    QString problem;
    ASSERT_TRUE(alone.Load(copy, &problem)) << qPrintable(problem);

    Pane left(300);
    Pane right(300);
    left.view.verticalScrollBar()->setValue(50);
    const int scrolls = right.scrolls;
    BoxWatch watch;
    StderrCapture capture(dir.file(QStringLiteral("stderr.txt")));
    alone.ShowInformationMessage(U("\"C\" is not a valid path."), U("Invalid Path"));
    alone.Api().SetTopItem(&right.view, 120);
    alone.Api().SyncListViewScrolling(&left.view, &right.view, 0x115, 0, 0);
    alone.ShowSelectedNotice();
    const QString errors = capture.take();

    EXPECT_FALSE(watch.shown);
    EXPECT_TRUE(errors.contains(U("Invalid Path: \"C\" is not a valid path.\n"))) << qPrintable(errors);
    EXPECT_TRUE(errors.endsWith(U("Show Only Selected Objects: Rerun the comparison or select a View type to undo "
                                  "this action.\n"))) << qPrintable(errors);
    // The missing companion is reported once and not looked for again on every call.
    EXPECT_EQ(errors.count(U("libparvexlib_widgets.so")), 1) << qPrintable(errors);
    EXPECT_EQ(right.top(), 0);
    EXPECT_EQ(right.scrolls, scrolls);
}

} // namespace
