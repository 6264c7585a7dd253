#pragma once

#include <QString>

class CCompare;

// Applies the comparison settings of the "Options" section of an INI file to compare, with the
// program's defaults for keys that are missing: sub-folders on, method Quick, chunk size 500000, no
// filters, no attribute exclusions, the two-second allowance on, the daylight-saving allowance off,
// the FAT/NTFS reminder on.
void ApplyCompareSettingsFromIni(const QString& iniFile, CCompare& compare);
