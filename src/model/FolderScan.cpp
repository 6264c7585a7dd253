#include "model/CDir.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"
#include "base/ProgressSink.h"
#include "model/Filters.h"
#include "model/FolderListing.h"

#include <cerrno>
#include <ctime>

namespace {

// Listing this long for this few files means a slow connection (the comparison then suggests a smaller
// chunk size).
constexpr qint64 SlowListingMs = 10000;
constexpr qint64 SlowListingMaxFiles = 750;

qint64 MonotonicMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool Contains(const QString& text, char c) { return text.contains(QLatin1Char(c)); }

} // namespace

ScanResult CDir::PopulateSelfWithFiles(const QString& includeFilters, const QString& excludeFilters,
                                       bool excludeSystemFiles, bool excludeHiddenFiles, bool excludeSystemFolders,
                                       bool excludeHiddenFolders, const ScanContext& scan)
{
    // Folders are never special files here, so excluding "system" folders has nothing to drop.
    (void)excludeSystemFolders;
    ScanResult result;
    const auto now = [&scan] { return scan.clockMs ? scan.clockMs() : MonotonicMs(); };
    try {
        const QString include = includeFilters.isEmpty() ? QStringLiteral("*") : includeFilters;
        const bool folderInclude = Contains(include, '/') || Contains(include, '\\');
        const bool folderExclude = Contains(excludeFilters, '/') || Contains(excludeFilters, '\\');
        const bool noFilters = include == QLatin1String("*") && excludeFilters.isEmpty();
        if (scan.filterStatus != nullptr)
            *scan.filterStatus = FilterStatusText(include, excludeFilters);

        m_files.Clear();
        m_subDirs.Clear();
        QStringList includeList;
        QStringList excludeList;
        ParseFilterList(includeList, include);
        ParseFilterList(excludeList, excludeFilters);
        const FilterSet includeSet(includeList);
        const FilterSet excludeSet(excludeList);

        const qint64 begin = now();
        const FolderListing listing(m_path);
        if (!listing.IsOpen()) {
            result.listError = listing.Error();
            return result;
        }
        // N comes from the one listing pass: entries the directory did not report as folders (a link to
        // a folder counts here although it turns out to be one).
        qint64 fileEntries = 0;
        for (qsizetype i = 0; i < listing.Count(); ++i) {
            if (listing.TypeOf(i) != FolderListing::Type::Folder)
                ++fileEntries;
        }
        result.fileEntries = fileEntries;
        if (fileEntries > 0 && scan.progress != nullptr) {
            scan.progress->SetRange(fileEntries);
            scan.progress->SetValue(0);
        }
        if (noFilters) {
            m_files.Reserve(fileEntries);
        }

        qint64 count = 0;
        for (qsizetype i = 0; i < listing.Count(); ++i) {
            const QString name = listing.Name(i);
            const bool hidden = listing.IsHidden(i);
            FolderListing::Type type = listing.TypeOf(i);
            FolderListing::Details details;
            bool haveDetails = false;
            int error = 0;
            if (type == FolderListing::Type::Link || type == FolderListing::Type::Unknown) {
                if (!listing.Stat(i, details, &error)) {
                    if (error == ENOENT)
                        continue; // gone since the listing
                    throw Failure::FromErrno(error, true);
                }
                type = details.type;
                haveDetails = true;
            }

            if (type == FolderListing::Type::Folder) {
                const bool keep = (noFilters || !folderInclude || includeSet.MatchesAnyFolder(name))
                               && (!folderExclude || !excludeSet.MatchesAnyFolder(name))
                               && !(excludeHiddenFolders && hidden);
                if (keep)
                    m_subDirs.Add(QLatin1Char('/') + name);
                continue;
            }

            ++count;
            if (scan.progress != nullptr)
                scan.progress->SetValue(count);
            if (scan.pump != nullptr)
                scan.pump->Pump();
            if (scan.cancel != nullptr && scan.cancel->load(std::memory_order_relaxed)) {
                result.cancelled = true;
                result.elapsedMs = now() - begin;
                return result;
            }

            const bool special = type == FolderListing::Type::Special;
            const bool keep = (noFilters || includeSet.MatchesAny(name)) && !excludeSet.MatchesAny(name)
                           && !(excludeSystemFiles && special) && !(excludeHiddenFiles && hidden);
            if (!keep)
                continue;
            if (!haveDetails && !listing.Stat(i, details, &error)) {
                if (error == ENOENT)
                    continue;
                throw Failure::FromErrno(error, true);
            }
            CFile file(name, details.size, details.modified);
            file.SetIsSpecial(details.type == FolderListing::Type::Special);
            file.SetIsDanglingLink(details.danglingLink);
            file.SetIsLinkObject(details.linkObject);
            file.SetMode(details.mode);
            m_files.Add(std::move(file));
        }
        if (!listing.Complete())
            throw Failure::FromErrno(listing.Error(), false);

        result.elapsedMs = now() - begin;
        if (result.elapsedMs > SlowListingMs && fileEntries < SlowListingMaxFiles && scan.slowConnectionDetected != nullptr)
            scan.slowConnectionDetected->store(true, std::memory_order_relaxed);
    } catch (...) {
        result.failed = true;
        const Failure failure = CurrentFailure();
        if (scan.failure != nullptr) {
            if (!scan.failure->has_value())
                *scan.failure = failure;
        } else {
            m_errors->Report(failure, QStringLiteral("CDir.PopulateSelfWithFiles"));
        }
    }
    return result;
}
