#include "compare/CCRC32.h"

#include "compare/FileReader.h"

#include <libdeflate.h>

// libdeflate takes and returns finished CRC values (preset and final complement applied inside), while the
// component's operations pass raw registers: a register r corresponds to the finished value ~r.

CCRC32::CCRC32() { InitCrc32Table(m_table, Polynomial); }

void CCRC32::InitCrc32Table(Table& table, uint32_t polynomial)
{
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) != 0 ? (c >> 1) ^ polynomial : c >> 1;
        table[i] = c;
    }
}

uint32_t CCRC32::GetCrc32FromString(const void* bytes, size_t length, uint32_t start) const
{
    return AddStringToCrc32(bytes, length, start);
}

uint32_t CCRC32::AddStringToCrc32(const void* bytes, size_t length, uint32_t crcRegister) const
{
    if (length == 0)
        return crcRegister;
    return ~libdeflate_crc32(~crcRegister, bytes, length);
}

int32_t CCRC32::GetLongCRC32OfBytes(const void* bytes, size_t length) const
{
    return static_cast<int32_t>(~GetCrc32FromString(bytes, length, 0xFFFFFFFFu));
}

int32_t CCRC32::GetLongCRC32OfString(const QString& pstrString) const
{
    return GetLongCRC32OfBytes(pstrString.toUtf8());
}

QString CCRC32::GetHexCRC32OfString(const QString& pstrString) const { return HexText(GetLongCRC32OfString(pstrString)); }

int32_t CCRC32::GetLongCRC32OfFile(const QString& pstrFileSpec, qint64 pcurSize, const FileHashContext& context) const
{
    uint32_t crcRegister = 0xFFFFFFFFu;
    const bool finished = HashFileInChunks(pstrFileSpec, pcurSize, context, [&](const unsigned char* data, size_t n) {
        crcRegister = AddStringToCrc32(data, n, crcRegister);
    });
    return finished ? static_cast<int32_t>(~crcRegister) : 0;
}

QString CCRC32::GetHexCRC32OfFile(const QString& pstrFileSpec, qint64 pcurSize, const FileHashContext& context) const
{
    return HexText(GetLongCRC32OfFile(pstrFileSpec, pcurSize, context));
}

QString CCRC32::HexText(int32_t crc)
{
    return QString::number(static_cast<uint32_t>(crc), 16).toUpper().rightJustified(8, QLatin1Char('0'));
}
