#pragma once

#include "compare/FileHashing.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

// CRC-32 of zip and Ethernet: reflected polynomial 0xEDB88320, register preset to 0xFFFFFFFF, final value
// complemented. The folding runs on libdeflate (carry-less multiplication where the CPU has it); the
// lookup table of the classic component is kept for callers that fold bytes one at a time. The object is
// immutable after construction and may be used from several threads at once.
class CCRC32 final
{
public:
    static constexpr uint32_t Polynomial = 0xEDB88320u;
    using Table = std::array<uint32_t, 256>;

    CCRC32();
    Q_DISABLE_COPY_MOVE(CCRC32)

    // The component's three operations. Registers are the raw (not complemented) CRC registers.
    static void InitCrc32Table(Table& table, uint32_t polynomial);
    uint32_t GetCrc32FromString(const void* bytes, size_t length, uint32_t start) const;
    uint32_t AddStringToCrc32(const void* bytes, size_t length, uint32_t crcRegister) const;
    const Table& CrcTable() const { return m_table; }

    // CRC-32 of a text's bytes (UTF-8, the system code page).
    int32_t GetLongCRC32OfString(const QString& pstrString) const;
    int32_t GetLongCRC32OfBytes(const void* bytes, size_t length) const;
    int32_t GetLongCRC32OfBytes(const QByteArray& bytes) const { return GetLongCRC32OfBytes(bytes.constData(), size_t(bytes.size())); }
    QString GetHexCRC32OfString(const QString& pstrString) const;

    // CRC-32 of the first pcurSize bytes of a file, read in chunks with progress on the context's bar;
    // 0 ("00000000") when cancelled. A file that cannot be opened or read throws a Failure.
    int32_t GetLongCRC32OfFile(const QString& pstrFileSpec, qint64 pcurSize, const FileHashContext& context) const;
    QString GetHexCRC32OfFile(const QString& pstrFileSpec, qint64 pcurSize, const FileHashContext& context) const;

    // The CRC text form: 8 upper-case hexadecimal digits.
    static QString HexText(int32_t crc);

private:
    Table m_table{};
};
