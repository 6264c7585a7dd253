#include "diff/DiffEditBuffer.h"

#include "diff/DiffTextFile.h"
#include "diff/LineDiffEngine.h"

#include <algorithm>

DiffEditBuffer::DiffEditBuffer(const DiffTextFile& file) : m_file(file)
{
    const int32_t count = file.LineCount();
    m_refs.reserve(static_cast<std::size_t>(count));
    for (int32_t n = 1; n <= count; ++n)
        m_refs.push_back(n);
    m_lineEnd = "\n";
    for (int32_t n = 1; n <= count; ++n) {
        const QByteArrayView end = file.LineEnd(n);
        if (!end.isEmpty()) {
            m_lineEnd = end.toByteArray();
            break;
        }
    }
    // An empty file has no last line to follow; lines added to it end the usual way.
    m_endsWithLineEnd = count == 0 || !file.LineEnd(count).isEmpty();
}

const QString& DiffEditBuffer::Path() const { return m_file.Path(); }

QByteArray DiffEditBuffer::LineBytes(int32_t number) const
{
    if (number < 1 || number > LineCount())
        return {};
    const Ref ref = m_refs[static_cast<std::size_t>(number - 1)];
    return ref > 0 ? m_file.LineBytes(ref).toByteArray() : m_added[static_cast<std::size_t>(-ref - 1)];
}

QString DiffEditBuffer::LineText(int32_t number) const
{
    if (number < 1 || number > LineCount())
        return {};
    const Ref ref = m_refs[static_cast<std::size_t>(number - 1)];
    if (ref > 0)
        return m_file.LineText(ref);
    // A line copied from the other file may not be UTF-8 even where this file is.
    const QByteArray& bytes = m_added[static_cast<std::size_t>(-ref - 1)];
    return m_file.IsUtf8() ? DecodeLineBytes(bytes) : QString::fromLatin1(bytes);
}

std::optional<QByteArray> DiffEditBuffer::Encode(const QString& text) const
{
    if (m_file.IsUtf8())
        return text.toUtf8();
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
    }
    return text.toLatin1();
}

DiffEditBuffer::Ref DiffEditBuffer::AddLine(const QByteArray& bytes)
{
    m_added.push_back(bytes);
    return -static_cast<Ref>(m_added.size());
}

DiffEditBuffer::Refs DiffEditBuffer::RefsOf(int32_t first, int32_t count) const
{
    first = std::clamp(first, 1, LineCount() + 1);
    count = std::clamp(count, 0, LineCount() + 1 - first);
    const auto from = m_refs.begin() + (first - 1);
    return Refs(from, from + count);
}

DiffEditBuffer::Refs DiffEditBuffer::Splice(int32_t first, int32_t count, const Refs& lines)
{
    first = std::clamp(first, 1, LineCount() + 1);
    count = std::clamp(count, 0, LineCount() + 1 - first);
    const auto from = m_refs.begin() + (first - 1);
    Refs removed(from, from + count);
    const auto at = m_refs.erase(from, from + count);
    m_refs.insert(at, lines.begin(), lines.end());
    return removed;
}

QByteArray DiffEditBuffer::OwnEnd(Ref ref) const
{
    return ref > 0 ? m_file.LineEnd(ref).toByteArray() : QByteArray();
}

QByteArray DiffEditBuffer::Contents() const
{
    QByteArray out;
    out.reserve(m_file.Size() + 64);
    const int32_t count = LineCount();
    for (int32_t n = 1; n <= count; ++n) {
        out += LineBytes(n);
        if (n == count && !m_endsWithLineEnd)
            break;
        const QByteArray own = OwnEnd(m_refs[static_cast<std::size_t>(n - 1)]);
        out += own.isEmpty() ? m_lineEnd : own;
    }
    return out;
}
