#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "base/ProgressSink.h"
#include "compare/CCRC32.h"
#include "compare/CCompare.h"
#include "compare/ContentCompare.h"
#include "compare/FileReader.h"
#include "compare/Sha1.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets the cancel flag at the Nth pump.
class CancellingPump final : public EventPump
{
public:
    CancellingPump(std::atomic<bool>& flag, int cancelAt) : m_flag(flag), m_cancelAt(cancelAt) {}
    void Pump() override
    {
        if (++count >= m_cancelAt && m_cancelAt > 0)
            m_flag = true;
    }
    int count = 0;

private:
    std::atomic<bool>& m_flag;
    int m_cancelAt;
};

class CancellingComparePump final : public EventPump
{
public:
    CancellingComparePump(CCompare& compare, int cancelAt) : m_compare(compare), m_cancelAt(cancelAt) {}
    void Pump() override
    {
        if (++count >= m_cancelAt && m_cancelAt > 0)
            m_compare.SetCompareCancelled(true);
    }
    int count = 0;

private:
    CCompare& m_compare;
    int m_cancelAt;
};

class RecordingSink final : public ProgressSink
{
public:
    void SetRange(qint64) override {}
    void SetValue(qint64 value) override { values.push_back(value); }
    void SetText(const QString& text) override { texts.append(text); }
    std::vector<qint64> values;
    QStringList texts;
};

QByteArray RandomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

int OpenDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size()); }

QStringList LogLines(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class ContentCompareTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ctx = std::make_unique<AppContext>(tmp.file(QStringLiteral("app")), dialogs);
        QDir().mkpath(tmp.file(QStringLiteral("app")));
        ctx->Log().StartNew();
        ctx->Compare().SetChunkSize(1000);
        comparer = std::make_unique<ContentComparer>(ctx->Compare(), ctx->Crc32(), ctx->Log());
    }

    // Two files: a and a copy of it with the byte at each position in flips changed.
    std::pair<QString, QString> Files(const QByteArray& a, std::initializer_list<qsizetype> flips = {})
    {
        QByteArray b = a;
        for (qsizetype at : flips)
            b[at] = char(b[at] ^ 0x5A);
        ++m_pairs;
        const QString n = QString::number(m_pairs);
        return {tmp.createFileAt(QStringLiteral("l/") + n, a, 1700000000),
                tmp.createFileAt(QStringLiteral("r/") + n, b, 1700000000)};
    }

    bool Differ(const std::pair<QString, QString>& files, int method, qint64 size, EventPump* pump = nullptr,
                ProgressSink* sink = nullptr, bool twoFile = false)
    {
        return comparer->AreFileContentsDifferent(files.first, files.second, method, size, twoFile, sink, pump);
    }

    TempDir tmp;
    FakeUserDialogs dialogs;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<ContentComparer> comparer;
    int m_pairs = 0;
};

const int Methods[] = {CCompare::ThoroughString, CCompare::ThoroughCRC, CCompare::SHA};

} // namespace

TEST(Crc32, KnownValuesAndTextForms)
{
    const CCRC32 crc;
    EXPECT_EQ(crc.CrcTable()[1], 0x77073096u);
    EXPECT_EQ(crc.CrcTable()[255], 0x2D02EF8Du);
    EXPECT_EQ(crc.GetHexCRC32OfString(QString()), QStringLiteral("00000000"));
    EXPECT_EQ(crc.GetHexCRC32OfString(QStringLiteral("abc")), QStringLiteral("352441C2"));
    EXPECT_EQ(crc.GetHexCRC32OfString(QStringLiteral("123456789")), QStringLiteral("CBF43926"));
    EXPECT_EQ(crc.GetLongCRC32OfString(QStringLiteral("123456789")), int32_t(0xCBF43926u));
    EXPECT_EQ(crc.GetHexCRC32OfString(QStringLiteral("The quick brown fox jumps over the lazy dog")),
              QStringLiteral("414FA339"));
    EXPECT_EQ(CCRC32::HexText(0x1234), QStringLiteral("00001234"));
    EXPECT_EQ(CCRC32::HexText(-1), QStringLiteral("FFFFFFFF"));

    // The component's register operations: preset -1, fold in pieces, complement at the end.
    const QByteArray all("123456789");
    uint32_t reg = crc.GetCrc32FromString(all.constData(), 4, 0xFFFFFFFFu);
    reg = crc.AddStringToCrc32(all.constData() + 4, 5, reg);
    EXPECT_EQ(~reg, 0xCBF43926u);
}

TEST(Sha1, KnownValuesAndTextForm)
{
    EXPECT_TRUE(IsSHA1Available());
    EXPECT_EQ(GetSHA1OfString(QString()), QStringLiteral("DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"));
    EXPECT_EQ(GetSHA1OfString(QStringLiteral("abc")), QStringLiteral("A9993E364706816ABA3E25717850C26C9CD0D89D"));
    EXPECT_EQ(GetSHA1OfString(QStringLiteral("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              QStringLiteral("84983E441C3BD26EBAAE4AA1F95129E5E54670F1"));
}

TEST(FileHashes, AcrossChunkBoundariesEqualTheWholeBytes)
{
    TempDir tmp;
    const CCRC32 crc;
    for (int size : {0, 1, 999, 1000, 1001, 10007}) {
        const QByteArray bytes = RandomBytes(size, quint32(size));
        const QString file = tmp.createFile(QStringLiteral("f") + QString::number(size), bytes);
        RecordingSink bar;
        const FileHashContext context{1000, nullptr, nullptr, &bar};
        EXPECT_EQ(crc.GetLongCRC32OfFile(file, size, context), crc.GetLongCRC32OfBytes(bytes)) << size;
        EXPECT_EQ(crc.GetHexCRC32OfFile(file, size, context).size(), 8);
        EXPECT_EQ(GetSHA1OfFile(file, size, context), GetSHA1OfBytes(bytes)) << size;
        if (size == 10007) {
            ASSERT_FALSE(bar.values.empty());
            EXPECT_EQ(bar.values.front(), 10); // 1000 of 10007
            EXPECT_EQ(bar.values.back(), 100);
        }
    }
}

TEST(FileHashes, CancelledOrFailed)
{
    TempDir tmp;
    const CCRC32 crc;
    const QString file = tmp.createFile(QStringLiteral("f"), RandomBytes(5000, 1));
    for (int at : {1, 2, 3, 6}) {
        std::atomic<bool> cancel{false};
        CancellingPump pump(cancel, at);
        EXPECT_EQ(crc.GetLongCRC32OfFile(file, 5000, FileHashContext{1000, &pump, &cancel, nullptr}), 0) << at;
        EXPECT_EQ(crc.GetHexCRC32OfFile(file, 5000, FileHashContext{1000, nullptr, &cancel, nullptr}),
                  QStringLiteral("00000000"));
        cancel = false;
        CancellingPump shaPump(cancel, at);
        EXPECT_EQ(GetSHA1OfFile(file, 5000, FileHashContext{1000, &shaPump, &cancel, nullptr}), QStringLiteral("0"));
    }
    const int before = OpenDescriptors();
    try {
        crc.GetLongCRC32OfFile(tmp.file(QStringLiteral("missing")), 10, {});
        FAIL() << "a missing file must fail";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), Failure::FileNotFound);
    }
    EXPECT_THROW(GetSHA1OfFile(file, 6000, {}), Failure); // shorter than promised
    // A FIFO is refused before it is opened (the open would wait for a writer for good).
    const QString fifo = tmp.file(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    try {
        GetSHA1OfFile(fifo, 10, {});
        FAIL() << "a FIFO must be refused";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), Failure::BadFileMode);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ContentCompareTest, EqualAndDifferentAtTheEdgesUnderEveryMethod)
{
    struct Case
    {
        const char* name;
        int size;
        std::initializer_list<qsizetype> flips;
        bool differ;
    };
    const Case cases[] = {
        {"identical-several-chunks", 3500, {}, false},
        {"first-byte", 3500, {0}, true},
        {"last-byte", 3500, {3499}, true},
        {"last-byte-of-a-chunk", 3500, {999}, true},
        {"first-byte-of-a-chunk", 3500, {1000}, true},
        {"exactly-one-chunk-identical", 1000, {}, false},
        {"exactly-one-chunk-last-byte", 1000, {999}, true},
        {"whole-chunks-identical", 3000, {}, false},
        {"whole-chunks-last-byte", 3000, {2999}, true},
        {"smaller-than-a-chunk", 10, {}, false},
        {"smaller-than-a-chunk-differs", 10, {9}, true},
        {"one-byte", 1, {0}, true},
    };
    for (int method : Methods) {
        for (const Case& c : cases) {
            const auto files = Files(RandomBytes(c.size, quint32(c.size)), c.flips);
            EXPECT_EQ(Differ(files, method, c.size), c.differ) << c.name << " method " << method;
        }
    }
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());
    EXPECT_TRUE(LogLines(ctx->Log().File()).isEmpty());
}

TEST_F(ContentCompareTest, EmptyFilesReadNothingAndReadingStopsAtTheFirstDifferingChunk)
{
    EXPECT_FALSE(Differ(Files(QByteArray()), CCompare::ThoroughString, 0));
    EXPECT_EQ(comparer->BytesRead(), 0);

    for (int method : Methods) {
        const qint64 before = comparer->BytesRead();
        EXPECT_TRUE(Differ(Files(RandomBytes(10000, 3), {1500}), method, 10000));
        EXPECT_EQ(comparer->BytesRead() - before, 2 * 2000) << method; // chunks 1 and 2 of both files
    }
    // A chunk size that never arrived from the settings still compares (in chunks of 500000).
    ctx->Compare().SetChunkSize(0);
    EXPECT_TRUE(Differ(Files(RandomBytes(600000, 4), {599999}), CCompare::ThoroughString, 600000));
}

TEST_F(ContentCompareTest, ProgressInTheFileLabelOrTheBar)
{
    const auto files = Files(RandomBytes(4000, 5));
    RecordingSink label;
    EXPECT_FALSE(Differ(files, CCompare::ThoroughString, 4000, nullptr, &label, false));
    const QString name = QFileInfo(files.first).fileName();
    EXPECT_EQ(label.texts, (QStringList{name + QStringLiteral(" - 25%"), name + QStringLiteral(" - 50%"),
                                        name + QStringLiteral(" - 75%")}));
    EXPECT_TRUE(label.values.empty());

    RecordingSink bar;
    EXPECT_FALSE(Differ(Files(RandomBytes(4500, 5)), CCompare::ThoroughString, 4500, nullptr, &bar, true));
    EXPECT_EQ(bar.values, (std::vector<qint64>{22, 44, 67, 89, 100}));
    EXPECT_TRUE(bar.texts.isEmpty());
    EXPECT_EQ(ProgressPercent(1, 8), 12); // 12.5 goes to the even neighbour
    EXPECT_EQ(ProgressPercent(3, 8), 38);
}

TEST_F(ContentCompareTest, CancellationAtAnyPollAnswersDifferentAndLogsNothing)
{
    const QByteArray bytes = RandomBytes(2500, 6);
    // Polls for 2500 bytes in chunks of 1000: start, two opens, two buffers, then per chunk: start, two
    // reads (and between the two hashes) and finally the remainder's buffers and reads.
    for (int method : Methods) {
        ctx->Compare().SetCompareCancelled(false);
        CancellingComparePump counter(ctx->Compare(), 0);
        EXPECT_FALSE(Differ(Files(bytes), method, 2500, &counter));
        const int polls = counter.count;
        EXPECT_GE(polls, 5 + 3 * 2 + 3) << method;
        const int fds = OpenDescriptors();
        for (int at = 1; at <= polls; ++at) {
            ctx->Compare().SetCompareCancelled(false);
            CancellingComparePump pump(ctx->Compare(), at);
            EXPECT_TRUE(Differ(Files(bytes), method, 2500, &pump)) << "method " << method << " poll " << at;
            EXPECT_EQ(OpenDescriptors(), fds);
        }
    }
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());
    EXPECT_TRUE(LogLines(ctx->Log().File()).isEmpty());
}

TEST_F(ContentCompareTest, AVanishedFileIsLoggedAtOpeningAndDiffersByTheFallback)
{
    const auto files = Files(RandomBytes(3000, 7));
    ASSERT_TRUE(QFile::remove(files.second));
    EXPECT_TRUE(Differ(files, CCompare::ThoroughCRC, 3000));
    EXPECT_TRUE(ctx->Compare().ErrorsDuringCompare());
    const QStringList lines = LogLines(ctx->Log().File());
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QString());
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_EQ(lines[2], QStringLiteral("Errors encountered during comparison"));
    EXPECT_EQ(lines[3], QStringLiteral("File Name: ") + files.second);
    EXPECT_EQ(lines[4], QStringLiteral("Process: Opening the file"));
    EXPECT_EQ(lines[5], QStringLiteral("Error: File not found (No such file or directory)"));
}

TEST_F(ContentCompareTest, BothFilesGoneNeverCountAsEqual)
{
    const auto files = Files(RandomBytes(10, 8));
    QFile::remove(files.first);
    QFile::remove(files.second);
    EXPECT_TRUE(Differ(files, CCompare::ThoroughString, 10));
    EXPECT_EQ(LogLines(ctx->Log().File())[3], QStringLiteral("File Name: ") + files.first);
}

TEST_F(ContentCompareTest, AFileShorterThanListedFailsWhileReadingAndFallsBackToSizeAndTime)
{
    // Both files are 2500 bytes with the same time; the caller believed 3000.
    const auto files = Files(RandomBytes(2500, 9));
    EXPECT_FALSE(Differ(files, CCompare::ThoroughString, 3000));
    QStringList lines = LogLines(ctx->Log().File());
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[3], QStringLiteral("File Name: ") + files.first);
    EXPECT_EQ(lines[4], QStringLiteral("Process: Reading bytes 2001 to 3000"));
    EXPECT_EQ(lines[5], QStringLiteral("Error: Input past end of file"));

    // The fallback forgives what the options forgive, and no more.
    ctx->Log().StartNew();
    const QByteArray bytes = RandomBytes(100, 10);
    const QString a = tmp.createFileAt(QStringLiteral("t/a"), bytes, 1700000000);
    const QString b = tmp.createFileAt(QStringLiteral("t/b"), bytes, 1700000002);
    EXPECT_TRUE(comparer->AreFileContentsDifferent(a, b, 1, 200, false));
    ctx->Compare().SetIgnoreFAT_NTFS_TwoSecDiff(true);
    EXPECT_FALSE(comparer->AreFileContentsDifferent(a, b, 1, 200, false));
    EXPECT_FALSE(AreFilesDifferentBySizeAndTime(a, b, ctx->Compare()));
    EXPECT_EQ(LogLines(ctx->Log().File()).size(), 12);
}

TEST_F(ContentCompareTest, SpecialFilesAndDanglingLinksAreNeverOpened)
{
    const QString fifo1 = tmp.file(QStringLiteral("fifo1"));
    const QString fifo2 = tmp.file(QStringLiteral("fifo2"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo1).constData(), 0600), 0);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo2).constData(), 0600), 0);
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(fifo1).constData(), times, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(fifo2).constData(), times, 0), 0);
    // Opening a FIFO without a writer would block this test for good. Judged by size and time: equal.
    EXPECT_FALSE(comparer->AreFileContentsDifferent(fifo1, fifo2, CCompare::ThoroughString, 0, false));
    EXPECT_FALSE(comparer->AreFileContentsDifferent(fifo1, fifo2, CCompare::ThoroughCRC, 10, false));
    const QString link1 = tmp.file(QStringLiteral("link1"));
    const QString link2 = tmp.file(QStringLiteral("link2"));
    ASSERT_EQ(symlink("/nonexistent/one", QFile::encodeName(link1).constData()), 0);
    ASSERT_EQ(symlink("/nonexistent/two", QFile::encodeName(link2).constData()), 0);
    comparer->AreFileContentsDifferent(link1, link2, CCompare::SHA, 16, false);
    EXPECT_TRUE(LogLines(ctx->Log().File()).isEmpty());
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());

    // A link to a file is compared as the file it points to.
    const auto files = Files(RandomBytes(1500, 11), {1400});
    const QString link = tmp.file(QStringLiteral("link3"));
    ASSERT_EQ(symlink(QFile::encodeName(files.first).constData(), QFile::encodeName(link).constData()), 0);
    EXPECT_FALSE(comparer->AreFileContentsDifferent(link, files.first, CCompare::ThoroughString, 1500, false));
    EXPECT_TRUE(comparer->AreFileContentsDifferent(link, files.second, CCompare::ThoroughString, 1500, false));

    // A FIFO put in a file's place after it was examined is refused at the open, not waited on.
    try {
        FileReader reader(fifo1, /*knownRegular=*/true);
        ADD_FAILURE() << "a FIFO was opened for reading";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), Failure::BadFileMode);
    }
}

TEST_F(ContentCompareTest, FilesOfTwoGibibytesAndMoreAreComparedByContents)
{
    const qint64 size = (Q_INT64_C(1) << 31) + 1;
    const QString a = tmp.file(QStringLiteral("big1"));
    const QString b = tmp.file(QStringLiteral("big2"));
    for (const QString& f : {a, b}) {
        const int fd = ::open(QFile::encodeName(f).constData(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
    }
    // Only one of them has a byte set near the start; sizes and times are equal, so the size-and-time
    // answer would call them equal.
    const int fd = ::open(QFile::encodeName(b).constData(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "x", 1, 4097), 1);
    ::close(fd);
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(a).constData(), times, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(b).constData(), times, 0), 0);
    ctx->Compare().SetChunkSize(500000);
    for (int method : Methods)
        EXPECT_TRUE(comparer->AreFileContentsDifferent(a, b, method, size, false)) << method;
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());
    EXPECT_TRUE(LogLines(ctx->Log().File()).isEmpty());
}
