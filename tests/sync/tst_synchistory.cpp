#include "../app/MainWindowFixture.h"
#include "Unprivileged.h"

#include "base/ErrorHandler.h"
#include "compare/RowFormat.h"
#include "sync/SyncHistory.h"
#include "sync/frmSyncLog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace SyncHistory;

const QDateTime FirstSync(QDate(2024, 3, 9), QTime(14, 30, 15), Qt::LocalTime);

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& file, const QByteArray& data)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray TestRecord(int i)
{
    return Encode(OleDateFromDateTime(FirstSync.addSecs(60 * i)), QStringLiteral("/left/%1").arg(i),
                  QStringLiteral("/right/%1").arg(i), CompletedText());
}

// A history of records numbered first .. last, oldest first.
QByteArray TestRecords(int first, int last)
{
    QByteArray data;
    for (int i = first; i <= last; ++i)
        data += TestRecord(i);
    return data;
}

// The shown left folders of the file's records, in file order.
QStringList Lefts(const QString& appFolder)
{
    QStringList lefts;
    for (const Record& r : ReadAll(appFolder))
        lefts << DisplayText(r.left);
    return lefts;
}

QStringList LeftsNumbered(int first, int last)
{
    QStringList lefts;
    for (int i = first; i <= last; ++i)
        lefts << QStringLiteral("/left/%1").arg(i);
    return lefts;
}

class SyncHistoryTest : public ::testing::Test
{
protected:
    QString File() const { return FilePath(app.path()); }
    bool Append(int i, qint64 maxEntries)
    {
        return AppendSyncRecord(app.path(), FirstSync.addSecs(60 * i), QStringLiteral("/left/%1").arg(i),
                                QStringLiteral("/right/%1").arg(i), CompletedText(), maxEntries, errors);
    }

    TempDir app;
    FakeUserDialogs dialogs;
    ErrorHandler errors{dialogs};
};

} // namespace

// ---- The record and its fields ----

TEST_F(SyncHistoryTest, ARecordIs773BytesWithTheTimeAndThreeBlankPaddedFields)
{
    EXPECT_FALSE(QFile::exists(File()));
    ASSERT_TRUE(AppendSyncRecord(app.path(), FirstSync, QStringLiteral("/home/ann/Documents"),
                                 QStringLiteral("/media/usb/Documents"), CompletedText(), 20, errors));
    ASSERT_TRUE(AppendSyncRecord(app.path(), FirstSync.addSecs(3600), QStringLiteral("/a"), QStringLiteral("/b"),
                                 CancelledText(), 20, errors));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    const QByteArray data = Bytes(File());
    ASSERT_EQ(data.size(), 2 * 773);
    // 9 March 2024 is day 45360 after 30 December 1899; 14:30:15 is that fraction of the day.
    const double expected = 45360.0 + (14 * 3600 + 30 * 60 + 15) / 86400.0;
    quint64 bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(data[i]);
    double when = 0;
    std::memcpy(&when, &bits, sizeof when);
    EXPECT_NEAR(when, expected, 1e-9);

    EXPECT_EQ(data.mid(8, 255), QByteArray("/home/ann/Documents").leftJustified(255, ' '));
    EXPECT_EQ(data.mid(263, 255), QByteArray("/media/usb/Documents").leftJustified(255, ' '));
    EXPECT_EQ(data.mid(518, 255), QByteArray("Completed Successfully").leftJustified(255, ' '));
    EXPECT_EQ(data.mid(773 + 518, 255), QByteArray("Cancelled").leftJustified(255, ' '));

    const QList<Record> records = ReadAll(app.path());
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(DateTimeFromOleDate(records[0].when), FirstSync);
    EXPECT_EQ(DateTimeFromOleDate(records[1].when), FirstSync.addSecs(3600));
    EXPECT_EQ(DisplayText(records[1].outcome), QStringLiteral("Cancelled"));
}

TEST(SyncHistoryFields, LongTextsAreCutAt255BytesWithoutSplittingACharacter)
{
    const QString e = QString::fromUtf8("\xC3\xA9");         // é, 2 bytes
    const QString euro = QString::fromUtf8("\xE2\x82\xAC");  // €, 3 bytes
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // 𝄞, 4 bytes
    const struct
    {
        const char* name;
        QString text;
        QByteArray kept; // the bytes before the blank padding
    } cases[] = {
        {"ascii-300-cut-to-255", QString(300, QLatin1Char('a')), QByteArray(255, 'a')},
        {"two-byte-char-fits-exactly", QString(253, QLatin1Char('a')) + e, QByteArray(253, 'a') + e.toUtf8()},
        {"two-byte-char-over-the-cut", QString(254, QLatin1Char('a')) + e + QStringLiteral("zz"), QByteArray(254, 'a')},
        {"three-byte-char-over-the-cut", QString(253, QLatin1Char('a')) + euro, QByteArray(253, 'a')},
        {"four-byte-char-over-the-cut", QString(252, QLatin1Char('a')) + clef, QByteArray(252, 'a')},
        {"all-multibyte", QString(100, euro[0]), QString(85, euro[0]).toUtf8()},
        {"empty", QString(), QByteArray()},
    };
    for (const auto& c : cases) {
        const QByteArray field = FieldBytesOf(c.text);
        EXPECT_EQ(field.size(), 255) << c.name;
        EXPECT_EQ(field, c.kept.leftJustified(255, ' ')) << c.name;
        // Whatever was cut, the field is whole UTF-8 again.
        EXPECT_EQ(QString::fromUtf8(field).toUtf8(), field) << c.name;
    }

    // A stored long path reads back as its first 255 bytes.
    TempDir app;
    FakeUserDialogs dialogs;
    ErrorHandler errors(dialogs);
    const QString longPath = QStringLiteral("/") + QString(299, QLatin1Char('p'));
    ASSERT_TRUE(AppendSyncRecord(app.path(), FirstSync, longPath, longPath, CompletedText(), 20, errors));
    EXPECT_EQ(QFileInfo(FilePath(app.path())).size(), 773);
    EXPECT_EQ(DisplayText(ReadAll(app.path()).value(0).left), longPath.left(255));
}

TEST(SyncHistoryFields, FieldsAreShownUpToTheirFirstRunOfThreeBlanks)
{
    const struct
    {
        const char* name;
        const char* field;
        const char* shown;
    } cases[] = {
        {"padding-removed", "/data/a   ", "/data/a"},
        {"two-blanks-stay", "/my  files   ", "/my  files"},
        {"first-run-cuts", "/a   b   ", "/a"},
        {"no-run-whole", "/full", "/full"},
        {"run-at-start-whole", "   x", "   x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayText(QString::fromUtf8(c.field)), QString::fromUtf8(c.shown)) << c.name;
}

TEST(SyncHistoryDates, OleDatesRoundTripAndNonsenseIsNoDate)
{
    EXPECT_EQ(OleDateFromDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::LocalTime)), 0.0);
    EXPECT_EQ(OleDateFromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::LocalTime)), -1.25);
    EXPECT_EQ(DateTimeFromOleDate(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::LocalTime));
    EXPECT_EQ(DateTimeFromOleDate(2.5), QDateTime(QDate(1900, 1, 1), QTime(12, 0), Qt::LocalTime));
    // A time a hair before midnight rounds to the next day, not to an invalid 24:00.
    EXPECT_EQ(DateTimeFromOleDate(45360.0 - 1e-10), QDateTime(QDate(2024, 3, 9), QTime(0, 0), Qt::LocalTime));
    const QDateTime withMs(QDate(2031, 7, 1), QTime(23, 59, 59, 250), Qt::LocalTime);
    EXPECT_EQ(DateTimeFromOleDate(OleDateFromDateTime(withMs)), withMs);
    for (const double nonsense : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e7})
        EXPECT_FALSE(DateTimeFromOleDate(nonsense).isValid()) << nonsense;
}

TEST(SyncHistoryEntries, OnlyWholeNumbersFrom1To32000AreAccepted)
{
    const struct
    {
        const char* text;
        std::optional<qint32> value;
    } cases[] = {
        {"20", 20}, {"1", 1}, {"32000", 32000}, {" 20 ", 20}, {"32000.4", 32000}, {"0.6", 1}, {"1.5", 2},
        {"0", std::nullopt}, {"32001", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt},
        {"-5", std::nullopt}, {"0.5", std::nullopt}, {"32000.5", 32000}, {"32000.6", std::nullopt}, {"inf", std::nullopt},
        {"nan", std::nullopt}, {"12abc", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumEntriesFromText(QString::fromUtf8(c.text)), c.value) << c.text;
}

// ---- Appending ----

TEST_F(SyncHistoryTest, TheFirstAppendCreatesTheFile)
{
    EXPECT_EQ(RecordCount(app.path()), 0);
    EXPECT_TRUE(ReadAll(app.path()).isEmpty());
    ASSERT_TRUE(Append(1, 20));
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(1, 1));
    EXPECT_EQ(Entries(app.path()), QStringList{FileName()});
}

TEST_F(SyncHistoryTest, AtTheMaximumTheOldestRecordMakesRoom)
{
    for (int i = 1; i <= 20; ++i)
        ASSERT_TRUE(Append(i, 20));
    EXPECT_EQ(QFileInfo(File()).size(), 15460);
    ASSERT_TRUE(Append(21, 20));
    EXPECT_EQ(QFileInfo(File()).size(), 15460);
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(2, 21));
    ASSERT_TRUE(Append(22, 20));
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(3, 22));
    EXPECT_EQ(Entries(app.path()), QStringList{FileName()}) << "no temporary file is left behind";
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SyncHistoryTest, AFileAboveTheMaximumKeepsGrowingUntilTheNextTrim)
{
    WriteBytes(File(), TestRecords(1, 25));
    ASSERT_TRUE(Append(26, 20));
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(1, 26));
}

TEST_F(SyncHistoryTest, AnAppendThatFailsLeavesTheFileAsItWas)
{
    // A full disk: a tmpfs of one page holds five records and the start of a sixth, but not all of it.
    const QString small = app.createFolder(QStringLiteral("small"));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=4k") != 0)
        GTEST_SKIP() << "a small tmpfs cannot be mounted here: " << std::strerror(errno);
    struct Unmount
    {
        QString path;
        ~Unmount() { ::umount2(QFile::encodeName(path).constData(), MNT_DETACH); }
    } unmount{small};

    const QString file = FilePath(small);
    const QByteArray five = TestRecords(1, 5);
    WriteBytes(file, five);
    // Below the maximum: the half-written sixth record is cut off again.
    EXPECT_FALSE(AppendSyncRecord(small, FirstSync, QStringLiteral("/l"), QStringLiteral("/r"), CompletedText(), 20, errors));
    EXPECT_EQ(Bytes(file), five);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: frmMain.AutoSync()"))) << qPrintable(dialogs.last().text);
    // At the maximum: the new content cannot be written, the old file stays and no temporary file is left.
    EXPECT_FALSE(AppendSyncRecord(small, FirstSync, QStringLiteral("/l"), QStringLiteral("/r"), CompletedText(), 5, errors));
    EXPECT_EQ(Bytes(file), five);
    EXPECT_EQ(Entries(small), QStringList{FileName()});
}

// ---- Files torn by a crash ----

TEST_F(SyncHistoryTest, ATornFileIsReadUpToItsLastWholeRecordAndRepairedByTheNextWrite)
{
    const QByteArray three = TestRecords(1, 3);
    // 100 bytes of a fourth record: the count rounds down to 3.
    WriteBytes(File(), three + TestRecord(4).left(100));
    EXPECT_EQ(RecordCount(app.path()), 3);
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(1, 3));
    ASSERT_TRUE(Append(5, 20));
    EXPECT_EQ(Bytes(File()), three + TestRecord(5));

    // 500 bytes of a fourth record: the count rounds up to 4, but the piece is never read as a record.
    WriteBytes(File(), three + TestRecord(4).left(500));
    EXPECT_EQ(RecordCount(app.path()), 4);
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(1, 3));
    // At the maximum of 4 the oldest goes and the piece with it.
    ASSERT_TRUE(Append(5, 4));
    EXPECT_EQ(Bytes(File()), TestRecords(2, 3) + TestRecord(5));

    // A trim keeps whole records only.
    WriteBytes(File(), three + TestRecord(4).left(500));
    qint32 maximum = 20;
    ASSERT_TRUE(AdjustNumLogEntries(app.path(), 2, false, maximum, dialogs, errors));
    EXPECT_EQ(Bytes(File()), TestRecords(2, 3));

    // Less than one record, rounded either way.
    for (const int length : {100, 500}) {
        WriteBytes(File(), TestRecord(1).left(length));
        EXPECT_TRUE(ReadAll(app.path()).isEmpty()) << length;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// ---- Changing the maximum ----

TEST_F(SyncHistoryTest, LoweringTheMaximumAsksAndKeepsTheNewest)
{
    WriteBytes(File(), TestRecords(1, 12));
    qint32 maximum = 20;

    EXPECT_FALSE(AdjustNumLogEntries(app.path(), 5, true, maximum, dialogs, errors)) << "the fake answers No";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("You are about to permanently remove some entries from the "
                                                  "Synchronization Log.\r\n\r\nDo you wish to continue?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Please confirm"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Question);
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_EQ(maximum, 20);
    EXPECT_EQ(Lefts(app.path()), LeftsNumbered(1, 12));

    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_TRUE(AdjustNumLogEntries(app.path(), 5, true, maximum, dialogs, errors));
    EXPECT_EQ(maximum, 5);
    EXPECT_EQ(Bytes(File()), TestRecords(8, 12));
    EXPECT_EQ(Entries(app.path()), QStringList{FileName()}) << "no temporary file is left behind";
}

TEST_F(SyncHistoryTest, RaisingTheMaximumOrTrimmingWithoutAskingAsksNothing)
{
    WriteBytes(File(), TestRecords(1, 12));
    qint32 maximum = 5;
    EXPECT_TRUE(AdjustNumLogEntries(app.path(), 12, true, maximum, dialogs, errors));
    EXPECT_EQ(maximum, 12);
    EXPECT_TRUE(AdjustNumLogEntries(app.path(), 100, true, maximum, dialogs, errors));
    EXPECT_EQ(maximum, 100);
    EXPECT_EQ(Bytes(File()), TestRecords(1, 12));
    EXPECT_TRUE(AdjustNumLogEntries(app.path(), 3, false, maximum, dialogs, errors));
    EXPECT_EQ(maximum, 3);
    EXPECT_EQ(Bytes(File()), TestRecords(10, 12));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Without a file there is nothing to trim.
    QFile::remove(File());
    EXPECT_TRUE(AdjustNumLogEntries(app.path(), 1, true, maximum, dialogs, errors));
    EXPECT_EQ(maximum, 1);
    EXPECT_FALSE(QFile::exists(File()));
}

TEST_F(SyncHistoryTest, ATrimInAFolderThatCannotBeWrittenKeepsTheOldFileWhole)
{
    const QByteArray twelve = TestRecords(1, 12);
    WriteBytes(File(), twelve);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(app.path()).constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(app.path()).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(File()).constData(), 0666), 0);

    const int failed = RunWithoutPrivileges([&] {
        qint32 maximum = 20;
        if (AdjustNumLogEntries(app.path(), 5, false, maximum, dialogs, errors))
            return 1;
        if (maximum != 20)
            return 2;
        if (dialogs.messages.size() != 1 || !dialogs.last().text.contains(QStringLiteral("Error: Unable to create temp file"))
            || !dialogs.last().text.contains(QStringLiteral("Source: frmSyncLog.AdjustNumLogEntries")))
            return 3;
        // Appending at the maximum rewrites the file too, and fails the same way.
        if (AppendSyncRecord(app.path(), FirstSync, QStringLiteral("/l"), QStringLiteral("/r"), CompletedText(), 12, errors))
            return 4;
        // Below the maximum the record goes onto the end of the file, which is still writable.
        if (!AppendSyncRecord(app.path(), FirstSync, QStringLiteral("/l"), QStringLiteral("/r"), CompletedText(), 20, errors))
            return 5;
        return 0;
    });
    ::chmod(QFile::encodeName(app.path()).constData(), 0755);
    EXPECT_EQ(failed, 0);
    const QByteArray after = Bytes(File());
    EXPECT_EQ(after.left(twelve.size()), twelve);
    EXPECT_EQ(after.size(), twelve.size() + 773);
    EXPECT_EQ(Entries(app.path()), QStringList{FileName()});
}

// ---- The window ----

namespace {

class SyncLogWindowTest : public MainWindowTest
{
protected:
    QString File() const { return FilePath(appFolder.path()); }

    static QStringList Row(const QTreeWidget* list, int row)
    {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c)
            texts << list->topLevelItem(row)->text(c);
        return texts;
    }

    // Opens the window from the View menu and runs inspect on it while it is shown.
    void OpenFromMenu(const std::function<void(frmSyncLog*)>& inspect)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* log = qobject_cast<frmSyncLog*>(QApplication::activeModalWidget());
            ASSERT_NE(log, nullptr);
            shown = true;
            inspect(log);
            log->reject();
        });
        Item("mnuViewSyncHistory")->trigger();
        EXPECT_TRUE(shown);
    }

    const QString invalidTitle = QStringLiteral("Invalid Number of Entries");
};

QString InvalidText(const char* text)
{
    return QStringLiteral("\"") + QString::fromUtf8(text)
           + QStringLiteral("\" is not a valid number of entries.\r\nPlease enter a whole number in the range of 1 to 32000.");
}

} // namespace

TEST_F(SyncLogWindowTest, TheViewMenuShowsTheRecordsOldestFirst)
{
    QByteArray data = TestRecords(1, 2);
    data += Encode(OleDateFromDateTime(FirstSync), QStringLiteral("/x"), QStringLiteral("/y"), CancelledText());
    WriteBytes(File(), data);
    const QString firstDate = QLocale().toString(FirstSync.addSecs(60), RowFormatter().DateTimeFormat());

    OpenFromMenu([&](frmSyncLog* log) {
        EXPECT_EQ(log->windowTitle(), QStringLiteral("Synchronization History"));
        auto* list = log->findChild<QTreeWidget*>(QStringLiteral("lvwSyncHistory"));
        ASSERT_NE(list, nullptr);
        const QAbstractItemModel* header = list->header()->model();
        QStringList columns;
        for (int c = 0; c < header->columnCount(); ++c)
            columns << header->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(columns, Strings({"Date", "Folder #1", "Folder #2", "Result"}));
        ASSERT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(Row(list, 0), (QStringList{firstDate, QStringLiteral("/left/1"), QStringLiteral("/right/1"),
                                             QStringLiteral("Completed Successfully")}));
        EXPECT_EQ(Row(list, 2).mid(1), Strings({"/x", "/y", "Cancelled"}));
        EXPECT_EQ(log->findChild<QLabel*>(QStringLiteral("lblNumEntries"))->text(),
                  QStringLiteral("Store this many entries in the Synchronization Log:"));
        EXPECT_EQ(log->findChild<QLineEdit*>(QStringLiteral("txtNumEntries"))->text(), QStringLiteral("20"));
        EXPECT_EQ(log->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    });
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SyncLogWindowTest, WithoutAFileOrWithATornOneTheWindowOpensQuietly)
{
    OpenFromMenu([](frmSyncLog* log) {
        EXPECT_EQ(log->findChild<QTreeWidget*>(QStringLiteral("lvwSyncHistory"))->topLevelItemCount(), 0);
    });
    EXPECT_FALSE(QFile::exists(File())) << "looking creates no file";

    // One whole record with a time that is no date, then most of another.
    QByteArray junk = TestRecord(1);
    std::memset(junk.data(), 0xFF, 8);
    WriteBytes(File(), junk + TestRecord(2).left(700));
    OpenFromMenu([](frmSyncLog* log) {
        auto* list = log->findChild<QTreeWidget*>(QStringLiteral("lvwSyncHistory"));
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(0), QString());
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("/left/1"));
    });
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SyncLogWindowTest, OpeningTrimsAnOverlongFileSilently)
{
    WriteBytes(File(), TestRecords(1, 25));
    OpenFromMenu([](frmSyncLog* log) {
        auto* list = log->findChild<QTreeWidget*>(QStringLiteral("lvwSyncHistory"));
        ASSERT_EQ(list->topLevelItemCount(), 20);
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("/left/6"));
    });
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Bytes(File()), TestRecords(6, 25));
}

TEST_F(SyncLogWindowTest, OkRefusesNumbersOutsideTheRangeAndKeepsTheWindowOpen)
{
    frmSyncLog log(*ctx);
    auto* box = log.findChild<QLineEdit*>(QStringLiteral("txtNumEntries"));
    auto* ok = log.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    for (const char* bad : {"0", "32001", "abc"}) {
        dialogs.clear();
        box->setText(QString::fromUtf8(bad));
        ok->click();
        ASSERT_EQ(dialogs.messages.size(), 1) << bad;
        EXPECT_EQ(dialogs.last().text, InvalidText(bad));
        EXPECT_EQ(dialogs.last().title, invalidTitle);
        EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);
        EXPECT_EQ(box->selectedText(), QString::fromUtf8(bad)) << "the text is selected for retyping";
        EXPECT_EQ(log.result(), QDialog::Rejected);
    }
    dialogs.clear();
    box->setText(QStringLiteral("20"));
    ok->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(log.result(), QDialog::Accepted);
    EXPECT_EQ(ctx->MainOptions().NumSyncLogEntries, 20);
}

TEST_F(SyncLogWindowTest, LeavingTheBoxWithAnInvalidNumberTakesTheFocusBack)
{
    frmSyncLog log(*ctx);
    log.show();
    log.activateWindow();
    QApplication::setActiveWindow(&log);
    auto* box = log.findChild<QLineEdit*>(QStringLiteral("txtNumEntries"));
    auto* list = log.findChild<QTreeWidget*>(QStringLiteral("lvwSyncHistory"));
    box->setFocus(Qt::OtherFocusReason);
    box->setText(QStringLiteral("abc"));
    list->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, InvalidText("abc"));
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->selectedText(), QStringLiteral("abc"));

    // A valid number lets the focus go.
    dialogs.clear();
    box->setText(QStringLiteral("7"));
    list->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(list->hasFocus());
    log.reject();
}

TEST_F(SyncLogWindowTest, OkWithASmallerNumberAsksBeforeTrimming)
{
    WriteBytes(File(), TestRecords(1, 12));
    for (const bool yes : {false, true}) {
        dialogs.clear();
        if (yes)
            dialogs.answers.push_back(UserDialogs::Answer::Yes);
        frmSyncLog log(*ctx);
        log.findChild<QLineEdit*>(QStringLiteral("txtNumEntries"))->setText(QStringLiteral("5"));
        log.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Please confirm"));
        EXPECT_EQ(log.result(), QDialog::Accepted) << "the window closes either way";
        if (!yes) {
            EXPECT_EQ(Bytes(File()), TestRecords(1, 12));
            EXPECT_EQ(ctx->MainOptions().NumSyncLogEntries, 20);
        } else {
            EXPECT_EQ(Bytes(File()), TestRecords(8, 12));
            EXPECT_EQ(ctx->MainOptions().NumSyncLogEntries, 5);
        }
    }
}
