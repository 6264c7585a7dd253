#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

// The freedesktop trash as FileOps uses it; no other code calls this.
//
// An object goes to the trash of its own file system: the user's trash in the data folder when that is
// on the same file system, otherwise a trash at the top of the object's file system ($topdir/.Trash/$uid
// when .Trash is a sticky folder and not a link, else $topdir/.Trash-$uid). Its note in info/ is created
// first and exclusively, under a name no other object of that trash has, so that the object is never
// in files/ without saying where it came from; then the object is renamed into files/. The object is
// never copied: where no trash of its file system can be had, or the rename is refused, the note is
// removed again and the object stays where it was.
namespace FileOpsTrash {

struct Placed
{
    QByteArray trash; // the trash folder (holding files/ and info/)
    QByteArray name;  // the object's name in files/; its note is info/<name>.trashinfo
};

// How Put hands the object to the trash: renamed into it, or given a second name there (a hard link) while
// it stays where it is.
enum class Hand { Rename, Link };

// The trash folders Put found, kept open for the next objects of the same file system: a run hands
// thousands of objects to one or two trashes. A trash found missing since (its files/ or info/ removed)
// is looked for again. Used by one thread at a time.
class KnownTrashes final
{
public:
    KnownTrashes();
    ~KnownTrashes();
    KnownTrashes(const KnownTrashes&) = delete;
    KnownTrashes& operator=(const KnownTrashes&) = delete;

    struct Impl;
    Impl& impl() { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

// Trashes the object name of the folder open at folderFd. path is the object's absolute path (bytes), as
// the note keeps it (and whose last name the trash entry is called after); dataFolder is the user's data
// folder, made when missing. known: the trashes found before (none: looked for anew). placing hears where
// the object goes once its note is written, before the object is handed over (a failure after it leaves the
// object where it was). Answers 0 or the errno.
int Put(int folderFd, const QByteArray& name, const QByteArray& path, const QByteArray& dataFolder,
        Placed* placed = nullptr, Hand hand = Hand::Rename, KnownTrashes* known = nullptr,
        const std::function<void(const Placed&)>& placing = {});

// Takes the object of the entry name of the trash folder trash out to the name as of the folder open at
// folderFd (never over an existing object: EEXIST), then removes its note. ENOENT: no such entry.
int Take(const QByteArray& trash, const QByteArray& name, int folderFd, const QByteArray& as);

// Removes the entry name of the trash folder trash and its note.
int Remove(const QByteArray& trash, const QByteArray& name);

// The percent-encoded form of a path as a note's "Path=" keeps it: every byte but letters, digits,
// "-._~" and "/" as %XX.
QByteArray EncodeNotePath(const QByteArray& path);

} // namespace FileOpsTrash
