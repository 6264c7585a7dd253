#include "compare/PairClassify.h"

#include "base/Path.h"
#include "base/ProgressSink.h"
#include "base/SideBySide.h"
#include "compare/CCompare.h"
#include "compare/CompareProgressView.h"
#include "compare/CompareServices.h"
#include "compare/ContentCompare.h"
#include "compare/FileHashing.h"
#include "compare/NameLists.h"
#include "compare/TimeRules.h"
#include "model/CDir.h"
#include "platform/FileDescriptor.h"
#include "platform/PathOpen.h"

#include <atomic>
#include <unistd.h>

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
        const ssize_t n = ::readlink(EncodeFileName(path).constData(), target.data(), static_cast<size_t>(target.size()));
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
                                               std::optional<bool> contentsDiffer, bool knownUnreadable,
                                               bool* unreadable)
{
    if (unreadable != nullptr)
        *unreadable = false;
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
        if (unreadable != nullptr)
            *unreadable = contentsDiffer.has_value() ? knownUnreadable : env.comparer.LastReadFailed();
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
    // Each file is opened by its name in its folder, opened once here: a full path per file would be looked
    // up name by name every time.
    const FileDescriptor leftFolder(OpenFolderPath(Path::WithoutSlash(leftBase)));
    const FileDescriptor rightFolder(OpenFolderPath(Path::WithoutSlash(rightBase)));
    const auto work = [&](ContentComparer& comparer) {
        for (size_t i = next.fetch_add(1, std::memory_order_relaxed); i < todo.size();
             i = next.fetch_add(1, std::memory_order_relaxed)) {
            if (compare.CompareCancelled())
                return;
            const NamePair& pair = pairs[todo[i]];
            const CFile& l = leftDir.Files().At(pair.left);
            const CFile& r = rightDir.Files().At(pair.right);
            std::optional<bool> differ;
            if (leftFolder.valid() && rightFolder.valid())
                differ = comparer.SmallPairDiffers(leftFolder.get(), EncodeFileName(l.FileName()), rightFolder.get(),
                                                   EncodeFileName(r.FileName()), method, l.Size());
            if (!differ)
                differ = comparer.AreFileContentsDifferent(leftBase + l.FileName(), rightBase + r.FileName(), method,
                                                           l.Size(), false);
            verdicts[todo[i]] = static_cast<signed char>((*differ ? 1 : 0) + (comparer.LastReadFailed() ? UnreadableVerdict : 0));
        }
    };
    if (env.readers != nullptr)
        env.readers->Run([&] { work(env.comparer); }, [&] { work(second); }, env.pump);
    else
        RunSideBySide([&] { work(env.comparer); }, [&] { work(second); }, env.pump);
}
