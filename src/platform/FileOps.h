#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <memory>

class EventPump;
class ProgressSink;

// The file operations under every copy, move, delete and rename the user starts: one call handles a
// whole list of objects (files, folders, links) with one progress report and one cancel flag.
//
// What every operation promises:
// - Objects are handled in list order and the first failure stops the call. What was finished before
//   it stays finished; nothing after it is touched. Result says which listed objects were completed and
//   which object the failure was on.
// - No file is ever half. A copy writes into a hidden temporary file (".parvex-*.tmp") in the target's
//   own folder and renames it over the target only when every byte is in, so a full disk, a read error,
//   a cancel or a kill leaves the old target whole (or no target). Every failure that the process
//   survives removes the temporary file again; only a killed process can leave one behind.
// - A copy keeps what `cp -a` keeps: modification and access times (nanoseconds), permission bits,
//   extended attributes (user.* always, the others where the system lets us), the holes of a sparse
//   file, owner and group when running as root, and set-user-ID/set-group-ID only where the owner is
//   kept (root, or our own file). A folder gets its mode and times after its contents are in, and is made
//   with no more permissions than the source's, so a killed copy never exposes a private folder.
// - Symbolic links are objects of their own: a listed link and every link inside a folder is copied
//   as a link (the same target text), moved and deleted as a link and never followed.
// - Below the folders named in Control::roots no link is followed on the way to an object either: every
//   folder of the path after the root is opened from its parent's descriptor with O_NOFOLLOW, so a link
//   put in place of a folder is refused (ELOOP, ENOTDIR) instead of leading the call outside the tree.
// - FIFOs, sockets and devices are never opened: a copy makes them anew on the target (mknod, with the
//   source's mode and times); one that cannot be made (a device without root) is listed under
//   Result::skipped and the call goes on.
// - Folders are merged: a folder copied or moved onto an existing folder fills it, files of the same
//   name are replaced, other files stay. A folder onto a file, or a file onto a folder, is refused.
// - Two objects of one call that would land on the same name in one target folder (the same name from
//   two source folders, or names differing only in case on a file system that ignores case) never
//   overwrite each other: the first is copied, the second is listed under skipped.
// - Cancel is tested between objects and between chunks of a large file, after the pump has run.
// - Names are bytes: every path in and out is text in the reversible form of base/Path.h, so a name that
//   is not UTF-8 is copied, moved, trashed and reported under exactly its own bytes.
// - Paths of any length work: a folder whose path is too long for one system call is reached level by
//   level, and a failure names the object with the system's reason.
//
// Durability: files are not fsync'ed by default. The rename only ever publishes a complete file, and a
// plain copy leaves its source in place, so a power cut costs at most a copy that can be made again.
// A move across file systems deletes its sources only after a syncfs() of the target file system has
// succeeded, so the only copy of the data is never the one still in the page cache.
// Control::durable adds an fdatasync() of every copied file before its rename.
namespace FileOps {

struct Progress
{
    qint64 objectsDone = 0;  // files, links, folders and skipped objects, inside folders too
    qint64 objectsTotal = 0;
    qint64 bytesDone = 0;    // bytes of file data copied
    qint64 bytesTotal = 0;
    QString current;         // full path of the object being handled
};

class RunMemory;
class Keeper;

struct Control
{
    // Set by the user's Cancel; tested between objects and chunks.
    const std::atomic<bool>* cancel = nullptr;
    // Runs before every cancel test, so a window can repaint and see the Cancel button pressed.
    EventPump* pump = nullptr;
    // Gets one unit per object and per 64 KiB, so neither a tree of empty files nor one big file stands
    // still; the text is the current path.
    ProgressSink* sink = nullptr;
    // Called after every object and every chunk.
    std::function<void(const Progress&)> onProgress;
    // fdatasync() every copied file before it is renamed into place.
    bool durable = false;
    // Treat names that differ only in case as one name in every target folder. Without it the target
    // folder is asked: a second name counts as taken when it already reaches the first one's object.
    bool targetIgnoresCase = false;
    // The folders the user chose (the two compared folders): below them no link is followed.
    QStringList roots;
    // What the calls of one larger run share (see RunMemory); none for a call on its own.
    RunMemory* memory = nullptr;
    // Keeps what the calls replace and hears what they create (see Keeper); none: a replaced object is
    // gone once its successor is in.
    Keeper* keeper = nullptr;
};

// Where a kept object went: files/<name> of the trash folder trash, with its note info/<name>.trashinfo.
struct TrashPlace
{
    QString trash;
    QString name;
};

// What an object was when a call displaced or created it, for telling later whether it changed since.
struct Identity
{
    quint32 mode = 0;   // type and permission bits (st_mode)
    qint64 size = 0;
    qint64 mtimeNs = 0; // nanoseconds since 1970
    qint64 atimeNs = 0;
    quint64 ino = 0;
    quint64 dev = 0;
};

// A run that can be taken back: with Control::keeper set, an object a copy replaces is kept in the trash of
// its own file system instead of being destroyed. The new object is written whole under a temporary name
// (or none), the old one gets a second name in the trash (a hard link, with its note), and the new one is
// renamed over the old one: at no moment is there no whole object under the name, and a killed call leaves
// the old object in the trash or in place, never a second name of it beside the new one. Where the file
// system has no hard links, the old object is renamed into the trash just before the new one is renamed in. Where no trash takes it, the object is replaced as without a keeper, and
// Displaced says why. MoveToTrash, RemoveFolder and Restore report to it too.
class Keeper
{
public:
    virtual ~Keeper() = default;
    // The object at path goes to the trash at place (heard once its note is there and before the call
    // changes anything under path; where the object then stays, it is still at path), or, when error is not
    // 0, could not be kept and is about to be replaced or deleted for good.
    virtual void Displaced(const QString& path, const Identity& was, const TrashPlace& place, int error) = 0;
    // The call made the object at path (a copy, a link, a special file or a folder, inside copied folders too).
    virtual void Created(const QString& path, const Identity& made) = 0;
    // Objects a call is about to put under names that are free (in a folder it made, or a file copied
    // ahead), on a file system whose renames keep an object's identity: each path with the identity the
    // object will have there, heard all at once before any of them takes its name. Answers true once that
    // is kept; Created is then not called for those that go in under their name as planned. False: each
    // is heard of with Created as usual. An undo must read a name that holds another object, or none, as
    // one the object never took.
    struct Coming
    {
        QString path;
        Identity made;
    };
    virtual bool CreatingAhead(const std::vector<Coming>& objects)
    {
        Q_UNUSED(objects);
        return false;
    }
    // Displaced (error 0) and, at once, the object that is to take the name (with the identity it will have
    // there), before the new object takes the name. Answers true once both are kept; Created is then not
    // called for the new object. False: Displaced was called as usual, and Created follows the rename. An
    // undo must read a name that still holds the displaced object as a replacement that never took place.
    virtual bool Replacing(const QString& path, const Identity& was, const TrashPlace& place, const Identity& coming)
    {
        Q_UNUSED(coming);
        Displaced(path, was, place, 0);
        return false;
    }
    // The call is about to change something that no call above tells of beforehand (a file or folder made
    // under a name, a leftover removed, a probe file): what the keeper holds back must be kept now. The
    // other calls come before the change they tell of, except Created (after the object was made, where it
    // was not heard of ahead). A keeper that holds nothing back needs nothing here.
    virtual void Changing() {}
};

// The identity of the object at path (not followed); false when there is none.
bool IdentityOf(const QString& path, Identity& identity);

// What the calls of one synchronisation share, so that each call knows what the others did:
// - hard links: a file whose other name was copied earlier in the run becomes another link to that copy,
//   so hard-link groups among the copied files stay groups;
// - names: two calls that would put names differing only in case into one target folder that folds them
//   onto one object never overwrite each other (the second is skipped, NameTaken);
// - leftovers: the first call writing into a folder removes the temporary files (".parvex-PID-N.tmp") that
//   a killed run of this program left there, where their process is gone and the folder is local;
// - the two chosen folders, kept open: a call below them starts from them;
// - copies ahead: small files of later calls copied on a second thread (PrepareCopy).
class RunMemory final
{
public:
    RunMemory();
    ~RunMemory();
    Q_DISABLE_COPY_MOVE(RunMemory)

    // A copy of the file source to targetPath that a later call of the run will make, begun now on a
    // second thread: the file's data and metadata go into a temporary file in the target's folder (without
    // a name where the file system allows, else under a hidden one), which the call (CopyAs of the same two
    // paths) then only puts in place, if the source is still the file it sees and the target folder the one
    // it opens. Only small files of one name are copied ahead; any other, or a failure, is left to the
    // call. control gives the run's cancel flag, roots and durability.
    void PrepareCopy(const QString& source, const QString& targetPath, const Control& control);
    // Removes what was copied ahead and not (yet) used: before the run sets the times of the folders it
    // wrote into, since removing a temporary file would change them again. The destructor does the same.
    void DropPrepared();

    struct Impl;
    Impl& impl() { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

// Whether name is one of this program's temporary names (".parvex-PID-N.tmp"); pid receives PID.
bool IsTemporaryName(const char* name, long* pid = nullptr);

struct Skipped
{
    enum class Reason {
        SpecialFile,        // a FIFO, socket or device that could not be made on the target
        NameTaken,          // another object of this call (or of the run) already went to that name
        ChangedDuringMove,  // changed after it was copied, so its source was kept
    };
    QString path;
    Reason reason;
};

struct Result
{
    bool ok() const { return error == 0 && !aborted; }

    int error = 0;         // errno of the failure that stopped the call, 0 when none
    int number = 0;        // the program's failure number for it (53, 70, 76, ...), 0 when none
    QString errorText;     // strerror(error)
    QString failedPath;    // the object (or target folder) the failure was on
    bool aborted = false;  // the cancel flag stopped the call
    QStringList completed; // listed objects that were handled whole, in list order
    QList<Skipped> skipped;
    qint64 objectsDone = 0;
    qint64 bytesDone = 0;
};

// Copies each object into targetFolder under its own name.
Result Copy(const QStringList& objects, const QString& targetFolder, const Control& control = {});

// Moves each object into targetFolder: a rename within one file system; across file systems a copy
// whose source is deleted only after the whole object (a folder: everything in it) was copied. Objects
// that changed after they were copied, and skipped special files, stay in the source.
Result Move(const QStringList& objects, const QString& targetFolder, const Control& control = {});

// Copy and Move of one object (file, link or folder) to the full path targetPath, under that path's name,
// with everything promised above: what is there is replaced (a folder merged) only when the new object
// is whole, and a move across file systems deletes its source only after a syncfs() of the target and
// only where the source is still what was copied. The folder of targetPath must exist (MakeFolders).
// Another hard link of the source at targetPath is refused (EINVAL): there is nothing to copy, and a
// rename onto it would do nothing.
Result CopyAs(const QString& source, const QString& targetPath, const Control& control = {});
Result MoveAs(const QString& source, const QString& targetPath, const Control& control = {});

// Makes the folder path and every missing folder above it (mode 0777 less the umask). Folders that are
// there already are fine; a file (or a link to one) in the way is the failure, EEXIST on its path.
Result MakeFolders(const QString& path, const Control& control = {});

// Sends each object to the freedesktop trash of its own file system (see FileOpsTrash.h), by renaming:
// an object is never copied into a trash. An object no trash takes (another file system without a
// usable trash: EXDEV; an unwritable trash; a data folder that cannot be made) is reported and kept:
// nothing is ever deleted instead.
Result MoveToTrash(const QStringList& objects, const Control& control = {});

// Deletes each object and, for a folder, everything in it that was seen when the call began; something
// that appears meanwhile keeps its folder, which is reported as the failure (ENOTEMPTY).
Result DeletePermanently(const QStringList& objects, const Control& control = {});

// Removes the folder at path when it is empty; one that holds anything (objects the caller never saw) is
// kept and reported (ENOTEMPTY). A link or file in its place is refused (ENOTDIR).
Result RemoveFolder(const QString& path, const Control& control = {});

// Gives target the permission bits and times of source (and, running as root, its owner and group), as a
// copy would have: the folders a synchronisation wrote into, once their contents are in, and the mode of
// an equal file whose bits differ. A link keeps its bits; only its times are set.
Result CopyAttributes(const QString& source, const QString& target, const Control& control = {});

// Puts an object kept in the trash back at path (its folder must exist): a rename, never over anything
// (EEXIST when path is taken), then its note is removed. The object keeps its own mode and times.
// ENOENT: the trash no longer holds it.
Result RestoreFromTrash(const TrashPlace& place, const QString& path, const Control& control = {});

// Removes a trash entry that is only a second name of the object still at path (a replacement that was
// killed before its rename): nothing is lost, the object stays at path. Refused (ESTALE) when the entry is
// another object.
Result ForgetTrashLink(const TrashPlace& place, const QString& path, const Control& control = {});

// Gives the object at path the permission bits of mode and the two times (a link: only the times).
Result SetModeAndTimes(const QString& path, const Identity& to, const Control& control = {});

// Gives object a new name in its own folder. An existing object of that name is never replaced (EEXIST);
// a name with "/" or "." or ".." is refused (EINVAL).
Result Rename(const QString& object, const QString& newName, const Control& control = {});

// Writes bytes as the whole new contents of the file at path: into a temporary file in the same folder,
// fsync'ed, with the old file's permission bits (and owner and group where we may give them, and its
// extended attributes), then renamed over it, so the name holds the old file or the new one, never half
// of either. A missing file is made (mode 0666 less the umask). With expected, the file on disk must
// still be that object (same inode, size and modification time), otherwise nothing is written and the
// failure is ESTALE; a folder or a link at path is refused (EISDIR, ELOOP).
Result WriteWhole(const QString& path, const QByteArray& bytes, const Identity* expected, const Control& control = {});

} // namespace FileOps
