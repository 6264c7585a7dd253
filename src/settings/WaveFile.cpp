#include "settings/WaveFile.h"

#include <QFile>
#include <QtEndian>

namespace {
quint32 U32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint16 U16(const char* p) { return qFromLittleEndian<quint16>(p); }
} // namespace

std::optional<WaveInfo> ReadWaveInfo(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = f.read(12);
    if (head.size() != 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    WaveInfo info;
    quint32 byteRate = 0;
    bool haveFormat = false;
    // Walk the chunks; the header is small, so a bounded number of chunks is plenty.
    for (int chunk = 0; chunk < 64; ++chunk) {
        const QByteArray header = f.read(8);
        if (header.size() != 8)
            break;
        const QByteArray id = header.left(4);
        const quint32 size = U32(header.constData() + 4);
        if (id == "fmt ") {
            // Only the first 16 bytes matter; a damaged size field must not decide how much memory we take.
            const QByteArray fmt = f.read(16);
            if (fmt.size() < 16 || size < 16)
                return std::nullopt;
            if (size > 16 && f.skip(size - 16) < 0)
                return std::nullopt;
            info.channels = U16(fmt.constData() + 2);
            info.sampleRate = static_cast<int>(U32(fmt.constData() + 4));
            byteRate = U32(fmt.constData() + 8);
            info.bitsPerSample = U16(fmt.constData() + 14);
            haveFormat = true;
            if (size % 2 == 1)
                f.skip(1);
        } else if (id == "data") {
            if (!haveFormat || byteRate == 0)
                return std::nullopt;
            // A header that claims more data than the file holds describes what is there.
            info.dataBytes = qMin<qint64>(size, f.size() - f.pos());
            info.durationMs = info.dataBytes * 1000 / byteRate;
            return info;
        } else if (!f.skip(size + (size % 2))) {
            break;
        }
    }
    return std::nullopt;
}
