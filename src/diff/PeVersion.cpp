#include "diff/PeVersion.h"

#include "base/Path.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t PeSignature = 0x00004550; // "PE\0\0"
constexpr uint16_t Pe32Magic = 0x10b;
constexpr uint16_t Pe32PlusMagic = 0x20b;
constexpr uint32_t ResourceDirectoryIndex = 2;
constexpr uint32_t RtVersion = 16;
constexpr uint32_t FixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t HighBit = 0x80000000u;
// The loader itself refuses more; a larger count in a header is damage, and reading it whole would be
// a large allocation for nothing.
constexpr uint32_t MostSections = 4096;

// VS_VERSION_INFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO" in UTF-16 with its NUL, padding to
// a 32-bit boundary, then VS_FIXEDFILEINFO (52 bytes, of which the first 16 are needed here).
constexpr int VersionKeyOffset = 6;
constexpr int FixedInfoOffset = 40;
constexpr int FixedInfoLength = 52;

// Reads length bytes at offset into out; false when the range is not wholly inside the file.
using ReadAt = std::function<bool(uint64_t offset, uint32_t length, unsigned char* out)>;

uint16_t U16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

struct Section
{
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
};

class PeReader final
{
public:
    explicit PeReader(ReadAt read) : m_read(std::move(read)) {}

    std::optional<FileVersion> Version()
    {
        unsigned char dos[64];
        if (!m_read(0, sizeof dos, dos) || dos[0] != 'M' || dos[1] != 'Z')
            return std::nullopt;
        const uint64_t pe = U32(dos + 0x3C);

        unsigned char header[24];
        if (!m_read(pe, sizeof header, header) || U32(header) != PeSignature)
            return std::nullopt;
        const uint32_t sectionCount = U16(header + 6);
        const uint32_t optionalSize = U16(header + 20);
        const uint64_t optional = pe + sizeof header;

        unsigned char magic[2];
        if (!m_read(optional, 2, magic))
            return std::nullopt;
        uint32_t countOffset = 0;
        if (U16(magic) == Pe32Magic)
            countOffset = 92;
        else if (U16(magic) == Pe32PlusMagic)
            countOffset = 108;
        else
            return std::nullopt;
        const uint32_t directoryOffset = countOffset + 4 + ResourceDirectoryIndex * 8;
        if (optionalSize < directoryOffset + 8)
            return std::nullopt;
        unsigned char count[4];
        unsigned char directory[8];
        if (!m_read(optional + countOffset, 4, count) || U32(count) <= ResourceDirectoryIndex
            || !m_read(optional + directoryOffset, 8, directory))
            return std::nullopt;
        const uint32_t resourceRva = U32(directory);
        if (resourceRva == 0 || U32(directory + 4) == 0 || sectionCount == 0 || sectionCount > MostSections)
            return std::nullopt;

        std::vector<unsigned char> table(size_t(sectionCount) * 40);
        if (!m_read(optional + optionalSize, uint32_t(table.size()), table.data()))
            return std::nullopt;
        for (uint32_t i = 0; i < sectionCount; ++i) {
            const unsigned char* s = table.data() + size_t(i) * 40;
            m_sections.push_back({U32(s + 12), U32(s + 16), U32(s + 20)});
        }
        return FromResources(resourceRva);
    }

private:
    // Reads length bytes at an address of the loaded image, which must lie within one section's bytes
    // in the file (the rest of a section is zeros the file does not hold).
    bool ReadRva(uint64_t rva, uint32_t length, unsigned char* out) const
    {
        for (const Section& s : m_sections) {
            if (rva < s.virtualAddress)
                continue;
            const uint64_t into = rva - s.virtualAddress;
            if (into + length <= s.rawSize)
                return m_read(uint64_t(s.rawPointer) + into, length, out);
        }
        return false;
    }

    struct Entry
    {
        uint32_t name = 0;
        uint32_t offset = 0;
        bool IsDirectory() const { return (offset & HighBit) != 0; }
        uint32_t Target() const { return offset & ~HighBit; }
    };

    // The entries of the resource directory at offset (from the start of the resource section).
    bool Entries(uint64_t base, uint32_t offset, std::vector<Entry>& entries) const
    {
        unsigned char head[16];
        if (!ReadRva(base + offset, sizeof head, head))
            return false;
        const uint32_t n = uint32_t(U16(head + 12)) + U16(head + 14);
        if (n == 0)
            return false;
        std::vector<unsigned char> raw(size_t(n) * 8);
        if (!ReadRva(base + offset + sizeof head, uint32_t(raw.size()), raw.data()))
            return false;
        entries.clear();
        for (uint32_t i = 0; i < n; ++i)
            entries.push_back({U32(raw.data() + size_t(i) * 8), U32(raw.data() + size_t(i) * 8 + 4)});
        return true;
    }

    // Type RT_VERSION, then its first name and that name's first language: three levels, never more, so
    // a directory that points back at itself cannot keep the walk going.
    std::optional<FileVersion> FromResources(uint64_t base) const
    {
        std::vector<Entry> entries;
        if (!Entries(base, 0, entries))
            return std::nullopt;
        const Entry* version = nullptr;
        for (const Entry& e : entries)
            if ((e.name & HighBit) == 0 && e.name == RtVersion && e.IsDirectory()) {
                version = &e;
                break;
            }
        if (version == nullptr)
            return std::nullopt;
        const uint32_t names = version->Target();
        if (!Entries(base, names, entries) || !entries.front().IsDirectory())
            return std::nullopt;
        const uint32_t languages = entries.front().Target();
        if (!Entries(base, languages, entries) || entries.front().IsDirectory())
            return std::nullopt;

        unsigned char data[16];
        if (!ReadRva(base + entries.front().Target(), sizeof data, data))
            return std::nullopt;
        const uint32_t blockRva = U32(data);
        const uint32_t blockSize = U32(data + 4);
        if (blockSize < FixedInfoOffset + FixedInfoLength)
            return std::nullopt;
        unsigned char block[FixedInfoOffset + 16];
        if (!ReadRva(blockRva, sizeof block, block))
            return std::nullopt;
        return FromVersionInfo(block);
    }

    static std::optional<FileVersion> FromVersionInfo(const unsigned char* block)
    {
        static const char key[] = "VS_VERSION_INFO";
        if (U16(block) < FixedInfoOffset + FixedInfoLength || U16(block + 2) < FixedInfoLength)
            return std::nullopt;
        for (size_t i = 0; i < sizeof key; ++i)
            if (U16(block + VersionKeyOffset + 2 * i) != uint16_t(key[i]))
                return std::nullopt;
        const unsigned char* fixed = block + FixedInfoOffset;
        if (U32(fixed) != FixedFileInfoSignature)
            return std::nullopt;
        const uint32_t ms = U32(fixed + 8);
        const uint32_t ls = U32(fixed + 12);
        return FileVersion{uint16_t(ms >> 16), uint16_t(ms & 0xFFFF), uint16_t(ls >> 16), uint16_t(ls & 0xFFFF)};
    }

    ReadAt m_read;
    std::vector<Section> m_sections;
};

} // namespace

std::optional<FileVersion> ParsePeFileVersion(const QByteArray& bytes)
{
    const uint64_t size = uint64_t(bytes.size());
    return PeReader([&bytes, size](uint64_t offset, uint32_t length, unsigned char* out) {
        if (offset > size || length > size - offset)
            return false;
        std::memcpy(out, bytes.constData() + offset, length);
        return true;
    }).Version();
}

std::optional<FileVersion> ReadPeFileVersion(const QString& path)
{
    // Not blocking, and only a regular file once open: a FIFO put in the path's place must not hang us.
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st{};
    std::optional<FileVersion> version;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const uint64_t size = uint64_t(st.st_size);
        version = PeReader([fd, size](uint64_t offset, uint32_t length, unsigned char* out) {
            if (offset > size || length > size - offset)
                return false;
            uint32_t done = 0;
            while (done < length) {
                const ssize_t n = ::pread(fd, out + done, length - done, off_t(offset + done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return false;
                done += uint32_t(n);
            }
            return true;
        }).Version();
    }
    ::close(fd);
    return version;
}

QString FileVersionText(const FileVersion& version)
{
    return QString::number(version[0]) + QLatin1Char('.') + QString::number(version[1]) + QLatin1Char('.')
           + QString::number(version[2]) + QLatin1Char('.') + QString::number(version[3]);
}

int CompareFileVersions(const FileVersion& a, const FileVersion& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}
