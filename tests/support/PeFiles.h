#pragma once

#include "diff/PeVersion.h"

#include <QByteArray>
#include <cstdint>

// Small synthetic PE files (Windows programs) with a version resource, for tests of the version check.

void Put16(QByteArray& b, qsizetype at, uint16_t v);
void Put32(QByteArray& b, qsizetype at, uint32_t v);

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

// Offsets inside the resource section, and where it lies.
constexpr int RootDir = 0x00;
constexpr int NameDir = 0x30;
constexpr int LangDir = 0x48;
constexpr int DataEntry = 0x60;
constexpr int VersionBlock = 0x70;
constexpr int VersionBlockSize = 92;
constexpr uint32_t SectionRva = 0x2000;
constexpr int SectionFileOffset = 0x400;

// A small PE file: headers, one ".rsrc" section whose resource tree holds one version resource.
QByteArray BuildPe(const PeShape& shape = {});

// A valid PE file of the given file version.
QByteArray PeFileOfVersion(const FileVersion& version);
