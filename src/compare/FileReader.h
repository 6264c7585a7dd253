#pragma once

#include "compare/FileHashing.h"

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <functional>

// Failure number of a read that meets the end of a file before the bytes it was promised.
constexpr int InputPastEndOfFile = 62;

// A file open for reading by position, closed on every path. Opening and reading throw a Failure carrying
// the errno; a file that ends early throws InputPastEndOfFile. A FIFO, socket or device is refused with
// "Bad file mode" before it is opened (opening a FIFO blocks, opening a tape rewinds it), unless the
// caller has already made sure the path is a regular file. Sequential read-ahead is requested only for a
// file larger than chunkSize, the length of one read.
class FileReader final
{
public:
    explicit FileReader(const QString& path, bool knownRegular = false, qint64 chunkSize = 0);
    ~FileReader();
    Q_DISABLE_COPY_MOVE(FileReader)

    // Reads exactly length bytes at the 0-based offset.
    void ReadExactly(void* buffer, size_t length, qint64 offset);
    int Descriptor() const { return m_fd; }

private:
    int m_fd = -1;
};

// A page-aligned buffer (reads into it run several times faster than into a malloc'ed one). Allocation
// failure throws failure 14, which the error log words as "try a smaller chunk size".
class AlignedBuffer final
{
public:
    explicit AlignedBuffer(size_t length);
    ~AlignedBuffer();
    Q_DISABLE_COPY_MOVE(AlignedBuffer)
    unsigned char* Data() const { return m_data; }

private:
    unsigned char* m_data = nullptr;
};

// Reads the first size bytes of a file in chunks and hands each piece to fold, polling for cancellation
// after the open, each read and each fold. Answers false when cancelled. Failures throw.
bool HashFileInChunks(const QString& path, qint64 size, const FileHashContext& context,
                      const std::function<void(const unsigned char*, size_t)>& fold);
