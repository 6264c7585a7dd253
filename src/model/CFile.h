#pragma once

#include <QString>
#include <QtGlobal>

// FILETIME ticks (100 ns since 1 January 1601, UTC) of the Unix epoch.
constexpr qint64 FileTimeUnixEpoch = 116444736000000000LL;

// The FILETIME tick count of a Unix time stamp (seconds and nanoseconds since 1970, UTC).
constexpr qint64 UnixToFileTime(qint64 seconds, qint64 nanoseconds)
{
    return seconds * 10000000LL + nanoseconds / 100 + FileTimeUnixEpoch;
}

// One file found by a scan: its name as the listing reported it, its size and its last-write time stamp
// as FILETIME ticks, split into two signed 32-bit halves the way the rest of the program exchanges them.
//
// Flags mark entries whose contents must never be read: IsSpecial (a FIFO, socket or device, the
// "system" files of this platform: opening a FIFO would block), IsDanglingLink (a symbolic link whose
// target is missing or loops) and IsLinkObject (a link compared by its target text and never followed:
// a dangling link or a link to a folder; its size and time are the link's own). CanBeOpened() answers
// all of them at once.
class CFile final
{
public:
    CFile() = default;
    CFile(QString fileName, qint64 size, qint64 modifiedDate) : m_fileName(std::move(fileName)), m_size(size), m_modified(modifiedDate) {}

    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& name) { m_fileName = name; }

    qint64 Size() const { return m_size; }
    void SetSize(qint64 size) { m_size = size; }

    qint32 ModifiedDateHigh() const { return static_cast<qint32>(static_cast<quint64>(m_modified) >> 32); }
    void SetModifiedDateHigh(qint32 high);
    qint32 ModifiedDateLow() const { return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(m_modified))); }
    void SetModifiedDateLow(qint32 low);
    // Both halves as one tick count.
    qint64 ModifiedDate() const { return m_modified; }
    void SetModifiedDate(qint64 ticks) { m_modified = ticks; }

    bool IsSpecial() const { return (m_flags & Special) != 0; }
    void SetIsSpecial(bool on) { SetFlag(Special, on); }
    bool IsDanglingLink() const { return (m_flags & DanglingLink) != 0; }
    void SetIsDanglingLink(bool on) { SetFlag(DanglingLink, on); }
    bool IsLinkObject() const { return (m_flags & LinkObject) != 0; }
    void SetIsLinkObject(bool on) { SetFlag(LinkObject, on); }
    // A folder entry of a walk that lists folders too (its name ends in "/"): no contents of its own.
    bool IsFolder() const { return (m_flags & Folder) != 0; }
    void SetIsFolder(bool on) { SetFlag(Folder, on); }
    // The permission bits with set-ID and sticky (07777); 0 when not known.
    quint16 Mode() const { return m_mode; }
    void SetMode(unsigned mode) { m_mode = quint16(mode & 07777); }
    // False for entries whose contents must not be read (see above).
    bool CanBeOpened() const { return m_flags == 0; }

private:
    enum Flag : quint8 { Special = 1, DanglingLink = 2, LinkObject = 4, Folder = 8 };
    void SetFlag(Flag flag, bool on) { m_flags = on ? quint8(m_flags | flag) : quint8(m_flags & ~flag); }

    QString m_fileName;
    qint64 m_size = 0;
    qint64 m_modified = 0;
    quint8 m_flags = 0;
    quint16 m_mode = 0;
};
