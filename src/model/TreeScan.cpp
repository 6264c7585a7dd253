#include "model/TreeScan.h"

#include "base/Failure.h"
#include "base/Path.h"
#include "model/CDir.h"
#include "model/FolderListing.h"
#include "platform/PathOpen.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

// A folder on the path from the walk's start to where it stands now.
struct FolderId
{
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

class TreeWalker
{
public:
    TreeWalker(CDir& dir, const TreeFilters& filters, const std::atomic<bool>* cancel,
               const std::function<void(const QString&)>& showFolder, std::vector<UnreadableFolder>* unreadable,
               TreeTotal* total)
        : m_dir(dir), m_filters(filters), m_cancel(cancel), m_showFolder(showFolder), m_unreadable(unreadable),
          m_total(total)
    {
    }

    void Walk(const QString& path, const QString& prefix)
    {
        struct stat st {};
        if (!StatPath(path, st, true)) {
            Unreadable(prefix, path, errno);
            return;
        }
        if (!S_ISDIR(st.st_mode)) {
            Unreadable(prefix, path, ENOTDIR);
            return;
        }
        m_onPath.push_back({st.st_dev, st.st_ino});
        const FolderListing listing(path);
        WalkFolder(listing, Path::WithSlash(path), prefix, m_total != nullptr);
        m_onPath.pop_back();
    }

private:
    // counted: whether the files below belong to the total, which never takes in a folder reached
    // through a link (the link may lead out of the tree or back into it). Each sub-folder is opened from
    // its parent's descriptor, so depth alone never puts a folder out of reach.
    void WalkFolder(const FolderListing& listing, const QString& path, const QString& prefix, bool counted)
    {
        if (m_showFolder)
            m_showFolder(path);
        if (!listing.IsOpen()) {
            Unreadable(prefix, path, listing.Error());
            return;
        }
        if (!listing.Complete())
            Unreadable(prefix, path, listing.Error());
        for (qsizetype i = 0; i < listing.Count(); ++i) {
            if (Cancelled(m_cancel))
                return;
            FolderListing::Details details;
            int error = 0;
            if (!listing.Stat(i, details, &error)) {
                if (error == ENOENT)
                    continue; // gone since the listing
                throw Failure::FromErrno(error, true);
            }
            const bool isFolder = details.type == FolderListing::Type::Folder;
            // Before any filter: the total is of the whole folder. A link to a file counts as that file.
            if (counted && !isFolder)
                m_total->bytes += details.link ? details.linkedFileSize : details.size;
            const QString key = prefix.isEmpty() ? listing.Name(i)
                                                 : DecodeFileNameAfter(prefix, listing.RawName(i), listing.RawNameLength(i));
            const QStringView name = QStringView(key).mid(prefix.isEmpty() ? 0 : prefix.size() + 1);
            const bool hidden = listing.IsHidden(i);
            if (details.type == FolderListing::Type::Folder) {
                // Folders are never special files here: only the hidden exclusion can drop one.
                if (m_filters.excludeHiddenFolders && hidden) {
                    if (counted && !details.link)
                        m_total->uncounted << path + name.toString();
                    continue;
                }
                const FolderId id{details.device, details.inode};
                if (std::find(m_onPath.begin(), m_onPath.end(), id) != m_onPath.end())
                    continue; // a link back to a folder we are inside: following it would never end
                if (m_filters.withFolders) {
                    CFile folder(key + QLatin1Char('/'), 0, 0);
                    folder.SetIsFolder(true);
                    folder.SetMode(details.mode);
                    m_dir.AddFile(std::move(folder));
                }
                m_onPath.push_back(id);
                const FolderListing sub(listing, i);
                WalkFolder(sub, path + name.toString() + QLatin1Char('/'), key, counted && !details.link);
                m_onPath.pop_back();
                continue;
            }
            const bool special = details.type == FolderListing::Type::Special;
            const bool keep = (m_filters.noFilters || m_filters.include.MatchesAny(name))
                           && !m_filters.exclude.MatchesAny(name) && !(m_filters.excludeSystemFiles && special)
                           && !(m_filters.excludeHiddenFiles && hidden);
            if (!keep)
                continue;
            CFile file(key, details.size, details.modified);
            file.SetIsSpecial(special);
            file.SetIsDanglingLink(details.danglingLink);
            file.SetIsLinkObject(details.linkObject);
            file.SetMode(details.mode);
            m_dir.AddFile(std::move(file));
        }
    }

    void Unreadable(const QString& key, const QString& path, int error)
    {
        if (m_unreadable != nullptr)
            m_unreadable->push_back({key, path, error});
    }

    CDir& m_dir;
    const TreeFilters& m_filters;
    const std::atomic<bool>* m_cancel;
    const std::function<void(const QString&)>& m_showFolder;
    std::vector<UnreadableFolder>* m_unreadable;
    TreeTotal* m_total;
    std::vector<FolderId> m_onPath;
};

} // namespace

QString UnreadableFolder::LogStep() const
{
    return QStringLiteral("Listing the folder");
}

void PopulateDirTree(CDir& dir, const QString& path, const QString& prefix, const TreeFilters& filters,
                     const std::atomic<bool>* cancel, const std::function<void(const QString&)>& showFolder,
                     std::vector<UnreadableFolder>* unreadable, TreeTotal* total)
{
    TreeWalker(dir, filters, cancel, showFolder, unreadable, total).Walk(path, prefix);
}

namespace {

bool HoldsExcludedIn(const FolderListing& listing, const TreeFilters& filters)
{
    if (!listing.IsOpen() || !listing.Complete())
        return true;
    for (qsizetype i = 0; i < listing.Count(); ++i) {
        FolderListing::Details details;
        int error = 0;
        if (!listing.Stat(i, details, &error)) {
            if (error == ENOENT)
                continue;
            return true;
        }
        const QString name = listing.Name(i);
        const bool hidden = listing.IsHidden(i);
        if (details.type == FolderListing::Type::Folder) {
            if (filters.excludeHiddenFolders && hidden)
                return true;
            const FolderListing sub(listing, i);
            if (HoldsExcludedIn(sub, filters))
                return true;
            continue;
        }
        const bool special = details.type == FolderListing::Type::Special;
        const bool keep = (filters.noFilters || filters.include.MatchesAny(name)) && !filters.exclude.MatchesAny(name)
                          && !(filters.excludeSystemFiles && special) && !(filters.excludeHiddenFiles && hidden);
        if (!keep)
            return true;
    }
    return false;
}

} // namespace

bool HoldsExcludedObjects(const QString& path, const TreeFilters& filters)
{
    const FolderListing listing(path);
    return HoldsExcludedIn(listing, filters);
}
