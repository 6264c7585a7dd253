#pragma once

#include "base/Failure.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

class CCRC32;
class CCompare;
class ErrorLog;
class EventPump;
class ProgressSink;

// Decides whether two files of equal size have the same contents, chunk pair by chunk pair
// (CCompare.ChunkSize bytes each), stopping at the first pair that differs. Method 1 compares bytes,
// 2 the CRC-32 of each chunk, 3 the SHA-1 of each chunk.
//
// Between steps (after each open, read and hash) it lets events run through the pump and then reads
// CCompare's cancel flag; a cancelled comparison answers true and writes nothing to the log. Progress goes
// to the sink: during a folder comparison as the text "name - 40%" (the progress window's file label),
// in the two-file window as the value 0..100 of its bar.
//
// A file that cannot be opened or read (vanished, unreadable, shorter than the scan said) is not reported
// at once: the failure becomes an entry of the error log naming the file and the step, and the answer
// then comes from the two files' sizes and time stamps. Special files (FIFOs, sockets, devices) and
// dangling links are never opened: they are judged by size and time stamp alone.
//
// The two chunk buffers are page-aligned and kept between calls, so one comparer serves a whole run.
// It makes no widget calls: a run may keep one comparer per I/O thread (the log is written under a lock).
class ContentComparer final
{
public:
    // crc32 serves method 2; log receives the read failures.
    ContentComparer(CCompare& compare, const CCRC32& crc32, ErrorLog& log);
    ~ContentComparer();
    Q_DISABLE_COPY_MOVE(ContentComparer)

    // size: the byte count both files have (the caller found them equal). method: 1, 2 or 3.
    // showInTwoFileWindow: progress as the bar's percentage rather than the file label's text.
    bool AreFileContentsDifferent(const QString& path1, const QString& path2, int32_t method, qint64 size,
                                  bool showInTwoFileWindow, ProgressSink* progress = nullptr,
                                  EventPump* pump = nullptr);

    // The quick way for a pair of small files of one size whose folders are open (folder1, folder2): each
    // opened by its name in its folder (never through a link), read whole in one call and judged as
    // AreFileContentsDifferent judges them. No answer (nullopt) whenever anything is not as the scan saw
    // it (a file that cannot be opened or read, is no longer a regular file, or has another size): the
    // caller then asks AreFileContentsDifferent, which says why in the log.
    std::optional<bool> SmallPairDiffers(int folder1, const QByteArray& name1, int folder2, const QByteArray& name2,
                                         int32_t method, qint64 size);

    // Whether the last call could not read the files and answered from their sizes and time stamps.
    bool LastReadFailed() const { return m_lastReadFailed; }

    // Bytes read by this comparer so far (both files together).
    qint64 BytesRead() const { return m_bytesRead; }

private:
    class Run;
    bool EnsureBuffers(size_t length);

    CCompare& m_compare;
    const CCRC32& m_crc32;
    ErrorLog& m_log;
    unsigned char* m_buffer1 = nullptr;
    unsigned char* m_buffer2 = nullptr;
    size_t m_capacity = 0;
    qint64 m_bytesRead = 0;
    bool m_lastReadFailed = false;
};

// The answer without reading contents: true when the sizes differ or the time stamps differ by more than
// the FAT/NTFS options forgive; true as well when either file cannot be examined.
bool AreFilesDifferentBySizeAndTime(const QString& path1, const QString& path2, const CCompare& compare);

// The steps named in the error log.
QString OpeningStep();
QString ReadingStep(qint64 first, qint64 last);
QString ComparingStep(qint64 first, qint64 last);

// Percentage for a position in a size, rounded to the nearest whole number with ties to even.
int ProgressPercent(qint64 last, qint64 size);
