#pragma once

#include <QString>

// The INI reader and writer under CIniFile, one key per call (platform/IniDocument.h reads a file once for
// many keys). Section and key names match without regard to case; a value is the text after the first
// "=", without surrounding blanks. Lines that begin with ";" or "#" are comments. The file is UTF-8; lines
// the writer does not touch keep their bytes and line endings. A file that cannot be read, or is not
// UTF-8 text, reads as missing and is never written.
namespace IniProfile {

// The longest value a read answers; longer values are cut.
constexpr int MaxValueChars = 255;

// The value of key in section, cut to maxChars characters (a negative maxChars cuts nothing). When the
// file, the section or the key is missing (or the file cannot be read) the default is answered instead,
// cut the same way.
QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue,
                          const QString& file, int maxChars = MaxValueChars);

// Sets key in section to value: in place when the key exists, otherwise at the end of its section; a
// missing section is added at the end of the file and a missing file is created. The file is replaced
// through a temporary file and a rename, so a failure (full disk, unwritable folder) leaves the old file
// whole. Names or values that would break the line structure (a line break, a "]" in a section name, an
// "=" in a key) are refused. Answers whether the file now holds the value.
bool WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& file);

} // namespace IniProfile
