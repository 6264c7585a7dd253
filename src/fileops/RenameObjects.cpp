#include "fileops/RenameObjects.h"

#include "base/Path.h"
#include "base/UserDialogs.h"
#include "model/FolderListing.h"
#include "model/NameFold.h"
#include "platform/ParvexLib.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr int MaxNumberLength = 255; // the longest name a Linux file system takes, in bytes

QString Bare(const QString& rowName) { return rowName.startsWith(QLatin1Char('/')) ? rowName.mid(1) : rowName; }

// Files and folders share one name space on disk, so they are keyed alike.
QString Key(const QString& rowName) { return Bare(rowName).toCaseFolded(); }

bool UsableName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

// Whether both paths reach one object that has no other name: a second hard link is another name that
// a rename must not go onto.
bool SameSingleObject(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::lstat(EncodeFileName(a).constData(), &sa) == 0 && ::lstat(EncodeFileName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && (S_ISDIR(sa.st_mode) || sa.st_nlink == 1);
}

// A count per name: removing one spelling of a name leaves the others that a case-sensitive folder holds.
// A name listed twice in one spelling (by the results and by the folder) is one object.
class NameCounts
{
public:
    explicit NameCounts(const QStringList& names)
    {
        QSet<QString> spellings;
        for (const QString& name : names)
            spellings.insert(Bare(name));
        for (const QString& name : spellings)
            ++m_counts[Key(name)];
    }
    bool Has(const QString& name) const { return m_counts.contains(Key(name)); }
    void Add(const QString& name) { ++m_counts[Key(name)]; }
    void Remove(const QString& name)
    {
        const auto it = m_counts.find(Key(name));
        if (it != m_counts.end() && --it.value() <= 0)
            m_counts.erase(it);
    }

private:
    QHash<QString, int> m_counts;
};

FileOps::Result Refused(int error, const QString& path)
{
    FileOps::Result result;
    result.error = error;
    result.errorText = QString::fromLocal8Bit(std::strerror(error));
    result.failedPath = path;
    return result;
}

} // namespace

QStringList CapitalizationTexts()
{
    return {QStringLiteral("Leave Unchanged"), QStringLiteral("Upper Case"), QStringLiteral("Lower Case"),
            QStringLiteral("Proper Case"), QStringLiteral("Toggle Case")};
}

QString ConflictText(RenameConflict conflict)
{
    switch (conflict) {
    case RenameConflict::No: return QStringLiteral("No");
    case RenameConflict::Yes: return QStringLiteral("Yes");
    case RenameConflict::Unchanged: break;
    }
    return QStringLiteral("Unchanged");
}

QString RevisedName(const ParvexLib& lib, const QString& name, const RenameRules& rules, qint64 number)
{
    QString work = name;
    if (rules.removeSpaces)
        work = lib.RemoveInternalSpaces(work);
    if (rules.removeExtension)
        work = lib.RemoveFilenameExtension(work);
    switch (rules.capitalization) {
    case Capitalization::UpperCase: work = work.toUpper(); break;
    case Capitalization::LowerCase: work = work.toLower(); break;
    case Capitalization::ProperCase: work = lib.ProperCase(work); break;
    case Capitalization::ToggleCase: work = lib.ToggleCase(work); break;
    case Capitalization::LeaveUnchanged: break;
    }
    if (rules.fileName)
        work = lib.ReplaceFileName(work, *rules.fileName);
    if (rules.extension) {
        QString extension = *rules.extension;
        if (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        work = lib.ReplaceExtension(work, extension);
    }
    if (rules.prefix)
        work = *rules.prefix + work;
    if (rules.suffix)
        work = lib.AddSuffixToFileName(work, *rules.suffix);
    if (rules.numbering) {
        const QString digits = QString::number(number).rightJustified(rules.numbering->length, QLatin1Char('0'));
        work = rules.numbering->replaceExtension ? lib.ReplaceExtension(work, digits) : lib.ReplaceFileName(work, digits);
    }
    return work;
}

std::vector<RenamePreviewRow> PreviewRenames(const ParvexLib& lib, const QStringList& originals,
                                             const QStringList& folderNames, const RenameRules& rules)
{
    std::vector<RenamePreviewRow> rows;
    rows.reserve(size_t(originals.size()));
    NameCounts taken(folderNames);
    qint64 number = rules.numbering ? rules.numbering->startsWith : 0;
    for (const QString& old : originals) {
        const bool folder = old.startsWith(QLatin1Char('/'));
        const QString bare = RevisedName(lib, Bare(old), rules, number);
        // A sequence that would run past the largest number stays there: its rows then share a name and
        // conflict, rather than wrapping round to names of earlier rows.
        if (rules.numbering && __builtin_add_overflow(number, rules.numbering->increment, &number))
            number = std::numeric_limits<qint64>::max();
        RenamePreviewRow row{old, folder ? QLatin1Char('/') + bare : bare, RenameConflict::No};
        taken.Remove(old);
        if (row.revised == old) {
            row.conflict = RenameConflict::Unchanged;
            taken.Add(old);
        } else if (!UsableName(bare) || taken.Has(row.revised)) {
            // The object keeps its name, so later rows must not take it.
            row.conflict = RenameConflict::Yes;
            taken.Add(old);
        } else {
            taken.Add(row.revised);
        }
        rows.push_back(row);
    }
    return rows;
}

QStringList NamesInFolder(const QString& folder)
{
    // Listed as the bytes they are: QDir would read a name that is not UTF-8 as another name, and the
    // conflict test would miss the object that really holds it.
    const FolderListing listing(folder);
    QStringList names;
    names.reserve(listing.Count());
    for (qsizetype i = 0; i < listing.Count(); ++i)
        names << listing.Name(i);
    return names;
}

FileOps::Result RenameObject(const QString& folder, const QString& oldName, const QString& newName)
{
    const QString object = folder + oldName;
    const bool caseOnly = oldName != newName && EqualIgnoringCase(oldName, newName);
    // Both spellings reach the object: the file system ignores case, and may not take a new spelling of
    // a name in place.
    if (!caseOnly || !SameSingleObject(object, folder + newName))
        return FileOps::Rename(object, newName);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString temporary =
            QStringLiteral(".parvex-rename-") + QString::number(QRandomGenerator::global()->generate64(), 16);
        const FileOps::Result first = FileOps::Rename(object, temporary);
        if (first.error == EEXIST)
            continue;
        if (!first.ok())
            return first;
        FileOps::Result second = FileOps::Rename(folder + temporary, newName);
        if (!second.ok()) {
            const FileOps::Result back = FileOps::Rename(folder + temporary, oldName);
            second.failedPath = back.ok() ? object : folder + temporary;
        }
        return second;
    }
    return Refused(EEXIST, object);
}

RenameReport RenameObjects(const QString& folder, const std::vector<RenamePreviewRow>& rows,
                           const std::function<void(int)>& progress)
{
    RenameReport report;
    int done = 0;
    for (const RenamePreviewRow& row : rows) {
        if (row.conflict == RenameConflict::No) {
            if (RenameObject(folder, Bare(row.original), Bare(row.revised)).ok())
                ++report.renamed;
            else
                report.problems << folder + Bare(row.original);
        }
        if (progress)
            progress(++done);
    }
    return report;
}

QString NumberBoxDefault(NumberBox box, bool replaceExtension)
{
    if (box == NumberBox::Length)
        return replaceExtension ? QStringLiteral("3") : QStringLiteral("8");
    return QStringLiteral("1");
}

std::optional<qint64> NumberBoxValue(NumberBox box, const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    switch (box) {
    case NumberBox::Length:
        if (value < 1 || value > MaxNumberLength)
            return std::nullopt;
        break;
    case NumberBox::StartsWith:
        if (value < 0)
            return std::nullopt;
        break;
    case NumberBox::Increment:
        if (value < 1)
            return std::nullopt;
        break;
    }
    return value;
}

QString NumberBoxMessage(NumberBox box, const QString& text)
{
    QString what;
    switch (box) {
    case NumberBox::Length: what = QStringLiteral("is not a valid length value."); break;
    case NumberBox::StartsWith: what = QStringLiteral("is not a valid starting value."); break;
    case NumberBox::Increment: what = QStringLiteral("is not a valid increment value."); break;
    }
    return QLatin1Char('"') + text + QStringLiteral("\" ") + what + CrLf + QStringLiteral("Please enter a positive whole number.")
           + CrLf;
}

bool RenameOneObject(UserDialogs& dialogs, const QString& folder, const QString& rowName)
{
    const bool isFolder = rowName.startsWith(QLatin1Char('/'));
    const QString current = Bare(rowName);
    const std::optional<QString> answer = dialogs.InputBox(QStringLiteral("Enter the new name for the object."),
                                                           QStringLiteral("Rename File/Folder"), current);
    if (!answer || answer->isEmpty())
        return false;
    // A folder's name typed the way its row shows it.
    const QString name = isFolder ? Bare(*answer) : *answer;
    if (name == current)
        return false;
    const FileOps::Result result = RenameObject(folder, current, name);
    if (result.ok())
        return true;
    dialogs.Message(QString::number(result.error) + QStringLiteral(" - ") + result.errorText + CrLf + CrLf + folder + current,
                    QStringLiteral("API Error"), UserDialogs::Icon::Warning);
    return false;
}
