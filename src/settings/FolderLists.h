#pragma once

#include <QString>
#include <QStringList>

class CIniFile;

// The recently compared folders of the two folder boxes, kept in the settings file as "Dir1" (the most
// recent) to "Dir20" of the sections "Source" and "Target". Paths keep their own spelling and are told
// apart exactly, since letter case makes a different folder here.
namespace FolderLists {

constexpr int MaxFolders = 20;
inline QString SourceSection() { return QStringLiteral("Source"); }
inline QString TargetSection() { return QStringLiteral("Target"); }
// The item a folder box shows while its list is empty (the comparison's folder prompt); never an entry
// of a list.
QString Placeholder();

// path with a trailing "/" (an empty path stays empty).
QString WithTrailingSlash(const QString& path);
// Whether a stored value is an entry: neither empty nor the placeholder.
bool IsEntry(const QString& value);

// The 20 stored values of a list in key order, empty values and placeholders included.
QStringList ReadStored(CIniFile& ini, const QString& section);
// The entries of a list in key order.
QStringList ReadEntries(CIniFile& ini, const QString& section);
// Writes values to "Dir1".."Dir20"; keys beyond the given values get empty values.
void WriteStored(CIniFile& ini, const QString& section, const QStringList& values);

// The stored values after path moved to the top: path first, then the old values in order without any
// equal to path, cut to 20. Empty old values keep their places.
QStringList MoveToTop(const QStringList& stored, const QString& path);

} // namespace FolderLists
