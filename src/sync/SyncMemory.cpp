#include "sync/SyncMemory.h"

#include "base/Path.h"
#include "model/CFile.h"
#include "model/FolderListing.h"
#include "platform/PathOpen.h"
#include "sync/SyncJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Kind = MemoryState::Kind;

MemoryState StateOf(const struct stat& st)
{
    MemoryState s;
    s.kind = S_ISDIR(st.st_mode)   ? Kind::Folder
             : S_ISREG(st.st_mode) ? Kind::File
             : S_ISLNK(st.st_mode) ? Kind::Link
                                   : Kind::Special;
    s.size = S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    s.mode = st.st_mode;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    return s;
}

QByteArray LinkTargetAt(int dirFd, const char* name)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlinkat(dirFd, name, target.data(), size_t(target.size()));
    target.truncate(n < 0 ? 0 : int(n));
    return target;
}

QByteArray LinkTargetOf(const QString& path)
{
    const QByteArray native = EncodeFileName(path);
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(native.constData(), target.data(), size_t(target.size()));
    target.truncate(n < 0 ? 0 : int(n));
    return target;
}

// folders: where the listing's sub-folders (index, path) are put instead of being walked, for threads to
// share out; none: they are walked here.
void Walk(const FolderListing& listing, const QString& prefix, SideWalk& out, const std::atomic<bool>* cancel,
          std::vector<std::pair<qsizetype, QString>>* folders = nullptr)
{
    if (!listing.IsOpen() || !listing.Complete())
        out.incomplete.push_back(prefix.isEmpty() ? prefix : prefix.chopped(1));
    if (!listing.IsOpen())
        return;
    for (qsizetype i = 0; i < listing.Count(); ++i) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
            return;
        struct stat st {};
        if (::fstatat(listing.Fd(), listing.RawName(i), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                out.incomplete.push_back(prefix + listing.Name(i));
            continue;
        }
        const QString path = prefix + listing.Name(i);
        MemoryState state = StateOf(st);
        if (state.kind == Kind::Link)
            state.link = LinkTargetAt(listing.Fd(), listing.RawName(i));
        out.objects.emplace_back(path, state);
        if (state.kind == Kind::Folder && folders != nullptr) {
            folders->emplace_back(i, path + QLatin1Char('/'));
        } else if (state.kind == Kind::Folder) {
            const FolderListing child(listing, i);
            Walk(child, path + QLatin1Char('/'), out, cancel);
        }
    }
}

quint64 DeviceOfFolder(const QString& folder)
{
    struct stat st {};
    return StatPath(Path::WithoutSlash(folder), st, true) ? quint64(st.st_dev) : 0;
}

// The folder as the memory knows it: its real path (links and "." resolved), so that two spellings of one
// pair share their memory.
QByteArray RealFolder(const QString& folder)
{
    const QByteArray native = EncodeFileName(Path::WithoutSlash(folder));
    char* real = ::realpath(native.constData(), nullptr);
    if (real == nullptr)
        return native;
    QByteArray out(real);
    std::free(real);
    return out;
}

qint64 TicksOf(const MemoryState& s)
{
    const qint64 seconds = s.mtimeNs / 1000000000LL;
    const qint64 ns = s.mtimeNs % 1000000000LL;
    return ns >= 0 ? UnixToFileTime(seconds, ns) : UnixToFileTime(seconds - 1, ns + 1000000000LL);
}

// Whether the two sides hold the same object at a path now: a synchronisation has nothing left to do there.
// Times within two seconds count as equal: a FAT disk keeps them to two seconds.
bool Agree(const MemoryState& l, const MemoryState& r)
{
    if (l.kind != r.kind)
        return false;
    switch (l.kind) {
    case Kind::None:
    case Kind::Folder:
    case Kind::Special: return true;
    case Kind::Link: return l.link == r.link;
    case Kind::File: return l.size == r.size && std::llabs(l.mtimeNs - r.mtimeNs) < 2000000000LL;
    }
    return false;
}

// Whether an object is still what the memory says (or two objects alike): same kind, size and time (a
// link: its target; a folder: being one). withModes: a file's permission bits too.
bool Unchanged(const MemoryState& now, const MemoryState& then, bool withModes = false)
{
    if (now.kind != then.kind)
        return false;
    if (now.kind == Kind::Link)
        return now.link == then.link;
    if (now.kind == Kind::Folder)
        return true;
    return now.size == then.size && now.mtimeNs == then.mtimeNs
           && (!withModes || now.kind != Kind::File || (now.mode & 07777) == (then.mode & 07777));
}

class Stmt final
{
public:
    Stmt(sqlite3* db, const char* sql)
    {
        if (db == nullptr || sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~Stmt() { sqlite3_finalize(m_stmt); }
    Q_DISABLE_COPY_MOVE(Stmt)
    explicit operator bool() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }
    // bytes must stay as they are until the statement has stepped.
    void Blob(int i, const QByteArray& bytes)
    {
        sqlite3_bind_blob(m_stmt, i, bytes.isNull() ? "" : bytes.constData(), int(bytes.size()), SQLITE_STATIC);
    }
    void Int(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); }
    void Null(int i) { sqlite3_bind_null(m_stmt, i); }
    int Step() { return sqlite3_step(m_stmt); }
    void Reset()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    qint64 ColInt(int i) const { return sqlite3_column_int64(m_stmt, i); }
    QByteArray ColBlob(int i) const
    {
        const void* data = sqlite3_column_blob(m_stmt, i);
        return data == nullptr ? QByteArray() : QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, i));
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql) { return db != nullptr && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

// The stored pair (id and whether it was stored the other way round), or 0.
std::pair<qint64, bool> FindPair(sqlite3* db, const QByteArray& left, const QByteArray& right, quint64* devs)
{
    Stmt find(db, "SELECT id, left_dev, right_dev FROM memory_pairs WHERE left_folder = ?1 AND right_folder = ?2");
    if (!find)
        return {0, false};
    for (const bool swapped : {false, true}) {
        find.Blob(1, swapped ? right : left);
        find.Blob(2, swapped ? left : right);
        if (find.Step() == SQLITE_ROW) {
            devs[0] = quint64(find.ColInt(swapped ? 2 : 1));
            devs[1] = quint64(find.ColInt(swapped ? 1 : 2));
            return {find.ColInt(0), swapped};
        }
        find.Reset();
    }
    return {0, false};
}

void Forget(sqlite3* db, qint64 pair)
{
    Stmt pairs(db, "DELETE FROM memory_pairs WHERE id = ?1");
    if (pairs) {
        pairs.Int(1, pair);
        pairs.Step();
    }
}

// The packed objects of a pair: "PVXM", a format number, then per path in path order its bytes and each
// side's state (kind; when there: size, time, mode, device, inode, link target, hash), little-endian.
constexpr char PackMagic[4] = {'P', 'V', 'X', 'M'};
constexpr quint32 PackFormat = 1;

template <typename T>
void Put(QByteArray& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutBytes(QByteArray& out, const QByteArray& bytes)
{
    Put(out, quint32(bytes.size()));
    out.append(bytes);
}

void PutState(QByteArray& out, const MemoryState& s)
{
    Put(out, quint8(s.kind));
    if (!s.There())
        return;
    Put(out, s.size);
    Put(out, s.mtimeNs);
    Put(out, s.mode);
    Put(out, s.dev);
    Put(out, s.ino);
    PutBytes(out, s.link);
    PutBytes(out, s.hash);
}

// Packs objects one by one, in path order, as they come.
class Packer final
{
public:
    explicit Packer(size_t expected)
    {
        m_out.reserve(qsizetype(expected) * 120 + 16);
        m_out.append(PackMagic, 4);
        Put(m_out, PackFormat);
    }
    void Add(const QString& path, const MemoryEntry& entry)
    {
        PutBytes(m_out, EncodeFileName(path));
        PutState(m_out, entry.left);
        PutState(m_out, entry.right);
        ++m_count;
    }
    qint64 Count() const { return m_count; }
    const QByteArray& Bytes() const { return m_out; }

private:
    QByteArray m_out;
    qint64 m_count = 0;
};

// Reads what a Packer wrote; false for anything else (the memory is then as good as none).
class Unpacker final
{
public:
    explicit Unpacker(const QByteArray& bytes) : m_at(bytes.constData()), m_end(bytes.constData() + bytes.size()) {}

    bool Header()
    {
        quint32 format = 0;
        if (m_end - m_at < 8 || std::memcmp(m_at, PackMagic, 4) != 0)
            return false;
        m_at += 4;
        return Get(format) && format == PackFormat;
    }
    bool AtEnd() const { return m_at == m_end; }
    bool Entry(QString& path, MemoryEntry& entry)
    {
        quint32 length = 0;
        if (!Get(length) || quint64(m_end - m_at) < length)
            return false;
        path = DecodeFileName(m_at, length);
        m_at += length;
        return State(entry.left) && State(entry.right);
    }

private:
    template <typename T>
    bool Get(T& value)
    {
        if (quint64(m_end - m_at) < sizeof value)
            return false;
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return true;
    }
    bool Bytes(QByteArray& bytes)
    {
        quint32 length = 0;
        if (!Get(length) || quint64(m_end - m_at) < length)
            return false;
        if (length > 0)
            bytes = QByteArray(m_at, length);
        m_at += length;
        return true;
    }
    bool State(MemoryState& s)
    {
        quint8 kind = 0;
        if (!Get(kind) || kind > quint8(Kind::Special))
            return false;
        s.kind = Kind(kind);
        if (!s.There())
            return true;
        return Get(s.size) && Get(s.mtimeNs) && Get(s.mode) && Get(s.dev) && Get(s.ino) && Bytes(s.link) && Bytes(s.hash);
    }

    const char* m_at;
    const char* m_end;
};

bool PathLess(const QString& a, const QString& b) { return a < b; }

} // namespace

namespace {

bool SameBytes(const QString& a, const QString& b)
{
    const QByteArray na = EncodeFileName(a);
    const QByteArray nb = EncodeFileName(b);
    const int fa = ::open(na.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const int fb = fa < 0 ? -1 : ::open(nb.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    bool same = fa >= 0 && fb >= 0;
    if (same) {
        ::posix_fadvise(fa, 0, 0, POSIX_FADV_SEQUENTIAL);
        ::posix_fadvise(fb, 0, 0, POSIX_FADV_SEQUENTIAL);
        constexpr size_t Chunk = 1 << 20;
        std::unique_ptr<char[]> one(new char[Chunk]);
        std::unique_ptr<char[]> two(new char[Chunk]);
        for (;;) {
            const ssize_t n = ::read(fa, one.get(), Chunk);
            if (n < 0) {
                same = false;
                break;
            }
            ssize_t got = 0;
            while (got < n) {
                const ssize_t m = ::read(fb, two.get() + got, size_t(n - got));
                if (m <= 0)
                    break;
                got += m;
            }
            if (got != n || std::memcmp(one.get(), two.get(), size_t(n)) != 0) {
                same = false;
                break;
            }
            if (n == 0)
                break;
        }
    }
    if (fa >= 0)
        ::close(fa);
    if (fb >= 0)
        ::close(fb);
    return same;
}

} // namespace

bool SameObjects(const QString& a, const QString& b, bool readContents)
{
    struct stat sa {};
    struct stat sb {};
    if (!StatPath(a, sa, false) || !StatPath(b, sb, false))
        return false;
    MemoryState x = StateOf(sa);
    MemoryState y = StateOf(sb);
    if (x.kind == Kind::Link) {
        x.link = LinkTargetOf(a);
        y.link = LinkTargetOf(b);
    }
    // A file's permission bits too: a rename keeps them, where a copy would give the source's.
    if (!Unchanged(x, y, true))
        return false;
    if (x.kind == Kind::File)
        return !readContents || SameBytes(a, b);
    if (x.kind != Kind::Folder)
        return true;
    const SideWalk one = WalkSide(a);
    const SideWalk two = WalkSide(b);
    if (!one.incomplete.empty() || !two.incomplete.empty() || one.objects.size() != two.objects.size())
        return false;
    const QString baseA = Path::WithSlash(a);
    const QString baseB = Path::WithSlash(b);
    for (size_t i = 0; i < one.objects.size(); ++i) {
        const auto& [path, state] = one.objects[i];
        if (two.objects[i].first != path || !Unchanged(state, two.objects[i].second, true))
            return false;
        if (readContents && state.kind == Kind::File && !SameBytes(baseA + path, baseB + path))
            return false;
    }
    return true;
}

SideWalk WalkSide(const QString& folder, const std::atomic<bool>* cancel, bool twoThreads)
{
    SideWalk out;
    const FolderListing top(Path::WithoutSlash(folder));
    if (!twoThreads) {
        Walk(top, QString(), out, cancel);
    } else {
        // The top folder's own entries first; then its sub-folders, each walked whole by whichever thread
        // takes it next. The order the threads finish in does not matter: the objects are sorted below.
        std::vector<std::pair<qsizetype, QString>> folders;
        Walk(top, QString(), out, cancel, &folders);
        std::atomic<size_t> next{0};
        const auto work = [&](SideWalk& into) {
            for (size_t k; (k = next.fetch_add(1)) < folders.size();) {
                const FolderListing child(top, folders[k].first);
                Walk(child, folders[k].second, into, cancel);
            }
        };
        SideWalk second;
        std::thread helper([&] { work(second); });
        work(out);
        helper.join();
        out.objects.insert(out.objects.end(), std::make_move_iterator(second.objects.begin()),
                           std::make_move_iterator(second.objects.end()));
        out.incomplete.insert(out.incomplete.end(), second.incomplete.begin(), second.incomplete.end());
    }
    std::sort(out.objects.begin(), out.objects.end(), [](const auto& a, const auto& b) { return PathLess(a.first, b.first); });
    return out;
}

const MemoryState* SideWalk::Find(const QString& path) const
{
    const auto it = std::lower_bound(objects.begin(), objects.end(), path,
                                     [](const auto& item, const QString& p) { return PathLess(item.first, p); });
    return it != objects.end() && it->first == path ? &it->second : nullptr;
}

std::optional<QByteArray> SyncMemory::Packed(const QString& leftFolder, const QString& rightFolder, bool& swapped)
{
    sqlite3* db = m_journal.Database();
    if (db == nullptr)
        return std::nullopt;
    quint64 devs[2] = {0, 0};
    const auto [pair, reversed] = FindPair(db, RealFolder(leftFolder), RealFolder(rightFolder), devs);
    swapped = reversed;
    if (pair == 0)
        return std::nullopt;
    // A folder on another file system is another folder now (a disk not mounted, another disk): what was
    // remembered of it says nothing about what is there.
    if (devs[0] != DeviceOfFolder(leftFolder) || devs[1] != DeviceOfFolder(rightFolder)) {
        if (Exec(db, "BEGIN IMMEDIATE")) {
            Forget(db, pair);
            Exec(db, "COMMIT");
        }
        return std::nullopt;
    }
    Stmt read(db, "SELECT objects FROM memory_pairs WHERE id = ?1");
    if (!read)
        return std::nullopt;
    read.Int(1, pair);
    if (read.Step() != SQLITE_ROW)
        return std::nullopt;
    return read.ColBlob(0);
}

std::optional<MemoryList> SyncMemory::LoadList(const QString& leftFolder, const QString& rightFolder)
{
    bool swapped = false;
    const std::optional<QByteArray> packed = Packed(leftFolder, rightFolder, swapped);
    if (!packed)
        return std::nullopt;
    Unpacker in(*packed);
    if (!in.Header())
        return std::nullopt;
    MemoryList list;
    list.reserve(size_t(packed->size() / 100));
    while (!in.AtEnd()) {
        list.emplace_back();
        if (!in.Entry(list.back().first, list.back().second))
            return std::nullopt;
        if (swapped)
            std::swap(list.back().second.left, list.back().second.right);
    }
    return list;
}

std::optional<MemoryMap> SyncMemory::Load(const QString& leftFolder, const QString& rightFolder)
{
    std::optional<MemoryList> list = LoadList(leftFolder, rightFolder);
    if (!list)
        return std::nullopt;
    MemoryMap map;
    map.reserve(list->size());
    for (auto& [path, entry] : *list)
        map.emplace(std::move(path), std::move(entry));
    return map;
}

bool SyncMemory::Store(const QString& leftFolder, const QString& rightFolder, const MemoryList& objects)
{
    Packer packer(objects.size());
    for (const auto& [path, entry] : objects)
        packer.Add(path, entry);
    return StorePacked(leftFolder, rightFolder, packer.Bytes(), packer.Count());
}

bool SyncMemory::StorePacked(const QString& leftFolder, const QString& rightFolder, const QByteArray& packed, qint64 count)
{
    sqlite3* db = m_journal.Database();
    if (db == nullptr || !Exec(db, "BEGIN IMMEDIATE"))
        return false;
    const QByteArray left = RealFolder(leftFolder);
    const QByteArray right = RealFolder(rightFolder);
    quint64 devs[2] = {0, 0};
    if (const auto [old, swapped] = FindPair(db, left, right, devs); old != 0)
        Forget(db, old);
    Stmt pair(db, "INSERT INTO memory_pairs (left_folder, right_folder, left_dev, right_dev, stored, count, objects) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    bool ok = bool(pair);
    if (ok) {
        pair.Blob(1, left);
        pair.Blob(2, right);
        pair.Int(3, qint64(DeviceOfFolder(leftFolder)));
        pair.Int(4, qint64(DeviceOfFolder(rightFolder)));
        pair.Int(5, QDateTime::currentSecsSinceEpoch());
        pair.Int(6, count);
        pair.Blob(7, packed);
        ok = pair.Step() == SQLITE_DONE;
    }
    if (!ok) {
        Exec(db, "ROLLBACK");
        return false;
    }
    return Exec(db, "COMMIT");
}

namespace {

// A comparison's rows read against the memory.
class Noter final
{
public:
    Noter(const MemoryMap& memory, const QString& leftFolder, const QString& rightFolder)
        : m_memory(memory), m_base{Path::WithSlash(leftFolder), Path::WithSlash(rightFolder)}
    {
    }

    // A row, where it is (its path below the compared folder), and the side it is on.
    struct Place
    {
        ResultRow* row;
        QString path;
        bool left;
    };

    void Pair(ResultRow& l, const QString& lPath, ResultRow& r, const QString& rPath)
    {
        const bool lThere = IsRealRow(l);
        const bool rThere = IsRealRow(r);
        if (lThere && !rThere)
            Orphan({&l, lPath, true});
        else if (rThere && !lThere)
            Orphan({&r, rPath, false});
        else if (lThere && rThere
                 && (l.icon == Category::Newer || l.icon == Category::Older || l.icon == Category::Binary)) {
            if (Changed(l, lPath, true) && Changed(r, rPath, false)) {
                l.note = r.note = RowNote::Conflict;
                ++notes.conflicts;
            }
        }
    }

    // Moves: an object on one side only whose device and inode the memory knows under another name on the
    // same side, where that name is gone from this side and the other side still has it unchanged.
    void FindMoves()
    {
        if (m_orphans.empty())
            return;
        std::unordered_map<QString, Place*> byPath[2];
        for (Place& place : m_orphans)
            byPath[place.left ? 0 : 1].emplace(place.path, &place);
        for (Place& moved : m_orphans) {
            if (moved.row->note != RowNote::None)
                continue;
            const int side = moved.left ? 0 : 1;
            const MemoryState now = Current(moved.path, moved.left);
            if (!now.There())
                continue;
            const QString* was = KnownAs(now, moved.left);
            if (was == nullptr || *was == moved.path)
                continue;
            // The old name: on the other side only now (this side has let go of it), unchanged there.
            const auto old = byPath[1 - side].find(*was);
            if (old == byPath[1 - side].end())
                continue;
            const auto entry = m_memory.find(*was);
            if (entry == m_memory.end() || !StillAsRemembered(*was, !moved.left, moved.left ? entry->second.right : entry->second.left))
                continue;
            moved.row->note = RowNote::MovedFrom;
            moved.row->noteName = *was;
            if (old->second->row->note == RowNote::DeletedOnLeft || old->second->row->note == RowNote::DeletedOnRight)
                --notes.deleted;
            old->second->row->note = RowNote::MovedTo;
            old->second->row->noteName = moved.path;
            ++notes.moved;
        }
    }

    MemoryNotes notes;

private:
    void Orphan(const Place& place)
    {
        m_orphans.push_back(place);
        const auto entry = m_memory.find(place.path);
        if (entry == m_memory.end() || !entry->second.left.There() || !entry->second.right.There())
            return;
        // There on both sides at the last synchronization, unchanged on this side since: the other side
        // deleted it.
        if (!StillAsRemembered(place.path, place.left, place.left ? entry->second.left : entry->second.right))
            return;
        place.row->note = place.left ? RowNote::DeletedOnRight : RowNote::DeletedOnLeft;
        ++notes.deleted;
    }

    // Whether a row of a pair that differs changed since the memory: a file by its size and time, a path
    // the memory does not know on this side by being there.
    bool Changed(const ResultRow& row, const QString& path, bool left) const
    {
        const auto entry = m_memory.find(path);
        if (entry == m_memory.end())
            return true;
        const MemoryState& then = left ? entry->second.left : entry->second.right;
        if (!then.There() || then.kind == Kind::Folder)
            return true;
        return row.size != then.size || row.ticks != TicksOf(then);
    }

    MemoryState Current(const QString& path, bool left) const
    {
        struct stat st {};
        if (!StatPath(m_base[left ? 0 : 1] + path, st, false))
            return {};
        MemoryState s = StateOf(st);
        if (s.kind == Kind::Link)
            s.link = LinkTargetOf(m_base[left ? 0 : 1] + path);
        return s;
    }

    // An object (a folder with everything in it) still as the memory has it on that side.
    bool StillAsRemembered(const QString& path, bool left, const MemoryState& then)
    {
        const MemoryState now = Current(path, left);
        if (!Unchanged(now, then))
            return false;
        if (now.kind != Kind::Folder)
            return true;
        const SideWalk walk = WalkSide(m_base[left ? 0 : 1] + path);
        if (!walk.incomplete.empty())
            return false;
        const QString prefix = path + QLatin1Char('/');
        size_t remembered = 0;
        const std::vector<QString>& keys = SortedKeys();
        for (auto it = std::lower_bound(keys.begin(), keys.end(), prefix); it != keys.end() && it->startsWith(prefix); ++it) {
            const MemoryEntry& entry = m_memory.at(*it);
            const MemoryState& was = left ? entry.left : entry.right;
            if (!was.There())
                continue;
            ++remembered;
            const MemoryState* found = walk.Find(it->mid(prefix.size()));
            if (found == nullptr || !Unchanged(*found, was))
                return false;
        }
        return remembered == walk.objects.size();
    }

    const std::vector<QString>& SortedKeys()
    {
        if (m_sorted.empty() && !m_memory.empty()) {
            m_sorted.reserve(m_memory.size());
            for (const auto& [path, entry] : m_memory)
                m_sorted.push_back(path);
            std::sort(m_sorted.begin(), m_sorted.end());
        }
        return m_sorted;
    }

    // The path the memory knows an object under on a side, by its device and inode.
    const QString* KnownAs(const MemoryState& now, bool left)
    {
        auto& index = m_byInode[left ? 0 : 1];
        if (index.empty())
            for (const auto& [path, entry] : m_memory) {
                const MemoryState& s = left ? entry.left : entry.right;
                if (s.There())
                    index.emplace(InodeKey{s.dev, s.ino}, &path);
            }
        const auto it = index.find(InodeKey{now.dev, now.ino});
        return it == index.end() ? nullptr : it->second;
    }

    struct InodeKey
    {
        quint64 dev;
        quint64 ino;
        bool operator==(const InodeKey&) const = default;
    };
    struct InodeHash
    {
        size_t operator()(const InodeKey& k) const { return std::hash<quint64>()(k.ino * 1000003ULL ^ k.dev); }
    };

    const MemoryMap& m_memory;
    QString m_base[2];
    std::vector<Place> m_orphans;
    std::vector<QString> m_sorted;
    std::unordered_map<InodeKey, const QString*, InodeHash> m_byInode[2];
};

QString WithoutSlashes(const QString& text)
{
    QString t = text;
    while (t.startsWith(QLatin1Char('/')))
        t.remove(0, 1);
    while (t.endsWith(QLatin1Char('/')))
        t.chop(1);
    return t;
}

} // namespace

MemoryNotes NoteChangesSinceLastSync(const QString& appFolder, CompareResults& results)
{
    if (appFolder.isEmpty() || !QFileInfo::exists(QDir(appFolder).filePath(SyncJournal::FileName())))
        return {};
    SyncJournal journal(appFolder);
    if (!journal.IsOpen()) {
        MemoryNotes notes;
        notes.problem = journal.Problem();
        return notes;
    }
    const QString left = results.source.Path();
    const QString right = results.target.Path();
    const std::optional<MemoryMap> memory = SyncMemory(journal).Load(left, right);
    if (!memory)
        return {};
    Noter noter(*memory, left, right);
    const size_t rows = std::min(results.holdSource.size(), results.holdTarget.size());
    for (size_t i = 0; i < rows; ++i) {
        ResultRow& l = results.holdSource[i];
        ResultRow& r = results.holdTarget[i];
        noter.Pair(l, WithoutSlashes(l.text), r, WithoutSlashes(r.text));
    }
    for (CSubFolderDiffs& diffs : results.allSubFolderDiffs) {
        const QString leftPrefix = diffs.strSubFolderName() + QLatin1Char('/');
        const QString rightPrefix = diffs.TargetSubFolderName() + QLatin1Char('/');
        ResultList& one = diffs.DiffOneRows();
        ResultList& two = diffs.DiffTwoRows();
        const size_t n = std::min(one.size(), two.size());
        for (size_t i = 0; i < n; ++i)
            noter.Pair(one[i], leftPrefix + WithoutSlashes(one[i].text), two[i], rightPrefix + WithoutSlashes(two[i].text));
    }
    noter.FindMoves();
    noter.notes.used = true;
    return noter.notes;
}

QString RememberPair(SyncJournal& journal, const QString& leftFolder, const QString& rightFolder, PendingWalk* leftWalk,
                     PendingWalk* rightWalk)
{
    // Both sides at once: each walk waits on its own disk. A walk handed in is waited for (also when the
    // journal cannot be used, so that it never outlives the call).
    SideWalk left;
    std::thread other;
    const bool rightGiven = rightWalk != nullptr && rightWalk->valid();
    if (leftWalk != nullptr && leftWalk->valid())
        left = leftWalk->get();
    else if (journal.IsOpen() && rightGiven)
        left = WalkSide(leftFolder, nullptr, true); // the right one is walked already: both threads for this one
    else if (journal.IsOpen())
        other = std::thread([&] { left = WalkSide(leftFolder); });
    SideWalk right;
    if (rightWalk != nullptr && rightWalk->valid())
        right = rightWalk->get();
    else if (journal.IsOpen())
        right = WalkSide(rightFolder, nullptr, !other.joinable()); // the second core is free when the left needs no walk
    if (other.joinable())
        other.join();
    if (!journal.IsOpen())
        return journal.Problem();

    SyncMemory memory(journal);
    const MemoryList old = memory.LoadList(leftFolder, rightFolder).value_or(MemoryList{});
    const auto unseen = [](const SideWalk& walk, const QString& path) {
        for (const QString& folder : walk.incomplete)
            if (folder.isEmpty() || path == folder || (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/')))
                return true;
        return false;
    };
    // The three lists in path order, merged and packed as they come.
    Packer next(std::max(left.objects.size(), right.objects.size()) + 16);
    size_t l = 0, r = 0, o = 0;
    while (l < left.objects.size() || r < right.objects.size() || o < old.size()) {
        const QString* path = nullptr;
        const QString* candidates[] = {l < left.objects.size() ? &left.objects[l].first : nullptr,
                                       r < right.objects.size() ? &right.objects[r].first : nullptr,
                                       o < old.size() ? &old[o].first : nullptr};
        for (const QString* candidate : candidates)
            if (candidate != nullptr && (path == nullptr || PathLess(*candidate, *path)))
                path = candidate;
        const QString key = *path;
        MemoryEntry now;
        if (l < left.objects.size() && left.objects[l].first == key)
            now.left = std::move(left.objects[l++].second);
        if (r < right.objects.size() && right.objects[r].first == key)
            now.right = std::move(right.objects[r++].second);
        const MemoryEntry* was = o < old.size() && old[o].first == key ? &old[o++].second : nullptr;
        // What could not be seen is remembered as it was.
        if (was != nullptr && !left.incomplete.empty() && unseen(left, key))
            now.left = was->left;
        if (was != nullptr && !right.incomplete.empty() && unseen(right, key))
            now.right = was->right;
        if (was != nullptr && !Agree(now.left, now.right))
            next.Add(key, *was);
        else if (now.left.There() || now.right.There())
            next.Add(key, now);
    }
    if (!memory.StorePacked(leftFolder, rightFolder, next.Bytes(), next.Count()))
        return QStringLiteral("The memory of this synchronization could not be written to ") + journal.Path()
               + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(journal.Database()))
               + QStringLiteral(". The next comparison of these folders knows nothing of it.");
    return QString();
}
