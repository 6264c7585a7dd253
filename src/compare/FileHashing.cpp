#include "compare/FileHashing.h"

#include "compare/FileReader.h"

#include "base/Failure.h"
#include "base/ProgressSink.h"
#include "compare/ContentCompare.h"
#include "platform/PathOpen.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int32_t EffectiveChunkSize(int32_t configured) { return configured > 0 ? configured : 500000; }

FileReader::FileReader(const QString& path, bool knownRegular, qint64 chunkSize)
{
    struct stat st{};
    if (!knownRegular && StatPath(path, st, true) && !S_ISREG(st.st_mode))
        throw Failure(Failure::BadFileMode, Failure::DescriptionOf(Failure::BadFileMode));
    // The path may have been replaced by a FIFO since it was examined: opening without blocking and checking
    // what was opened keeps a run from hanging on it.
    m_fd = OpenPath(path, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        throw Failure::FromErrno(errno, true);
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw Failure(Failure::BadFileMode, Failure::DescriptionOf(Failure::BadFileMode));
    }
    // O_NONBLOCK is left set: it does not affect reads of a regular file, and clearing it cost two calls
    // per file. Read-ahead advice only pays off when a file takes more than one read.
    if (st.st_size > chunkSize)
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FileReader::~FileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileReader::ReadExactly(void* buffer, size_t length, qint64 offset)
{
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, out + done, length - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Failure::FromErrno(errno, true);
        }
        if (n == 0) // the file became shorter than the listing said
            throw Failure(InputPastEndOfFile, QStringLiteral("Input past end of file"));
        done += static_cast<size_t>(n);
    }
}

AlignedBuffer::AlignedBuffer(size_t length)
{
    const size_t rounded = std::max<size_t>(4096, (length + 4095) / 4096 * 4096);
    m_data = static_cast<unsigned char*>(std::aligned_alloc(4096, rounded));
    if (m_data == nullptr)
        throw Failure(Failure::OutOfStringSpace, Failure::DescriptionOf(Failure::OutOfStringSpace));
}

AlignedBuffer::~AlignedBuffer() { std::free(m_data); }

bool HashFileInChunks(const QString& path, qint64 size, const FileHashContext& context,
                      const std::function<void(const unsigned char*, size_t)>& fold)
{
    const auto cancelled = [&context] {
        if (context.pump != nullptr)
            context.pump->Pump();
        return context.cancel != nullptr && context.cancel->load(std::memory_order_relaxed);
    };
    const qint64 chunk = EffectiveChunkSize(context.chunkSize);
    FileReader file(path, false, chunk);
    if (cancelled())
        return false;
    if (size <= 0)
        return true;
    const qint64 full = size / chunk;
    const qint64 remainder = size % chunk;
    AlignedBuffer buffer(static_cast<size_t>(full > 0 ? chunk : remainder));
    qint64 position = 0; // 0-based offset of the next piece
    for (qint64 index = 0; index < full; ++index) {
        const qint64 last = position + chunk;
        if (last < size && context.bar != nullptr)
            context.bar->SetValue(ProgressPercent(last, size));
        file.ReadExactly(buffer.Data(), static_cast<size_t>(chunk), position);
        if (cancelled())
            return false;
        fold(buffer.Data(), static_cast<size_t>(chunk));
        if (cancelled())
            return false;
        position += chunk;
    }
    if (remainder > 0) {
        const qint64 last = position + remainder;
        if (last <= size && context.bar != nullptr)
            context.bar->SetValue(ProgressPercent(last, size));
        file.ReadExactly(buffer.Data(), static_cast<size_t>(remainder), position);
        if (cancelled())
            return false;
        fold(buffer.Data(), static_cast<size_t>(remainder));
    }
    return true;
}

int ProgressPercent(qint64 last, qint64 size)
{
    if (size <= 0)
        return 0;
    // Halves go to the even neighbour, as the bar always rounded.
    return static_cast<int>(std::nearbyint(static_cast<double>(last) / static_cast<double>(size) * 100.0));
}
