#include "compare/ContentCompare.h"

#include "base/ErrorLog.h"
#include "base/ProgressSink.h"
#include "compare/CCRC32.h"
#include "compare/CCompare.h"
#include "compare/FileReader.h"
#include "compare/Sha1.h"
#include "compare/TimeRules.h"
#include "platform/FileDescriptor.h"
#include "platform/PathOpen.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QString LastPathItem(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

struct FileFacts
{
    bool exists = false;
    bool regular = false;
    qint64 size = 0;
    qint64 ticks = 0;
};

// What the file system says about a path, following a link to its target; a dangling link answers for
// the link itself, and a missing path answers exists = false.
FileFacts Examine(const QString& path)
{
    struct stat st{};
    FileFacts facts;
    if (!StatPath(path, st, true) && !StatPath(path, st, false))
        return facts;
    facts.exists = true;
    facts.regular = S_ISREG(st.st_mode);
    facts.size = st.st_size;
    facts.ticks = qint64(st.st_mtim.tv_sec) * TicksPerSecond + qint64(st.st_mtim.tv_nsec) / 100 + UnixEpochTicks;
    return facts;
}

bool DifferBySizeAndTime(const FileFacts& a, const FileFacts& b, const CCompare& compare)
{
    if (!a.exists || !b.exists || a.size != b.size)
        return true;
    const qint64 d = FileTimeDiffSeconds(UtcToLocalTicks(a.ticks), UtcToLocalTicks(b.ticks));
    return FAT_NTFS_TimeDiffAllowance(d, compare) != 0;
}

} // namespace

QString OpeningStep() { return QStringLiteral("Opening the file"); }

QString ReadingStep(qint64 first, qint64 last)
{
    return QStringLiteral("Reading bytes ") + QString::number(first) + QStringLiteral(" to ") + QString::number(last);
}

QString ComparingStep(qint64 first, qint64 last)
{
    return QStringLiteral("Comparing bytes ") + QString::number(first) + QStringLiteral(" to ") + QString::number(last);
}

bool AreFilesDifferentBySizeAndTime(const QString& path1, const QString& path2, const CCompare& compare)
{
    return DifferBySizeAndTime(Examine(path1), Examine(path2), compare);
}

// One comparison: its working state, above all the file and step that a failure is logged with. The step
// texts are only built when a failure needs them.
class ContentComparer::Run final
{
public:
    enum class Step { Opening, Reading, Comparing };

    Run(ContentComparer& owner, EventPump* pump) : m_owner(owner), m_compare(owner.m_compare), m_pump(pump) {}

    // Lets pending events run, then answers whether the user cancelled.
    bool Cancelled()
    {
        if (m_pump != nullptr)
            m_pump->Pump();
        return m_compare.CompareCancelled();
    }

    void At(const QString& file, Step step, qint64 first = 0, qint64 last = 0)
    {
        m_file = &file;
        m_step = step;
        m_first = first;
        m_last = last;
    }

    QString StepText() const
    {
        switch (m_step) {
        case Step::Opening: return OpeningStep();
        case Step::Reading: return ReadingStep(m_first, m_last);
        case Step::Comparing: return ComparingStep(m_first, m_last);
        }
        return QString();
    }
    QString FileText() const { return m_file != nullptr ? *m_file : QString(); }

    // Whether a chunk pair of length n is equal under method; polls between the two hashes. Sets
    // *cancelled when the poll saw a cancellation.
    bool ChunksEqual(int32_t method, size_t n, bool* cancelled)
    {
        const unsigned char* a = m_owner.m_buffer1;
        const unsigned char* b = m_owner.m_buffer2;
        if (method == CCompare::ThoroughCRC) {
            const CCRC32& crc = m_owner.m_crc32;
            const int32_t first = crc.GetLongCRC32OfBytes(a, n);
            if (Cancelled()) {
                *cancelled = true;
                return false;
            }
            return first == crc.GetLongCRC32OfBytes(b, n);
        }
        if (method == CCompare::SHA) {
            const Sha1Digest first = Sha1OfBytes(a, n);
            if (Cancelled()) {
                *cancelled = true;
                return false;
            }
            return first == Sha1OfBytes(b, n);
        }
        return std::memcmp(a, b, n) == 0;
    }

private:
    ContentComparer& m_owner;
    CCompare& m_compare;
    EventPump* m_pump;
    const QString* m_file = nullptr;
    Step m_step = Step::Opening;
    qint64 m_first = 0;
    qint64 m_last = 0;
};

ContentComparer::ContentComparer(CCompare& compare, const CCRC32& crc32, ErrorLog& log)
    : m_compare(compare), m_crc32(crc32), m_log(log)
{
}

ContentComparer::~ContentComparer()
{
    std::free(m_buffer1);
    std::free(m_buffer2);
}

bool ContentComparer::EnsureBuffers(size_t length)
{
    if (length <= m_capacity)
        return true;
    std::free(m_buffer1);
    std::free(m_buffer2);
    m_buffer1 = m_buffer2 = nullptr;
    m_capacity = 0;
    const size_t rounded = (length + 4095) / 4096 * 4096;
    m_buffer1 = static_cast<unsigned char*>(std::aligned_alloc(4096, rounded));
    m_buffer2 = static_cast<unsigned char*>(std::aligned_alloc(4096, rounded));
    if (m_buffer1 == nullptr || m_buffer2 == nullptr)
        throw Failure(Failure::OutOfStringSpace, Failure::DescriptionOf(Failure::OutOfStringSpace));
    m_capacity = rounded;
    return true;
}

namespace {

// The whole of a small file that must still be a regular file of size bytes; false otherwise.
bool ReadSmallFile(int folder, const QByteArray& name, unsigned char* buffer, qint64 size)
{
    const FileDescriptor file(::openat(folder, name.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!file.valid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != size)
        return false;
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::pread(file.get(), buffer + done, size_t(size - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

std::optional<bool> ContentComparer::SmallPairDiffers(int folder1, const QByteArray& name1, int folder2,
                                                      const QByteArray& name2, int32_t method, qint64 size)
{
    if (size <= 0 || size > EffectiveChunkSize(m_compare.ChunkSize()))
        return std::nullopt;
    try {
        EnsureBuffers(size_t(size));
    } catch (...) {
        return std::nullopt;
    }
    if (!ReadSmallFile(folder1, name1, m_buffer1, size) || !ReadSmallFile(folder2, name2, m_buffer2, size))
        return std::nullopt;
    m_bytesRead += 2 * size;
    m_lastReadFailed = false;
    const size_t n = size_t(size);
    if (method == CCompare::ThoroughCRC)
        return m_crc32.GetLongCRC32OfBytes(m_buffer1, n) != m_crc32.GetLongCRC32OfBytes(m_buffer2, n);
    if (method == CCompare::SHA)
        return !(Sha1OfBytes(m_buffer1, n) == Sha1OfBytes(m_buffer2, n));
    return std::memcmp(m_buffer1, m_buffer2, n) != 0;
}

bool ContentComparer::AreFileContentsDifferent(const QString& path1, const QString& path2, int32_t method, qint64 size,
                                               bool showInTwoFileWindow, ProgressSink* progress, EventPump* pump)
{
    CCompare& compare = m_compare;
    Run run(*this, pump);
    const QString displayName = LastPathItem(path1);
    m_lastReadFailed = false;
    try {
        const qint64 chunk = EffectiveChunkSize(compare.ChunkSize());
        if (run.Cancelled())
            return true;

        // FIFOs, sockets and devices must not be opened (a FIFO blocks, a tape rewinds), and a dangling
        // link has nothing to open: such pairs are judged without their contents. A path that is gone
        // altogether goes on to fail at the open, which logs it.
        const FileFacts facts1 = Examine(path1);
        const FileFacts facts2 = Examine(path2);
        if ((facts1.exists && !facts1.regular) || (facts2.exists && !facts2.regular))
            return DifferBySizeAndTime(facts1, facts2, compare);

        run.At(path1, Run::Step::Opening);
        FileReader file1(path1, facts1.exists, chunk);
        if (run.Cancelled())
            return true;
        run.At(path2, Run::Step::Opening);
        FileReader file2(path2, facts2.exists, chunk);
        if (run.Cancelled())
            return true;

        if (size <= 0)
            return false;

        const qint64 full = size / chunk;
        const qint64 remainder = size % chunk;
        const qint64 length = full > 0 ? chunk : remainder;
        EnsureBuffers(static_cast<size_t>(length));
        if (run.Cancelled() || run.Cancelled()) // one poll per buffer, as when each was allocated
            return true;

        qint64 position = 1; // 1-based, as the steps name bytes
        bool cancelled = false;
        const auto readAndJudge = [&](qint64 n) {
            const qint64 last = position - 1 + n;
            run.At(path1, Run::Step::Reading, position, last);
            file1.ReadExactly(m_buffer1, static_cast<size_t>(n), position - 1);
            m_bytesRead += n;
            if (run.Cancelled()) {
                cancelled = true;
                return false;
            }
            run.At(path2, Run::Step::Reading, position, last);
            file2.ReadExactly(m_buffer2, static_cast<size_t>(n), position - 1);
            m_bytesRead += n;
            if (run.Cancelled()) {
                cancelled = true;
                return false;
            }
            run.At(displayName, Run::Step::Comparing, position, last);
            return run.ChunksEqual(method, static_cast<size_t>(n), &cancelled);
        };

        for (qint64 index = 0; index < full; ++index) {
            if (run.Cancelled())
                return true;
            const qint64 last = position - 1 + length;
            if (last < size && progress != nullptr) {
                const int percent = ProgressPercent(last, size);
                if (showInTwoFileWindow) {
                    progress->SetValue(percent);
                } else {
                    progress->SetText(displayName + QStringLiteral(" - ") + QString::number(percent) + QLatin1Char('%'));
                    if (pump != nullptr)
                        pump->Pump();
                }
            }
            if (!readAndJudge(length))
                return true; // differs, or cancelled
            position += length;
        }

        if (remainder == 0)
            return false;
        if (full > 0 && run.Cancelled()) // the pieces shrink to the remainder
            return true;
        const qint64 last = position - 1 + remainder;
        if (showInTwoFileWindow && last <= size && progress != nullptr)
            progress->SetValue(ProgressPercent(last, size));
        return !readAndJudge(remainder) || cancelled;
    } catch (...) {
        const Failure failure = CurrentFailure();
        // The log marks the comparison as one with errors (ErrorLog::SetOnEntry).
        m_log.AppendEntry(run.FileText(), run.StepText(), failure);
        m_lastReadFailed = true;
        return AreFilesDifferentBySizeAndTime(path1, path2, compare);
    }
}
