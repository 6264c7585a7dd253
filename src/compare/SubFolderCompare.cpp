#include "compare/SubFolderCompare.h"

#include "base/ErrorHandler.h"
#include "base/ErrorLog.h"
#include "base/Failure.h"
#include "base/ProgressSink.h"
#include "base/SideBySide.h"
#include "compare/CCompare.h"
#include "compare/CompareProgressView.h"
#include "compare/CompareResults.h"
#include "compare/CompareServices.h"
#include "compare/NameLists.h"
#include "compare/PairClassify.h"
#include "compare/RowFormat.h"
#include "model/CDir.h"
#include "model/Filters.h"
#include "model/PathUtils.h"
#include "platform/ParvexLib.h"

#include <QMutex>
#include <QMutexLocker>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <memory>
#include <optional>
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
    f.withFolders = true;
    return f;
}

namespace {

// The walks of one pair of sub-trees and what they found. A comparison of all sub-folders walks the pairs
// ahead on threads of their own while the window thread judges the ones before (WalkPipeline).
struct TreeWalks
{
    TreeWalks(ErrorHandler& errors, const QString& leftPath, const QString& rightPath, const TreeFilters& filters,
              const std::atomic<bool>* cancel, bool totals)
        : dirs{CDir(errors), CDir(errors)}, paths{leftPath, rightPath}
    {
        dirs[0].SetPath(leftPath);
        dirs[1].SetPath(rightPath);
        show = [this](const QString& folder) { current.Set(folder); };
        for (int side : {0, 1}) {
            TreeTotal* sum = totals ? &sums[side] : nullptr;
            walk[side] = [this, side, &filters, cancel, sum] {
                PopulateDirTree(dirs[side], paths[side], QString(), filters, cancel, show, &unreadable[side], sum);
            };
        }
    }
    TreeWalks(const TreeWalks&) = delete;
    TreeWalks& operator=(const TreeWalks&) = delete;

    // Keys are the paths below each compared folder, so both sides pair on the same relative names
    // whatever the two folders themselves are called.
    CDir dirs[2];
    const QString paths[2];
    std::vector<UnreadableFolder> unreadable[2];
    // Each walk sums into its own total; the caller's are set only once both walks are whole.
    TreeTotal sums[2];
    FolderSlot current; // the folder a walk is in, for the progress window
    std::function<void(const QString&)> show;
    std::function<void()> walk[2];
    std::exception_ptr failed[2]; // what a walk on a thread of its own threw
};

// The walks of the pairs of sub-trees a comparison of all sub-folders will judge, in its order, each side
// on a thread of its own that runs up to Ahead pairs in front of the pair being judged: neither side
// waits for the other, and neither waits for the window thread while there is a pair to walk.
class WalkPipeline final
{
public:
    static constexpr size_t Ahead = 3;

    // pairs: the numbers of the pairs to walk, ascending; make gives a pair's walks when its turn comes
    // (a folder of many thousand sub-folders would otherwise hold them all at once).
    using Make = std::function<std::unique_ptr<TreeWalks>(size_t pair)>;
    WalkPipeline(std::vector<size_t> pairs, Make make) : m_pairs(std::move(pairs)), m_make(std::move(make))
    {
        m_walks.resize(m_pairs.size());
        if (m_walks.empty())
            return;
        for (int side : {0, 1})
            m_threads[side] = std::thread([this, side] { Serve(side); });
    }
    ~WalkPipeline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            if (thread.joinable())
                thread.join();
    }
    WalkPipeline(const WalkPipeline&) = delete;
    WalkPipeline& operator=(const WalkPipeline&) = delete;

    // The walks of the pair numbered pair, once both sides have ended (events run meanwhile); a failure of
    // either side is in its failed slot. Pairs are asked for in ascending order; one never asked for is
    // passed over. nullptr for a pair this pipeline does not walk (or one asked for again).
    std::unique_ptr<TreeWalks> Next(size_t pair, EventPump& pump, const std::function<void(const TreeWalks&)>& tick)
    {
        size_t k = m_taken;
        while (k < m_pairs.size() && m_pairs[k] < pair)
            ++k;
        if (k == m_pairs.size() || m_pairs[k] != pair)
            return nullptr;
        if (k > m_taken) {
            // Pairs passed over are not walked any more, and the walks may run on past them.
            {
                std::lock_guard lock(m_mutex);
                m_taken = k;
            }
            m_wake.notify_all();
        }
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                if (m_wake.wait_for(lock, std::chrono::milliseconds(20), [&] { return m_done[0] > k && m_done[1] > k; }))
                    break;
            }
            pump.Pump();
            const TreeWalks* walking = nullptr;
            {
                std::lock_guard lock(m_mutex);
                walking = m_walks[k].get();
            }
            if (walking != nullptr)
                tick(*walking);
        }
        std::unique_ptr<TreeWalks> walks;
        {
            std::lock_guard lock(m_mutex);
            walks = std::move(m_walks[k]);
            m_taken = k + 1;
        }
        m_wake.notify_all();
        tick(*walks);
        return walks;
    }

private:
    void Serve(int side)
    {
        for (size_t k = 0; k < m_walks.size(); ++k) {
            TreeWalks* walks = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_ending || k < m_taken + Ahead; });
                if (m_ending)
                    return;
                if (k >= m_taken) { // not passed over
                    if (m_walks[k] == nullptr)
                        m_walks[k] = m_make(m_pairs[k]);
                    walks = m_walks[k].get();
                }
            }
            try {
                if (walks != nullptr)
                    walks->walk[side]();
            } catch (...) {
                walks->failed[side] = std::current_exception();
            }
            {
                std::lock_guard lock(m_mutex);
                m_done[side] = k + 1;
            }
            m_wake.notify_all();
        }
    }

    const std::vector<size_t> m_pairs;
    const Make m_make;
    std::vector<std::unique_ptr<TreeWalks>> m_walks; // made by whichever side comes first, under the mutex
    std::mutex m_mutex;
    std::condition_variable m_wake; // a walk ended, a pair was taken, or the pipeline ends
    size_t m_done[2] = {0, 0};      // walks ended per side, in order
    size_t m_taken = 0;             // pairs handed to the window thread
    bool m_ending = false;
    std::thread m_threads[2];
};

// The rows of a walked pair of sub-trees; see AreFoldersIdentical.
bool JudgeWalks(CompareEnv& env, TreeWalks& walks, SubFolderDiffsList& results, TreeTotal* totals);

} // namespace

bool AreFoldersIdentical(CompareEnv& env, const QString& leftPath, const QString& rightPath,
                         const TreeFilters& filters, SubFolderDiffsList& results, TreeTotal* totals)
{
    try {
        const std::atomic<bool>* cancel = env.services.compare.CancelFlag();
        if (Cancelled(cancel))
            return false;
        TreeWalks walks(env.services.errors, leftPath, rightPath, filters, cancel, totals != nullptr);
        if (env.parallel) {
            const auto tick = [&] { env.view.SetFileName(walks.current.Get()); };
            if (env.readers != nullptr)
                env.readers->Run(walks.walk[0], walks.walk[1], env.pump, tick);
            else
                RunSideBySide(walks.walk[0], walks.walk[1], env.pump, tick);
        } else {
            walks.show = [&env](const QString& folder) {
                env.view.SetFileName(folder);
                env.pump.Pump();
            };
            walks.walk[0]();
            if (!Cancelled(cancel))
                walks.walk[1]();
        }
        return JudgeWalks(env, walks, results, totals);
    } catch (...) {
        env.services.errors.HandleUnexpectedError(QStringLiteral("modParvex.AreFoldersIdentical"));
        return false;
    }
}

namespace {

bool JudgeWalks(CompareEnv& env, TreeWalks& walks, SubFolderDiffsList& results, TreeTotal* totals)
{
    try {
        const std::atomic<bool>* cancel = env.services.compare.CancelFlag();
        if (Cancelled(cancel))
            return false;
        const CDir& leftDir = walks.dirs[0];
        const CDir& rightDir = walks.dirs[1];
        const QString& leftPath = walks.paths[0];
        const QString& rightPath = walks.paths[1];
        const QString leftName = OwnName(leftPath);
        if (totals != nullptr) {
            totals[0] = std::move(walks.sums[0]);
            totals[1] = std::move(walks.sums[1]);
        }
        QStringList unknown; // keys of folders whose contents one side could not read
        for (const auto& side : walks.unreadable) {
            for (const UnreadableFolder& u : side) {
                env.services.log.AppendEntry(u.path, u.LogStep(), Failure::FromErrno(u.error, false));
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
        ResultList one;
        ResultList two;
        const QString leftBase = AddTrailingBackslash(leftPath);
        const QString rightBase = AddTrailingBackslash(rightPath);
        auto row = [&format](const CFile& f, Category category) {
            if (f.IsFolder()) {
                // A folder below the sub-folder: its name ("Old/Empty/"), no size and no time of its own.
                ResultRow folder;
                folder.text = f.FileName();
                folder.icon = category;
                folder.mode = f.Mode();
                return folder;
            }
            ResultRow file = format.FileRow(f.FileName(), f.Size(), f.ModifiedDate(), category);
            file.mode = f.Mode();
            return file;
        };
        // Equal objects whose permission bits differ, or whose names differ in case, are a difference of their
        // own: a mirror carries it.
        auto modesDiffer = [](const CFile& a, const CFile& b) {
            return (a.Mode() != 0 && b.Mode() != 0 && a.Mode() != b.Mode()) || a.FileName() != b.FileName();
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
            if (l != nullptr && r != nullptr && (l->IsFolder() || r->IsFolder())) {
                // Both are folders (their names end in "/"): the same folder, apart from its mode.
                if (modesDiffer(*l, *r)) {
                    one.push_back(row(*l, Category::Same));
                    two.push_back(row(*r, Category::Same));
                }
                continue;
            }
            if (l != nullptr && r != nullptr) {
                const signed char verdict = verdicts[k];
                const std::optional<bool> known =
                    verdict < 0 ? std::nullopt : std::optional<bool>((verdict % UnreadableVerdict) != 0);
                bool notRead = false;
                const auto [lc, rc] = ClassifyFilePair(env, *l, *r, leftBase, rightBase, known,
                                                       verdict >= UnreadableVerdict, &notRead);
                if (Cancelled(cancel))
                    return false;
                if (lc == Category::Same && !modesDiffer(*l, *r))
                    continue;
                one.push_back(row(*l, lc));
                two.push_back(row(*r, rc));
                one.back().unreadable = two.back().unreadable = notRead;
            } else if (l != nullptr) {
                one.push_back(row(*l, Category::Orphan));
                two.emplace_back();
            } else if (r != nullptr) {
                one.emplace_back();
                two.push_back(row(*r, Category::Orphan));
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

} // namespace

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

    // Under parallel reading, the pairs' sub-trees are walked ahead on threads of their own while the
    // pairs before them are judged (paired, read, classified) on this thread.
    std::unique_ptr<WalkPipeline> pipeline;
    if (env.parallel) {
        std::vector<size_t> numbers;
        for (size_t k = 0; k < pairs.size(); ++k)
            if (pairs[k].left >= 0 && pairs[k].right >= 0)
                numbers.push_back(k);
        const QString leftTop = RemoveTrailingBackslash(results.source.Path());
        const QString rightTop = RemoveTrailingBackslash(results.target.Path());
        pipeline = std::make_unique<WalkPipeline>(std::move(numbers), [&, leftTop, rightTop](size_t k) {
            return std::make_unique<TreeWalks>(env.services.errors, leftTop + leftNames[pairs[k].left],
                                               rightTop + rightNames[pairs[k].right], filters, cancel, true);
        });
    }

    qint64 i = 0;
    for (size_t k = 0; k < pairs.size(); ++k) {
        const NamePair& pair = pairs[k];
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
                bool same = false;
                const std::unique_ptr<TreeWalks> walks =
                    pipeline == nullptr
                        ? nullptr
                        : pipeline->Next(k, env.pump, [&](const TreeWalks& w) { env.view.SetFileName(w.current.Get()); });
                if (walks != nullptr) {
                    bool walked = true;
                    try {
                        for (const std::exception_ptr& failure : walks->failed)
                            if (failure)
                                std::rethrow_exception(failure);
                    } catch (...) {
                        env.services.errors.HandleUnexpectedError(QStringLiteral("modParvex.AreFoldersIdentical"));
                        walked = false;
                    }
                    same = walked && JudgeWalks(env, *walks, results.allSubFolderDiffs, sums);
                } else {
                    same = AreFoldersIdentical(env, fullPath[0], fullPath[1], filters, results.allSubFolderDiffs, sums);
                }
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
