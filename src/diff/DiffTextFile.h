#pragma once

#include "platform/FileOps.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

class EventPump;
class ProgressSink;

// One file of a text comparison, read whole as bytes with the start of every line. A line ends at its
// line feed; a carriage return before the line feed is not part of the line; a last line without a line
// end is a line. The file shows as UTF-8 when all of it is valid UTF-8, otherwise as Latin-1.
class DiffTextFile final
{
public:
    DiffTextFile() = default;
    DiffTextFile(DiffTextFile&&) = default;
    DiffTextFile& operator=(DiffTextFile&&) = default;
    Q_DISABLE_COPY(DiffTextFile)

    struct Control
    {
        EventPump* pump = nullptr;
        const std::atomic<bool>* cancel = nullptr;
        // Counts bytes read; the caller sets the range.
        ProgressSink* sink = nullptr;
        qint64 progressBase = 0;
    };
    enum class LoadResult { Loaded, Cancelled, Failed };
    // Reads the file; on failure errorNumber holds the errno and the lines read so far stay.
    LoadResult Load(const QString& path, const Control& control);

    const QString& Path() const { return m_path; }
    int32_t LineCount() const { return static_cast<int32_t>(m_starts.size()); }
    // Line number (1-based) as text, without its line end.
    QString LineText(int32_t number) const;
    // The bytes of a line without its line end, and its line end ("\n", "\r\n", or empty for a last
    // line that has none).
    QByteArrayView LineBytes(int32_t number) const;
    QByteArrayView LineEnd(int32_t number) const;
    // The file as it was opened (the object a link leads to), for telling later whether it changed.
    const FileOps::Identity& Loaded() const { return m_loaded; }
    // What the grid shows for the line: " " + number + "." + text with every tab as three blanks.
    QString DisplayText(int32_t number) const;
    bool IsUtf8() const { return m_utf8; }
    bool HasNulBytes() const { return m_hasNul; }
    qint64 Size() const { return m_bytes.size(); }
    int ErrorNumber() const { return m_errorNumber; }

    // The grid's text for a line text.
    static QString DisplayTextOf(int32_t number, const QString& text);

private:
    void IndexLines();

    QString m_path;
    QByteArray m_bytes;
    std::vector<qsizetype> m_starts;
    bool m_utf8 = true;
    bool m_hasNul = false;
    int m_errorNumber = 0;
    FileOps::Identity m_loaded;
};
