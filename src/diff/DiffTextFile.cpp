#include "diff/DiffTextFile.h"

#include "base/Path.h"
#include "base/ProgressSink.h"
#include "diff/LineDiffEngine.h"
#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype ChunkBytes = 4 << 20;


} // namespace

DiffTextFile::LoadResult DiffTextFile::Load(const QString& path, const Control& control)
{
    m_path = path;
    m_bytes.clear();
    m_starts.clear();
    m_errorNumber = 0;
    FileDescriptor fd(::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        m_errorNumber = errno;
        return LoadResult::Failed;
    }
    m_loaded = {};
    m_loaded.mode = st.st_mode;
    m_loaded.size = st.st_size;
    m_loaded.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    m_loaded.atimeNs = qint64(st.st_atim.tv_sec) * 1000000000LL + st.st_atim.tv_nsec;
    m_loaded.ino = quint64(st.st_ino);
    m_loaded.dev = quint64(st.st_dev);
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    // The size is a hint only: a file that grows or shrinks meanwhile is read to its real end.
    m_bytes.reserve((S_ISREG(st.st_mode) ? static_cast<qsizetype>(st.st_size) : 0) + ChunkBytes + 1);
    LoadResult result = LoadResult::Loaded;
    for (;;) {
        const qsizetype have = m_bytes.size();
        m_bytes.resize(have + ChunkBytes);
        const ssize_t n = ::read(fd.get(), m_bytes.data() + have, static_cast<size_t>(ChunkBytes));
        if (n < 0 && errno == EINTR) {
            m_bytes.resize(have);
            continue;
        }
        m_bytes.resize(have + (n > 0 ? n : 0));
        if (n < 0) {
            m_errorNumber = errno;
            result = LoadResult::Failed;
            break;
        }
        if (n == 0)
            break;
        if (control.sink != nullptr)
            control.sink->SetValue(control.progressBase + m_bytes.size());
        if (control.pump != nullptr)
            control.pump->Pump();
        if (control.cancel != nullptr && control.cancel->load()) {
            result = LoadResult::Cancelled;
            break;
        }
    }
    m_hasNul = std::memchr(m_bytes.constData(), 0, static_cast<size_t>(m_bytes.size())) != nullptr;
    m_utf8 = IsValidUtf8(m_bytes);
    IndexLines();
    return result;
}

void DiffTextFile::IndexLines()
{
    const char* data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    qsizetype pos = 0;
    while (pos < size) {
        m_starts.push_back(pos);
        const void* nl = std::memchr(data + pos, '\n', static_cast<size_t>(size - pos));
        if (nl == nullptr)
            break;
        pos = static_cast<const char*>(nl) - data + 1;
    }
    m_starts.shrink_to_fit();
}

QByteArrayView DiffTextFile::LineBytes(int32_t number) const
{
    if (number < 1 || number > LineCount())
        return {};
    const auto i = static_cast<std::size_t>(number - 1);
    const qsizetype start = m_starts[i];
    const qsizetype stop = i + 1 < m_starts.size() ? m_starts[i + 1] : m_bytes.size();
    qsizetype end = stop;
    if (end > start && m_bytes.at(end - 1) == '\n')
        --end;
    if (end > start && m_bytes.at(end - 1) == '\r')
        --end;
    return QByteArrayView(m_bytes.constData() + start, end - start);
}

QByteArrayView DiffTextFile::LineEnd(int32_t number) const
{
    const QByteArrayView bytes = LineBytes(number);
    if (bytes.data() == nullptr)
        return {};
    const auto i = static_cast<std::size_t>(number - 1);
    const qsizetype stop = i + 1 < m_starts.size() ? m_starts[i + 1] : m_bytes.size();
    const qsizetype end = (bytes.data() - m_bytes.constData()) + bytes.size();
    return QByteArrayView(m_bytes.constData() + end, stop - end);
}

QString DiffTextFile::LineText(int32_t number) const
{
    const QByteArrayView bytes = LineBytes(number);
    return m_utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QString DiffTextFile::DisplayTextOf(int32_t number, const QString& text)
{
    QString shown = QLatin1Char(' ') + QString::number(number) + QLatin1Char('.') + text;
    shown.replace(QLatin1Char('\t'), QLatin1String("   "));
    return shown;
}

QString DiffTextFile::DisplayText(int32_t number) const { return DisplayTextOf(number, LineText(number)); }
