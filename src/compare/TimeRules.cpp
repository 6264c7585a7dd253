#include "compare/TimeRules.h"

#include "base/UserDialogs.h"
#include "compare/CCompare.h"
#include "platform/ParvexLib.h"
#include "platform/Volume.h"

#include <atomic>
#include <cmath>
#include <ctime>

namespace {

constexpr qint64 TicksPerDay = Q_INT64_C(864000000000);
// From 1 January 1601 to 30 December 1899, the day OLE Automation dates count from.
constexpr qint64 TicksTo1899 = Q_INT64_C(109205) * TicksPerDay;

// a - b as a double without overflowing on the way there (the helper library's own steps).
double Difference(qint64 a, qint64 b)
{
    qint64 d = 0;
    if (__builtin_sub_overflow(a, b, &d))
        return static_cast<double>(a) - static_cast<double>(b);
    return static_cast<double>(d);
}

// The local UTC offset in force now, in seconds. Asking the C library takes its time-zone lock, and this
// is asked twice per compared file pair, so the answer is kept for the second it was asked in.
qint64 CurrentUtcOffsetSeconds()
{
    static std::atomic<qint64> cachedAt{-1};
    static std::atomic<qint64> cachedOffset{0};
    const std::time_t now = std::time(nullptr);
    if (cachedAt.load(std::memory_order_acquire) == now)
        return cachedOffset.load(std::memory_order_relaxed);
    std::tm local{};
    qint64 offset = 0;
    if (localtime_r(&now, &local) != nullptr)
        offset = local.tm_gmtoff;
    cachedOffset.store(offset, std::memory_order_relaxed);
    cachedAt.store(now, std::memory_order_release);
    return offset;
}

} // namespace

qint64 UtcToLocalTicks(qint64 utcTicks) { return utcTicks + CurrentUtcOffsetSeconds() * TicksPerSecond; }

qint64 FileTimeDiffSeconds(qint64 localTicks1, qint64 localTicks2)
{
    const double seconds = Difference(localTicks1, localTicks2) / 10000000.0;
    // The default rounding mode sends halves to the even neighbour.
    return static_cast<qint64>(std::nearbyint(seconds));
}

qint64 FAT_NTFS_TimeDiffAllowance(qint64 d, bool ignoreTwoSecDiff, bool ignoreDaylightSavings)
{
    // Unsigned, so that the most negative difference has an absolute value too.
    const quint64 a = d < 0 ? quint64(0) - static_cast<quint64>(d) : static_cast<quint64>(d);
    if (ignoreTwoSecDiff && ignoreDaylightSavings) {
        if (a == 1 || a == 2 || (a >= 3598 && a <= 3602))
            return 0;
    } else if (ignoreTwoSecDiff) {
        if (a == 1 || a == 2)
            return 0;
    } else if (ignoreDaylightSavings) {
        if (a == 3600)
            return 0;
    }
    return d;
}

qint64 FAT_NTFS_TimeDiffAllowance(qint64 d, const CCompare& compare)
{
    return FAT_NTFS_TimeDiffAllowance(d, compare.IgnoreFAT_NTFS_TwoSecDiff(), compare.IgnoreFAT_NTFS_DaylightSavings());
}

double LocalFileTimeToVBTime(qint64 localTicks)
{
    return Difference(localTicks, TicksTo1899) / static_cast<double>(TicksPerDay);
}

double FileTimeToVBTime(qint64 utcTicks) { return LocalFileTimeToVBTime(UtcToLocalTicks(utcTicks)); }

QString PlatformFileSystemName(const QString& path) { return Volume::FileSystemName(path); }

QString FatNtfsReminderText()
{
    return QStringLiteral("Parvex has detected that you are comparing files between FAT and NTFS drives.\r\n\r\n"
                          "These File Systems handle timestamps differently.\r\n"
                          "Parvex provides options to deal with these differences.\r\n\r\n"
                          "See the Help file section 'FAT vs NTFS file time' for details.\r\n\r\n"
                          "This reminder can be turned off from the Compare tab on the Options window.");
}

bool RemindAboutFatNtfs(CCompare& compare, const ParvexLib& lib, UserDialogs& dialogs, const QString& leftPath, const QString& rightPath,
                        const FileSystemNameQuery& fileSystemName)
{
    if (!compare.RemindAboutFATNTFSIssue() || compare.AlreadyNotifiedAboutFATNTFS())
        return false;
    const QString left = fileSystemName(leftPath);
    const QString right = fileSystemName(rightPath);
    const QString fat = QStringLiteral("FAT");
    const QString ntfs = QStringLiteral("NTFS");
    const bool mixed = (left == fat && right == ntfs) || (left == ntfs && right == fat);
    if (!mixed || (compare.IgnoreFAT_NTFS_TwoSecDiff() && compare.IgnoreFAT_NTFS_DaylightSavings()))
        return false;
    const QString title = QStringLiteral("File System Message");
    if (lib.IsLoaded())
        lib.ShowInformationMessage(FatNtfsReminderText(), title);
    else
        dialogs.Message(FatNtfsReminderText(), title, UserDialogs::Icon::Information);
    compare.SetAlreadyNotifiedAboutFATNTFS(true);
    return true;
}
