#pragma once

#include <QString>
#include <QStringList>

// The list form of a filter text that the Options window edits.
namespace FilterTypeList {

// The entries of a filter text: each piece between commas, trimmed, in order; an empty piece is an
// empty entry, and an empty text has no entries.
QStringList Entries(const QString& text);
// The filter text of a list of entries: joined with "," and no blanks.
QString CreateStringFromList(const QStringList& entries);

} // namespace FilterTypeList
