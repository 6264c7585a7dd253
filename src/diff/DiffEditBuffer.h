#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class DiffTextFile;

// The lines of one side of the differences window as the user changes them. Lines the user did not
// touch stay references into the loaded file, so a large file costs four bytes a line and no string;
// new lines (edited or copied in) are kept as bytes of their own.
//
// Line ends are kept as loaded: an untouched line keeps its own end (LF or CR LF), a new line gets the
// file's first line end (LF for a file without one), and the last line ends with a line end exactly when
// the loaded file's last line did.
class DiffEditBuffer final
{
public:
    // A line: > 0 a line number of the loaded file, < 0 the new line -(ref + 1).
    using Ref = int32_t;
    using Refs = std::vector<Ref>;

    // file must outlive the buffer.
    explicit DiffEditBuffer(const DiffTextFile& file);
    Q_DISABLE_COPY_MOVE(DiffEditBuffer)

    const QString& Path() const;
    int32_t LineCount() const { return static_cast<int32_t>(m_refs.size()); }
    // Line number (1-based), without its line end.
    QByteArray LineBytes(int32_t number) const;
    QString LineText(int32_t number) const;

    // The bytes of text for this file: UTF-8 for a UTF-8 file; Latin-1 otherwise, none when text holds a
    // character Latin-1 cannot keep.
    std::optional<QByteArray> Encode(const QString& text) const;
    // Keeps bytes as a new line and answers its reference.
    Ref AddLine(const QByteArray& bytes);
    Refs RefsOf(int32_t first, int32_t count) const;
    // Replaces count lines from line first (LineCount() + 1 appends) by lines; answers the lines replaced.
    Refs Splice(int32_t first, int32_t count, const Refs& lines);

    // The whole file as it would be saved.
    QByteArray Contents() const;

private:
    QByteArray OwnEnd(Ref ref) const;

    const DiffTextFile& m_file;
    Refs m_refs;
    std::vector<QByteArray> m_added;
    QByteArray m_lineEnd;
    bool m_endsWithLineEnd = true;
};
