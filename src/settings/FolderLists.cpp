#include "settings/FolderLists.h"

#include "compare/CompareRun.h"
#include "platform/CIniFile.h"

namespace FolderLists {

QString Placeholder() { return FolderPathPrompt(); }

namespace {
QString DirKey(int i) { return QStringLiteral("Dir") + QString::number(i); }

// The settings file reads a one-character value back as the default, which would drop the root folder
// from a list; it is stored as "//", which names the same folder, and read back as "/".
const QString Root = QStringLiteral("/");
const QString StoredRoot = QStringLiteral("//");
} // namespace

QString WithTrailingSlash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

bool IsEntry(const QString& value) { return !value.isEmpty() && value != Placeholder(); }

QStringList ReadStored(CIniFile& ini, const QString& section)
{
    QStringList values;
    values.reserve(MaxFolders);
    for (int i = 1; i <= MaxFolders; ++i) {
        const QString value = ini.Get(section, DirKey(i), QString());
        values << (value == StoredRoot ? Root : value);
    }
    return values;
}

QStringList ReadEntries(CIniFile& ini, const QString& section)
{
    QStringList entries;
    for (const QString& value : ReadStored(ini, section)) {
        if (IsEntry(value))
            entries << value;
    }
    return entries;
}

void WriteStored(CIniFile& ini, const QString& section, const QStringList& values)
{
    for (int i = 1; i <= MaxFolders; ++i) {
        const QString value = i <= values.size() ? values.at(i - 1) : QString();
        ini.Set(section, DirKey(i), value == Root ? StoredRoot : value);
    }
}

QStringList MoveToTop(const QStringList& stored, const QString& path)
{
    QStringList moved{path};
    for (const QString& value : stored) {
        if (moved.size() == MaxFolders)
            break;
        // Every copy of the path goes, so a hand-edited duplicate cannot keep a second row.
        if (value != path)
            moved << value;
    }
    return moved;
}

} // namespace FolderLists
