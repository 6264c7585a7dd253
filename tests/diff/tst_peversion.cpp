#include "TestSupport.h"

#include "diff/PeVersion.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace {

void Put16(QByteArray& b, qsizetype at, uint16_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

void Put32(QByteArray& b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// What a synthetic PE file looks like; the defaults make a valid PE32 DLL of version 1.2.3.4.
struct PeShape
{
    bool pe32Plus = false;
    FileVersion fileVersion{1, 2, 3, 4};
    FileVersion productVersion{9, 9, 9, 9};
    bool iconTypeFirst = false;   // an RT_ICON entry and a named type before RT_VERSION
    uint32_t signature = 0xFEEF04BD;
    const char* key = "VS_VERSION_INFO";
    uint32_t nameDirectory = 0;   // where RT_VERSION's entry points, when not 0 (0x80000000 | offset)
    uint16_t rootIdEntries = 0;   // an entry count written over the root's, when not 0
};

// Offsets inside the resource section.
constexpr int RootDir = 0x00;
constexpr int NameDir = 0x30;
constexpr int LangDir = 0x48;
constexpr int DataEntry = 0x60;
constexpr int VersionBlock = 0x70;
constexpr int VersionBlockSize = 92;
constexpr uint32_t SectionRva = 0x2000;
constexpr int SectionFileOffset = 0x400;

// A small PE file: headers, one ".rsrc" section whose resource tree holds one version resource.
QByteArray BuildPe(const PeShape& s = {})
{
    const int optionalSize = s.pe32Plus ? 240 : 224;
    const int peOffset = 0x80;
    const int sectionTable = peOffset + 24 + optionalSize;
    const int rsrcSize = VersionBlock + VersionBlockSize;
    QByteArray b(SectionFileOffset + rsrcSize, '\0');

    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, peOffset);
    b[peOffset] = 'P';
    b[peOffset + 1] = 'E';
    Put16(b, peOffset + 4, s.pe32Plus ? 0x8664 : 0x14c);
    Put16(b, peOffset + 6, 1);
    Put16(b, peOffset + 20, uint16_t(optionalSize));
    const int optional = peOffset + 24;
    Put16(b, optional, s.pe32Plus ? 0x20b : 0x10b);
    const int countAt = optional + (s.pe32Plus ? 108 : 92);
    Put32(b, countAt, 16);
    Put32(b, countAt + 4 + 2 * 8, SectionRva);
    Put32(b, countAt + 4 + 2 * 8 + 4, rsrcSize);

    std::memcpy(b.data() + sectionTable, ".rsrc", 5);
    Put32(b, sectionTable + 8, rsrcSize);
    Put32(b, sectionTable + 12, SectionRva);
    Put32(b, sectionTable + 16, rsrcSize);
    Put32(b, sectionTable + 20, SectionFileOffset);

    const int r = SectionFileOffset;
    // Root: RT_VERSION (16), after an RT_ICON (3) and a named type when asked.
    if (s.iconTypeFirst) {
        Put16(b, r + RootDir + 12, 1);
        Put16(b, r + RootDir + 14, 2);
        Put32(b, r + RootDir + 16, 0x80000000u | 0x28); // a name, pointing at a string
        Put32(b, r + RootDir + 20, 0x80000000u | NameDir);
        Put32(b, r + RootDir + 24, 3);
        Put32(b, r + RootDir + 28, 0x80000000u | NameDir);
        Put32(b, r + RootDir + 32, 16);
        Put32(b, r + RootDir + 36, s.nameDirectory != 0 ? s.nameDirectory : 0x80000000u | NameDir);
    } else {
        Put16(b, r + RootDir + 14, s.rootIdEntries != 0 ? s.rootIdEntries : 1);
        Put32(b, r + RootDir + 16, 16);
        Put32(b, r + RootDir + 20, s.nameDirectory != 0 ? s.nameDirectory : 0x80000000u | NameDir);
    }
    Put16(b, r + NameDir + 14, 1);
    Put32(b, r + NameDir + 16, 1);
    Put32(b, r + NameDir + 20, 0x80000000u | LangDir);
    Put16(b, r + LangDir + 14, 1);
    Put32(b, r + LangDir + 16, 0x409);
    Put32(b, r + LangDir + 20, DataEntry);
    Put32(b, r + DataEntry, SectionRva + VersionBlock);
    Put32(b, r + DataEntry + 4, VersionBlockSize);

    const int v = r + VersionBlock;
    Put16(b, v, VersionBlockSize);
    Put16(b, v + 2, 52);
    for (int i = 0; s.key[i] != 0; ++i)
        Put16(b, v + 6 + 2 * i, uint16_t(s.key[i]));
    const int fixed = v + 40;
    Put32(b, fixed, s.signature);
    Put32(b, fixed + 4, 0x00010000);
    Put32(b, fixed + 8, uint32_t(s.fileVersion[0]) << 16 | s.fileVersion[1]);
    Put32(b, fixed + 12, uint32_t(s.fileVersion[2]) << 16 | s.fileVersion[3]);
    Put32(b, fixed + 16, uint32_t(s.productVersion[0]) << 16 | s.productVersion[1]);
    Put32(b, fixed + 20, uint32_t(s.productVersion[2]) << 16 | s.productVersion[3]);
    return b;
}

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

TEST(PeVersion, VersionsCompareFromTheMajorPartOn)
{
    struct Row
    {
        const char* name;
        FileVersion a;
        FileVersion b;
        int order;
    };
    const Row rows[] = {
        {"equal", {1, 2, 3, 4}, {1, 2, 3, 4}, 0},
        {"major-decides-over-the-rest", {2, 0, 0, 0}, {1, 9, 9, 9}, 1},
        {"minor", {1, 2, 0, 0}, {1, 3, 0, 0}, -1},
        {"build", {1, 2, 4, 0}, {1, 2, 3, 65535}, 1},
        {"revision", {1, 2, 3, 4}, {1, 2, 3, 5}, -1},
        {"parts-are-numbers-not-text", {1, 10, 0, 0}, {1, 9, 0, 0}, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CompareFileVersions(row.a, row.b), row.order) << row.name;
        EXPECT_EQ(CompareFileVersions(row.b, row.a), -row.order) << row.name;
    }
}
