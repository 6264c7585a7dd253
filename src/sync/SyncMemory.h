#pragma once

#include "compare/CompareResults.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <future>
#include <optional>
#include <unordered_map>

class SyncJournal;

// The memory of a folder pair: after every synchronisation of the pair, the state of each object on both
// sides (kind, size, modification time to the nanosecond, mode, device and inode, link target), kept in
// the journal's database per pair (the two real folder paths and the devices they are on) and per path
// below the folders. A comparison of the pair later reads it to tell, for an object on one side only,
// whether the other side deleted it since the last synchronization or this side made it; for a pair that
// differs, whether one side changed or both (a conflict); and which object on one side only is another
// one moved.
//
// Without memory (the first run, a database that is missing or cannot be used, a folder moved to another
// file system since) a comparison is what it always was.

struct MemoryState
{
    enum class Kind : quint8 { None = 0, File, Folder, Link, Special };

    Kind kind = Kind::None; // None: not there
    qint64 size = 0;
    qint64 mtimeNs = 0; // nanoseconds since 1970, UTC
    quint32 mode = 0;   // st_mode
    quint64 dev = 0;
    quint64 ino = 0;
    QByteArray link; // a link's target
    QByteArray hash; // the contents' hash when one was computed (empty otherwise)

    bool There() const { return kind != Kind::None; }
};

// One path's state on both sides.
struct MemoryEntry
{
    MemoryState left;
    MemoryState right;
};

// Paths below the compared folders ("a.txt", "Docs", "Docs/Old/b.txt"): a folder without its "/". Each
// side's state is kept under that side's spelling of the path.
using MemoryMap = std::unordered_map<QString, MemoryEntry>;
// The same in path order, as it is stored.
using MemoryList = std::vector<std::pair<QString, MemoryEntry>>;

// Both sides as they are now, by path, from one walk of each folder (links are never followed; the walk
// takes the top-of-mount trash folders out as the scan does). incomplete names the folders (paths as
// above, "" the compared folder) that could not be read whole.
struct SideWalk
{
    std::vector<std::pair<QString, MemoryState>> objects; // in path order
    std::vector<QString> incomplete;

    const MemoryState* Find(const QString& path) const;
};
// twoThreads: the top folder's sub-folders are shared out between the calling thread and one more (for a
// walk that has the machine to itself).
SideWalk WalkSide(const QString& folder, const std::atomic<bool>* cancel = nullptr, bool twoThreads = false);

// Whether the objects at a and b are the same: kind, size and modification time (a link its target), a
// folder everything in it alike; with readContents, files' bytes too.
bool SameObjects(const QString& a, const QString& b, bool readContents);

// The store, in the journal's database: a row per pair (its two real folders and their devices), whose
// objects are packed in path order into one value (reading and writing rows per path costs seconds for a
// pair of 100,000 files, the packed value a tenth of one).
class SyncMemory final
{
public:
    explicit SyncMemory(SyncJournal& journal) : m_journal(journal) {}

    // The memory of the pair, in the order given (a pair stored the other way round is given back with its
    // sides swapped); none when the pair was never synchronised or a folder is no longer on the device it
    // was on (that memory is then forgotten).
    std::optional<MemoryMap> Load(const QString& leftFolder, const QString& rightFolder);
    std::optional<MemoryList> LoadList(const QString& leftFolder, const QString& rightFolder);
    // Replaces the pair's memory with objects (in path order). False when it could not be written.
    bool Store(const QString& leftFolder, const QString& rightFolder, const MemoryList& objects);
    // The same for objects packed already (count of them).
    bool StorePacked(const QString& leftFolder, const QString& rightFolder, const QByteArray& packed, qint64 count);

private:
    std::optional<QByteArray> Packed(const QString& leftFolder, const QString& rightFolder, bool& swapped);

    SyncJournal& m_journal;
};

// What the memory added to a comparison.
struct MemoryNotes
{
    bool used = false;  // the pair had a memory
    qint64 deleted = 0; // objects deleted on one side since the last synchronization
    qint64 moved = 0;
    qint64 conflicts = 0;
    // Why the memory could not be read (the database is damaged or foreign): the comparison is as
    // without memory. Empty when all is well, also when the database does not exist yet.
    QString problem;
};

// Notes the rows of a finished comparison (the hold lists and every sub-folder's differences) from the
// pair's memory in the journal of appFolder. Reads nothing when the journal does not exist.
MemoryNotes NoteChangesSinceLastSync(const QString& appFolder, CompareResults& results);

// After a synchronisation: the new memory of the pair from a walk of both sides. A path on which the sides
// now agree (both absent, or the same kind, size and time) takes what is there; a path on which they still
// differ keeps what the memory had (a conflict stays a conflict, a deletion not yet carried stays one) and
// takes what is there only where the memory had nothing; paths below a folder that could not be read keep
// what the memory had. Returns why it could not be written, empty when it was.
// A side the run does not write to can be walked while the run goes on: its walk is handed in (leftWalk,
// rightWalk) instead of being made afterwards.
using PendingWalk = std::future<SideWalk>;
QString RememberPair(SyncJournal& journal, const QString& leftFolder, const QString& rightFolder,
                     PendingWalk* leftWalk = nullptr, PendingWalk* rightWalk = nullptr);
