#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The file version of a Windows program or library (a PE file), read from its VS_FIXEDFILEINFO: major,
// minor, build, revision. Files of any other kind have none.
//
// The file is parsed here, not handed to a library: DOS header, PE header, section table, resource
// directory, the RT_VERSION entry (its first name and first language, as the system's own lookup takes
// them), VS_VERSION_INFO and its fixed part. Files come from anywhere, so every offset is checked against
// the file's size before it is read, reads are small (a few hundred bytes at a time, at most one table
// of bounded length), and the walk has a fixed depth: a truncated or hostile file answers "no version",
// never a crash, a hang or a large allocation.
using FileVersion = std::array<uint16_t, 4>;

// The version of the file at path; none when it is not a regular file, cannot be read, or carries no
// version resource. FIFOs and devices are never opened.
std::optional<FileVersion> ReadPeFileVersion(const QString& path);

// The same for a file's bytes held in memory.
std::optional<FileVersion> ParsePeFileVersion(const QByteArray& bytes);

// "1.2.3.4".
QString FileVersionText(const FileVersion& version);

// Negative when a is older than b, positive when newer, 0 when equal; the first unequal part decides.
int CompareFileVersions(const FileVersion& a, const FileVersion& b);
