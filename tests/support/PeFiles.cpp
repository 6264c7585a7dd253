#include "PeFiles.h"

#include <cstring>

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

// A small PE file: headers, one ".rsrc" section whose resource tree holds one version resource.
QByteArray BuildPe(const PeShape& s)
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

QByteArray PeFileOfVersion(const FileVersion& version)
{
    PeShape shape;
    shape.fileVersion = version;
    return BuildPe(shape);
}
