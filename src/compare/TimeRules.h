#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class CCompare;
class ParvexLib;
class UserDialogs;

// Time stamps are 100-ns ticks since 1 January 1601 UTC. "Local" stamps have the local UTC offset added.
// The helper library offers the same arithmetic (CalcDateDiffLocalFT, CalcLocalFileTimeToVBTime); it is
// computed here in-process with the very same floating-point steps, because it runs once per file pair
// and may run on worker threads.

// Ticks of 1 January 1970 00:00 UTC.
constexpr qint64 UnixEpochTicks = Q_INT64_C(116444736000000000);
constexpr qint64 TicksPerSecond = Q_INT64_C(10000000);

// A UTC stamp in local time, with the UTC offset in force now (as the platform's conversion of file times
// does): two stamps keep their distance, so differences do not depend on daylight-saving changes between
// them.
qint64 UtcToLocalTicks(qint64 utcTicks);

// Whole seconds from local stamp 2 to local stamp 1 (positive when stamp 1 is later), rounded to the
// nearest whole number with ties to the even neighbour (0.5 -> 0, 1.5 -> 2, -0.5 -> 0).
qint64 FileTimeDiffSeconds(qint64 localTicks1, qint64 localTicks2);

// d, or 0 when the FAT/NTFS options forgive it: the two-second option forgives |d| of 1 and 2, the
// daylight option |d| of 3600; both together forgive 1, 2 and 3598 to 3602.
qint64 FAT_NTFS_TimeDiffAllowance(qint64 d, bool ignoreTwoSecDiff, bool ignoreDaylightSavings);
qint64 FAT_NTFS_TimeDiffAllowance(qint64 d, const CCompare& compare);

// OLE Automation date (days since 30 December 1899) of a local stamp, without any time-zone adjustment.
double LocalFileTimeToVBTime(qint64 localTicks);
// OLE Automation date of a UTC stamp after converting it to local time.
double FileTimeToVBTime(qint64 utcTicks);

// Answers the file-system name of the volume holding a path ("FAT" for vfat, msdos and exfat; "NTFS" for
// ntfs, ntfs3 and ntfs-3g; otherwise the kernel's type); "" when it cannot be had. Replaceable in tests.
using FileSystemNameQuery = std::function<QString(const QString& path)>;
// The platform's answer (Volume::FileSystemName).
QString PlatformFileSystemName(const QString& path);

// The FAT/NTFS reminder at the end of a comparison that was not cancelled: once per program start, when
// reminders are on, one side lies on FAT and the other on NTFS, and an allowance option is off. Shown
// through the helper library's ShowInformationMessage with the title "File System Message". Answers
// whether it was shown.
bool RemindAboutFatNtfs(CCompare& compare, const ParvexLib& lib, UserDialogs& dialogs, const QString& leftPath, const QString& rightPath,
                        const FileSystemNameQuery& fileSystemName = PlatformFileSystemName);
// The reminder's text.
QString FatNtfsReminderText();
