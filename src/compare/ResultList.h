#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// Result categories: the 1-based image index a result row stores, with its key.
enum class Category : int {
    None = 0, // placeholder row
    Newer = 1,
    Older = 2,
    Same = 3,
    Orphan = 4,
    Binary = 5,
    IdenticalFolder = 6,
    DifferentFolder = 7,
    OrphanFolder = 8,
};
constexpr int CategoryCount = 8;

// "Newer", "Older", ..., "OrphanFolder"; empty for None.
QString CategoryKey(Category category);
// The category of a key, None for an unknown key.
Category CategoryFromKey(const QString& key);

// What the memory of the pair's last synchronisation adds to a row (see sync/SyncMemory.h). A row of an
// object present on one side only may be one the other side deleted since, or one end of a move; a pair
// that differs may have changed on both sides since (a conflict).
enum class RowNote : quint8 {
    None = 0,
    DeletedOnLeft,  // on the right row: the left deleted its counterpart since the last synchronization
    DeletedOnRight, // on the left row: the right deleted its counterpart since the last synchronization
    MovedFrom,      // this side moved the object here from noteName since the last synchronization
    MovedTo,        // the other side moved its counterpart of this object to noteName since then
    Conflict,       // both rows: changed on both sides since the last synchronization
};

// One row of a result list. A placeholder row (the side where the object does not exist) has empty texts
// and Category::None. A row whose text begins with "/" is a folder row.
struct ResultRow
{
    QString text;     // file name, or "/" + sub-folder name
    QString sizeText; // byte count with the locale's digit grouping; a folder row: its total size
    QString dateText; // last-write time in local time, the locale's general date/time
    Category icon = Category::None;
    bool selected = false;
    qint64 size = 0;  // the bytes behind sizeText
    qint64 ticks = 0; // last-write time stamp, 100-ns ticks since 1601 UTC (0 for folders/placeholders)
    quint16 mode = 0; // permission bits with set-ID and sticky (07777) of a file row; 0 when not known
    // The contents were to be compared but could not be read: the category comes from size and time alone,
    // so a "Same" row is not known to hold the same bytes.
    bool unreadable = false;
    RowNote note = RowNote::None;
    // A move's other name: the path below the compared folder, as the side it is on spells it.
    QString noteName;

    bool IsPlaceholder() const { return text.isEmpty(); }
    bool IsFolder() const { return text.startsWith(QLatin1Char('/')); }
};

// The hidden hold lists and the visible panes are one plain type: rows in order. Row i of the left list
// and row i of the right list always describe the same name.
using ResultList = std::vector<ResultRow>;

// The text of the single row a pane shows before any comparison and after the results are cleared.
inline QString NoComparisonResultsText() { return QStringLiteral("No Comparison Results"); }

// The sentence a row's note shows in its tooltip ("Deleted on the left since the last synchronization",
// "Moved from old.txt", ...); empty for none.
QString RowNoteText(const ResultRow& row);

// Whether a row counts as a real result: neither an empty placeholder nor "No Comparison Results".
bool IsRealRow(const ResultRow& row);

// The full path of a row's object in folder (with or without a trailing "/"); a folder row's leading "/"
// is not doubled. Empty for a placeholder row and for "No Comparison Results": their path would be the
// folder itself.
QString RowObjectPath(const QString& folder, const ResultRow& row);
