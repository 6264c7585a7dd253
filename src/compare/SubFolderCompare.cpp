#include "compare/SubFolderCompare.h"

#include "base/ErrorHandler.h"
#include "base/ErrorLog.h"
#include "base/Failure.h"
#include "base/ProgressSink.h"
#include "compare/CCompare.h"
#include "compare/CompareProgressView.h"
#include "compare/CompareRun.h"
#include "compare/CompareServices.h"
#include "compare/ContentCompare.h"
#include "compare/FileHashing.h"
#include "compare/NameLists.h"
#include "compare/RowFormat.h"
#include "compare/TimeRules.h"
#include "model/CDir.h"
#include "model/FolderListing.h"
#include "model/PathUtils.h"
#include "platform/ParvexLib.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

QStringList FilePatterns(const QString& text)
{
    QStringList all;
    ParseFilterList(all, text);
    QStringList files;
    for (const QString& p : all) {
        if (!IsFolderPattern(p))
            files << p;
    }
    return files;
}

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
        if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
            Unreadable(prefix, path, errno);
            return;
        }
        if (!S_ISDIR(st.st_mode)) {
            Unreadable(prefix, path, ENOTDIR);
            return;
        }
        m_onPath.push_back({st.st_dev, st.st_ino});
        WalkFolder(AddTrailingBackslash(path), prefix, m_total != nullptr);
        m_onPath.pop_back();
    }

private:
    // counted: whether the files below belong to the total, which never takes in a folder reached
    // through a link (the link may lead out of the tree or back into it).
    void WalkFolder(const QString& path, const QString& prefix, bool counted)
    {
        if (m_showFolder)
            m_showFolder(path);
        const FolderListing listing(path);
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
            if (counted && !isFolder && !details.linkObject)
                m_total->bytes += details.size; // before any filter: the total is of the whole folder
            const QString name = listing.Name(i);
            const bool hidden = listing.IsHidden(i);
            const QString key = prefix.isEmpty() ? name : prefix + QLatin1Char('/') + name;
            if (!listing.NameIsText(i)) {
                Unreadable(key, path + name, EILSEQ);
                continue;
            }
            if (details.type == FolderListing::Type::Folder) {
                // Folders are never special files here: only the hidden exclusion can drop one.
                if (m_filters.excludeHiddenFolders && hidden) {
                    if (counted && !details.link)
                        m_total->uncounted << path + name;
                    continue;
                }
                const FolderId id{details.device, details.inode};
                if (std::find(m_onPath.begin(), m_onPath.end(), id) != m_onPath.end())
                    continue; // a link back to a folder we are inside: following it would never end
                m_onPath.push_back(id);
                WalkFolder(path + name + QLatin1Char('/'), key, counted && !details.link);
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

// The folder's own name, the last part of its path.
QString OwnName(const QString& path)
{
    const QString trimmed = RemoveTrailingBackslash(path);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

// The folder a worker thread is in, for the window thread to show.
class FolderSlot
{
public:
    void Set(const QString& folder)
    {
        QMutexLocker lock(&m_mutex);
        m_folder = folder;
    }
    QString Get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_folder;
    }

private:
    mutable QMutex m_mutex;
    QString m_folder;
};

} // namespace

TreeFilters MakeTreeFilters(const CCompare& compare)
{
    TreeFilters f;
    const QString include = compare.IncludeFilters().isEmpty() ? QStringLiteral("*") : compare.IncludeFilters();
    const QString& exclude = compare.ExcludeFilters();
    f.noFilters = include == QLatin1String("*") && exclude.isEmpty();
    QStringList includeFiles = FilePatterns(include);
    if (includeFiles.isEmpty())
        includeFiles << QStringLiteral("*");
    f.include = FilterSet(includeFiles);
    f.exclude = FilterSet(FilePatterns(exclude));
    f.excludeSystemFiles = compare.ExcludeSystemFiles();
    f.excludeHiddenFiles = compare.ExcludeHiddenFiles();
    f.excludeSystemFolders = compare.ExcludeSystemFolders();
    f.excludeHiddenFolders = compare.ExcludeHiddenFolders();
    return f;
}

void RunSideBySide(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                   const std::function<void()>& tick)
{
    std::mutex mutex;
    std::condition_variable done;
    int finished = 0;
    std::exception_ptr failures[2];
    auto run = [&](const std::function<void()>& work, int side) {
        try {
            work();
        } catch (...) {
            failures[side] = std::current_exception();
        }
        std::lock_guard lock(mutex);
        ++finished;
        done.notify_one();
    };
    std::thread leftThread(run, std::cref(left), 0);
    std::thread rightThread(run, std::cref(right), 1);
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (done.wait_for(lock, std::chrono::milliseconds(20), [&] { return finished == 2; }))
                break;
        }
        pump.Pump();
        if (tick)
            tick();
    }
    leftThread.join();
    rightThread.join();
    if (tick)
        tick();
    for (const std::exception_ptr& f : failures) {
        if (f)
            std::rethrow_exception(f);
    }
}

void PopulateDirTree(CDir& dir, const QString& path, const QString& prefix, const TreeFilters& filters,
                     const std::atomic<bool>* cancel, const std::function<void(const QString&)>& showFolder,
                     std::vector<UnreadableFolder>* unreadable, TreeTotal* total)
{
    TreeWalker(dir, filters, cancel, showFolder, unreadable, total).Walk(path, prefix);
}

namespace {

enum class ObjectKind { File, Special, Link };

ObjectKind KindOf(const CFile& file)
{
    if (file.IsLinkObject())
        return ObjectKind::Link;
    return file.IsSpecial() ? ObjectKind::Special : ObjectKind::File;
}

// The target text of a symbolic link, as readlink gives it; none when it cannot be read.
std::optional<QByteArray> LinkTarget(const QString& path)
{
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target.data(), static_cast<size_t>(target.size()));
        if (n < 0)
            return std::nullopt;
        if (n < target.size()) {
            target.truncate(n);
            return target;
        }
        target.resize(target.size() * 2);
    }
}

} // namespace

std::pair<Category, Category> ClassifyFilePair(CompareEnv& env, const CFile& left, const CFile& right,
                                               const QString& leftBase, const QString& rightBase,
                                               std::optional<bool> contentsDiffer)
{
    const CCompare& compare = env.services.compare;
    // Objects of different kinds are never the same, whatever their sizes and times say: a FIFO is no
    // empty file, a link is neither the file nor the folder it may point to.
    const ObjectKind leftKind = KindOf(left);
    if (leftKind != KindOf(right))
        return {Category::Binary, Category::Binary};
    if (leftKind == ObjectKind::Link) {
        // A link is what it points to: two links are the same when their target texts are.
        const std::optional<QByteArray> l = LinkTarget(leftBase + left.FileName());
        const std::optional<QByteArray> r = LinkTarget(rightBase + right.FileName());
        const bool same = l.has_value() && r.has_value() && *l == *r;
        return same ? std::pair{Category::Same, Category::Same} : std::pair{Category::Binary, Category::Binary};
    }
    const qint64 d = FAT_NTFS_TimeDiffAllowance(
        FileTimeDiffSeconds(UtcToLocalTicks(left.ModifiedDate()), UtcToLocalTicks(right.ModifiedDate())), compare);
    const bool sizesDiffer = left.Size() != right.Size();
    const int32_t method = compare.CompareMethod();
    // Special files and dangling links have no contents to read: they are judged as the quick method does.
    const bool readContents = method != CCompare::Quick && left.CanBeOpened() && right.CanBeOpened();
    if (readContents && !sizesDiffer) {
        const bool differ = contentsDiffer.has_value()
            ? *contentsDiffer
            : env.comparer.AreFileContentsDifferent(leftBase + left.FileName(), rightBase + right.FileName(), method,
                                                    left.Size(), false, &env.view.Progress(), &env.pump);
        if (!differ)
            return {Category::Same, Category::Same};
    }
    if (d < 0)
        return {Category::Older, Category::Newer};
    if (d > 0)
        return {Category::Newer, Category::Older};
    if (!sizesDiffer && !readContents)
        return {Category::Same, Category::Same};
    return {Category::Binary, Category::Binary};
}

namespace {

// Reads the contents of the pairs that a content method will read and that fit in one chunk, on two
// threads, into verdicts (by pair index: 1 differ, 0 same, -1 not read here). Such reads report no
// progress, so the workers need neither the view nor the pump; the window thread lets events run
// meanwhile. Longer files are left to the caller, whose reads show their progress. A cancelled run
// leaves the rest unread.
void ReadSmallPairsAhead(CompareEnv& env, const CDir& leftDir, const CDir& rightDir, const std::vector<NamePair>& pairs,
                         const QString& leftBase, const QString& rightBase, std::vector<signed char>& verdicts)
{
    const CCompare& compare = env.services.compare;
    const int32_t method = compare.CompareMethod();
    if (method == CCompare::Quick)
        return;
    const qint64 chunk = EffectiveChunkSize(compare.ChunkSize());
    std::vector<size_t> todo;
    for (size_t k = 0; k < pairs.size(); ++k) {
        if (pairs[k].left < 0 || pairs[k].right < 0)
            continue;
        const CFile& l = leftDir.Files().At(pairs[k].left);
        const CFile& r = rightDir.Files().At(pairs[k].right);
        if (l.Size() == r.Size() && l.Size() <= chunk && l.CanBeOpened() && r.CanBeOpened())
            todo.push_back(k);
    }
    if (todo.size() < 2)
        return;
    std::atomic<size_t> next{0};
    ContentComparer second(env.services.compare, env.services.crc32, env.services.log);
    const auto work = [&](ContentComparer& comparer) {
        for (size_t i = next.fetch_add(1, std::memory_order_relaxed); i < todo.size();
             i = next.fetch_add(1, std::memory_order_relaxed)) {
            if (compare.CompareCancelled())
                return;
            const NamePair& pair = pairs[todo[i]];
            const CFile& l = leftDir.Files().At(pair.left);
            const CFile& r = rightDir.Files().At(pair.right);
            verdicts[todo[i]] = comparer.AreFileContentsDifferent(leftBase + l.FileName(), rightBase + r.FileName(), method,
                                                                  l.Size(), false) ? 1 : 0;
        }
    };
    RunSideBySide([&] { work(env.comparer); }, [&] { work(second); }, env.pump);
}

} // namespace

bool AreFoldersIdentical(CompareEnv& env, const QString& leftPath, const QString& rightPath,
                         const TreeFilters& filters, SubFolderDiffsList& results, TreeTotal* totals)
{
    try {
        const CCompare& compare = env.services.compare;
        const std::atomic<bool>* cancel = compare.CancelFlag();
        if (Cancelled(cancel))
            return false;
        const QString leftName = OwnName(leftPath);

        // Keys are the paths below each compared folder, so both sides pair on the same relative names
        // whatever the two folders themselves are called.
        CDir leftDir(env.services.errors);
        CDir rightDir(env.services.errors);
        leftDir.SetPath(leftPath);
        rightDir.SetPath(rightPath);
        std::vector<UnreadableFolder> unreadable[2];
        // Each walk sums into its own total; the caller's are set only once both walks are whole.
        TreeTotal sums[2];
        TreeTotal* sum[2] = {totals != nullptr ? &sums[0] : nullptr, totals != nullptr ? &sums[1] : nullptr};
        if (env.parallel) {
            FolderSlot current;
            auto show = [&current](const QString& folder) { current.Set(folder); };
            RunSideBySide(
                [&] { PopulateDirTree(leftDir, leftPath, QString(), filters, cancel, show, &unreadable[0], sum[0]); },
                [&] { PopulateDirTree(rightDir, rightPath, QString(), filters, cancel, show, &unreadable[1], sum[1]); },
                env.pump, [&] { env.view.SetFileName(current.Get()); });
        } else {
            auto show = [&env](const QString& folder) {
                env.view.SetFileName(folder);
                env.pump.Pump();
            };
            PopulateDirTree(leftDir, leftPath, QString(), filters, cancel, show, &unreadable[0], sum[0]);
            if (!Cancelled(cancel))
                PopulateDirTree(rightDir, rightPath, QString(), filters, cancel, show, &unreadable[1], sum[1]);
        }
        if (Cancelled(cancel))
            return false;
        if (totals != nullptr) {
            totals[0] = std::move(sums[0]);
            totals[1] = std::move(sums[1]);
        }
        QStringList unknown; // keys of folders whose contents one side could not read
        for (const auto& side : unreadable) {
            for (const UnreadableFolder& u : side) {
                env.services.log.AppendEntry(u.path, u.error == EILSEQ ? UnreadableNameStep(u.path) : QStringLiteral("Listing the folder"),
                                          Failure::FromErrno(u.error, false));
                unknown << u.key;
            }
        }
        auto isUnknown = [&unknown](const CFile* f) {
            if (f == nullptr)
                return false;
            for (const QString& key : unknown) {
                if (key.isEmpty() || f->FileName().compare(key, Qt::CaseInsensitive) == 0
                    || (f->FileName().startsWith(key, Qt::CaseInsensitive) && f->FileName().at(key.size()) == QLatin1Char('/')))
                    return true;
            }
            return false;
        };

        const std::vector<NamePair> pairs = PairFiles(leftDir, rightDir, cancel);
        if (Cancelled(cancel))
            return false;

        RowFormatter format;
        std::vector<SubFolderDiffEntry> one;
        std::vector<SubFolderDiffEntry> two;
        const QString leftBase = AddTrailingBackslash(leftPath);
        const QString rightBase = AddTrailingBackslash(rightPath);
        auto entry = [&format](const CFile& f, Category category) {
            SubFolderDiffEntry e;
            e.fileName = f.FileName();
            e.size = f.Size();
            e.ticks = f.ModifiedDate();
            e.sizeText = format.SizeText(f.Size());
            e.timeStamp = format.DateText(f.ModifiedDate());
            e.compareResult = static_cast<int16_t>(category);
            return e;
        };
        std::vector<signed char> verdicts(pairs.size(), -1);
        if (env.parallel && unknown.isEmpty())
            ReadSmallPairsAhead(env, leftDir, rightDir, pairs, leftBase, rightBase, verdicts);
        for (size_t k = 0; k < pairs.size(); ++k) {
            const NamePair& pair = pairs[k];
            env.pump.Pump();
            if (Cancelled(cancel))
                return false;
            const CFile* l = pair.left >= 0 ? &leftDir.Files().At(pair.left) : nullptr;
            const CFile* r = pair.right >= 0 ? &rightDir.Files().At(pair.right) : nullptr;
            if (!unknown.isEmpty() && (isUnknown(l) || isUnknown(r)))
                continue;
            if (l != nullptr && r != nullptr) {
                const std::optional<bool> known = verdicts[k] < 0 ? std::nullopt : std::optional<bool>(verdicts[k] != 0);
                const auto [lc, rc] = ClassifyFilePair(env, *l, *r, leftBase, rightBase, known);
                if (Cancelled(cancel))
                    return false;
                if (lc == Category::Same)
                    continue;
                one.push_back(entry(*l, lc));
                two.push_back(entry(*r, rc));
            } else if (l != nullptr) {
                one.push_back(entry(*l, Category::Orphan));
                two.emplace_back();
            } else if (r != nullptr) {
                one.emplace_back();
                two.push_back(entry(*r, Category::Orphan));
            }
        }
        if (one.empty())
            return unknown.isEmpty();
        CSubFolderDiffs diffs;
        diffs.SetStrSubFolderName(leftName);
        diffs.SetTargetSubFolderName(OwnName(rightPath));
        diffs.SetIncomplete(!unknown.isEmpty());
        diffs.Assign(std::move(one), std::move(two));
        results.push_back(std::move(diffs));
        return false;
    } catch (...) {
        env.services.errors.HandleUnexpectedError(QStringLiteral("modParvex.AreFoldersIdentical"));
        return false;
    }
}

void CleanupPreviousSubFolderResults(ErrorHandler& errors, SubFolderDiffsList& diffs)
{
    try {
        SubFolderDiffsList().swap(diffs);
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("frmmain.CleanupPreviousSubFolderResults"));
    }
}

bool CompareAllSubFolders(CompareEnv& env, CompareResults& results)
{
    CCompare& compare = env.services.compare;
    const std::atomic<bool>* cancel = compare.CancelFlag();
    CleanupPreviousSubFolderResults(env.services.errors, results.allSubFolderDiffs);

    QStringList leftNames;
    QStringList rightNames;
    for (const QString& s : results.source.SubDirs())
        leftNames << s;
    for (const QString& s : results.target.SubDirs())
        rightNames << s;
    const std::vector<NamePair> pairs = PairNames(leftNames, rightNames, cancel);
    const TreeFilters filters = MakeTreeFilters(compare);
    RowFormatter format;
    const ParvexLib& lib = env.services.lib;
    ProgressSink& bar = env.view.Progress();
    bar.SetRange(static_cast<qint64>(pairs.size()));

    qint64 i = 0;
    for (const NamePair& pair : pairs) {
        bar.SetValue(++i);
        env.pump.Pump();
        if (Cancelled(cancel))
            return false;
        // Each side's folder is reached, and shown, by its own spelling (Linux names are case-sensitive).
        const bool has[2] = {pair.left >= 0, pair.right >= 0};
        const QString rowText[2] = {has[0] ? leftNames[pair.left] : QString(), has[1] ? rightNames[pair.right] : QString()};
        const QString fullPath[2] = {
            has[0] ? RemoveTrailingBackslash(results.source.Path()) + leftNames[pair.left] : QString(),
            has[1] ? RemoveTrailingBackslash(results.target.Path()) + rightNames[pair.right] : QString()};
        qint64 total[2] = {0, 0};
        Category icon = Category::OrphanFolder;
        try {
            env.view.SetFileName(has[0] ? fullPath[0] : fullPath[1]);
            env.pump.Pump();
            if (has[0] && has[1]) {
                // The total sizes come from the comparison's own walks: a second walk per side for them
                // cost as much again as the comparison. A walk that failed part way leaves them to a
                // walk of their own.
                TreeTotal sums[2];
                sums[0].bytes = sums[1].bytes = -1;
                const bool same = AreFoldersIdentical(env, fullPath[0], fullPath[1], filters, results.allSubFolderDiffs, sums);
                icon = same ? Category::IdenticalFolder : Category::DifferentFolder;
                for (int side = 0; side < 2 && !Cancelled(cancel); ++side) {
                    if (sums[side].bytes < 0) {
                        total[side] = lib.GetFolderSize(fullPath[side]);
                        continue;
                    }
                    total[side] = sums[side].bytes;
                    for (const QString& folder : sums[side].uncounted)
                        total[side] += lib.GetFolderSize(folder);
                }
            } else {
                const int side = has[0] ? 0 : 1;
                total[side] = lib.GetFolderSize(fullPath[side]);
            }
            env.pump.Pump();
        } catch (...) {
            // A failure here leaves the pair's rows as far as they got; the comparison goes on.
        }
        if (Cancelled(cancel))
            return false;
        ResultRow rows[2];
        for (int side = 0; side < 2; ++side) {
            if (!has[side])
                continue;
            rows[side].text = rowText[side];
            rows[side].size = total[side];
            rows[side].sizeText = format.SizeText(total[side]);
            rows[side].icon = icon;
        }
        results.holdSource.push_back(std::move(rows[0]));
        results.holdTarget.push_back(std::move(rows[1]));
    }
    return !Cancelled(cancel);
}
