#include "PeFiles.h"
#include "TestSupport.h"

#include "diff/PeVersion.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <functional>
#include <sys/stat.h>

namespace {

QString Text(const std::optional<FileVersion>& v) { return v ? FileVersionText(*v) : QStringLiteral("none"); }

struct ShapeRow
{
    const char* name;
    std::function<QByteArray()> bytes;
    const char* expected; // "none" for no version
};

} // namespace

TEST(PeVersion, ReadsTheFileVersionOfValidAndDamagedFiles)
{
    const ShapeRow rows[] = {
        {"pe32", [] { return BuildPe(); }, "1.2.3.4"},
        {"pe32-plus", [] { PeShape s; s.pe32Plus = true; s.fileVersion = {10, 0, 19041, 1}; return BuildPe(s); },
         "10.0.19041.1"},
        {"file-version-not-product-version", [] { PeShape s; s.fileVersion = {0, 0, 0, 0}; return BuildPe(s); }, "0.0.0.0"},
        {"largest-parts", [] { PeShape s; s.fileVersion = {65535, 65535, 65535, 65535}; return BuildPe(s); },
         "65535.65535.65535.65535"},
        {"version-after-other-types", [] { PeShape s; s.iconTypeFirst = true; return BuildPe(s); }, "1.2.3.4"},
        {"wrong-signature", [] { PeShape s; s.signature = 0xFEEF04BE; return BuildPe(s); }, "none"},
        {"wrong-key", [] { PeShape s; s.key = "VS_VERSION_INFX"; return BuildPe(s); }, "none"},
        {"version-entry-is-no-directory", [] { PeShape s; s.nameDirectory = NameDir; return BuildPe(s); }, "none"},
        {"directory-pointing-at-itself", [] { PeShape s; s.nameDirectory = 0x80000000u | RootDir; return BuildPe(s); },
         "none"},
        {"entry-count-beyond-the-section", [] { PeShape s; s.rootIdEntries = 0xFFFF; return BuildPe(s); }, "none"},
        {"directory-beyond-the-file", [] { PeShape s; s.nameDirectory = 0x80000000u | 0x7FFFFF00u; return BuildPe(s); },
         "none"},
        {"pe-header-beyond-the-file", [] { QByteArray b = BuildPe(); Put32(b, 0x3C, 0xFFFFFFF0u); return b; }, "none"},
        {"no-mz", [] { QByteArray b = BuildPe(); b[0] = 'X'; return b; }, "none"},
        {"no-pe-signature", [] { QByteArray b = BuildPe(); b[0x81] = 'X'; return b; }, "none"},
        {"unknown-optional-header", [] { QByteArray b = BuildPe(); Put16(b, 0x80 + 24, 0x107); return b; }, "none"},
        {"no-resource-directory", [] { QByteArray b = BuildPe(); Put32(b, 0x80 + 24 + 92, 2); return b; }, "none"},
        {"section-raw-data-beyond-the-file",
         [] { QByteArray b = BuildPe(); Put32(b, 0x80 + 24 + 224 + 20, 0xFFFFF000u); return b; }, "none"},
        {"no-sections", [] { QByteArray b = BuildPe(); Put16(b, 0x80 + 6, 0); return b; }, "none"},
        {"section-count-too-large", [] { QByteArray b = BuildPe(); Put16(b, 0x80 + 6, 0xFFFF); return b; }, "none"},
        {"empty", [] { return QByteArray(); }, "none"},
        {"mz-alone", [] { return QByteArray("MZ"); }, "none"},
        {"text-file", [] { return QByteArray("MZ is how a text can begin, too.\nNothing else here.\n"); }, "none"},
    };
    TempDir dir;
    for (const ShapeRow& row : rows) {
        const QByteArray bytes = row.bytes();
        EXPECT_EQ(Text(ParsePeFileVersion(bytes)), QString::fromLatin1(row.expected)) << row.name;
        const QString file = dir.createFile(QString::fromLatin1(row.name) + QStringLiteral(".dll"), bytes);
        EXPECT_EQ(Text(ReadPeFileVersion(file)), QString::fromLatin1(row.expected)) << row.name << " (file)";
    }
}

// Every prefix of a valid file, on disk and in memory: a file cut short anywhere gives no version (or,
// once the fixed part is whole, the right one), never a wrong one or a crash.
TEST(PeVersion, EveryTruncationIsSafe)
{
    const QByteArray whole = BuildPe();
    const qsizetype needed = SectionFileOffset + VersionBlock + 40 + 16; // up to dwFileVersionLS
    TempDir dir;
    const QString file = dir.file(QStringLiteral("cut.exe"));
    for (qsizetype n = 0; n < whole.size(); ++n) {
        const QByteArray cut = whole.left(n);
        const QString expected = n < needed ? QStringLiteral("none") : QStringLiteral("1.2.3.4");
        EXPECT_EQ(Text(ParsePeFileVersion(cut)), expected) << n;
        if (n % 61 == 0 || n >= needed - 2) {
            dir.createFile(QStringLiteral("cut.exe"), cut);
            EXPECT_EQ(Text(ReadPeFileVersion(file)), expected) << n << " (file)";
        }
    }
}

TEST(PeVersion, GarbageBehindAValidStartGivesNone)
{
    const QByteArray head = BuildPe().left(0x80 + 24 + 224 + 40); // headers and section table only
    for (quint32 seed = 1; seed <= 200; ++seed) {
        QRandomGenerator random(seed);
        QByteArray bytes = head;
        // Random bytes over everything after the DOS header's pointer, or over the resource area.
        const qsizetype from = seed % 2 == 0 ? 0x40 : head.size();
        bytes.resize(SectionFileOffset + VersionBlock + VersionBlockSize);
        for (qsizetype i = from; i < bytes.size(); ++i)
            bytes[i] = char(random.bounded(256));
        const std::optional<FileVersion> v = ParsePeFileVersion(bytes);
        EXPECT_FALSE(v.has_value()) << seed << ": " << qPrintable(Text(v));
    }
}

TEST(PeVersion, OnlyRegularFilesAreRead)
{
    TempDir dir;
    EXPECT_FALSE(ReadPeFileVersion(dir.file(QStringLiteral("missing.dll"))));
    EXPECT_FALSE(ReadPeFileVersion(dir.createFolder(QStringLiteral("folder.dll"))));
    const QString fifo = dir.file(QStringLiteral("pipe.dll"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(ReadPeFileVersion(fifo)); // would block forever if it were opened for reading
}

