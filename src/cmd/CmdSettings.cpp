#include "cmd/CmdSettings.h"

#include "compare/CCompare.h"

#include <QFile>
#include <QHash>

namespace {
// Keys of one section, names folded to lower case as the file's names match without regard to case.
QHash<QString, QString> ReadSection(const QString& iniFile, const QString& section)
{
    QHash<QString, QString> keys;
    QFile f(iniFile);
    if (!f.open(QIODevice::ReadOnly))
        return keys;
    bool inSection = false;
    const QString wanted = section.toLower();
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2).trimmed().toLower() == wanted;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return keys;
}

class Section
{
public:
    explicit Section(QHash<QString, QString> keys) : m_keys(std::move(keys)) {}

    // A stored value shorter than two characters reads as the default, as the settings file class does.
    QString Text(const char* key, const QString& fallback) const
    {
        const QString v = m_keys.value(QString::fromLatin1(key).toLower());
        return v.size() < 2 ? fallback : v;
    }
    bool Flag(const char* key, bool fallback) const
    {
        return Text(key, fallback ? QStringLiteral("True") : QStringLiteral("False")) == QLatin1String("True");
    }

private:
    QHash<QString, QString> m_keys;
};
} // namespace

void ApplyCompareSettingsFromIni(const QString& iniFile, CCompare& compare)
{
    const Section options(ReadSection(iniFile, QStringLiteral("Options")));
    compare.SetCompareSubFolders(options.Flag("CompareSubFolders", true));

    const QString type = options.Text("CompareType", QStringLiteral("Quick"));
    int32_t method = CCompare::Quick;
    if (type == QLatin1String("SHA"))
        method = CCompare::SHA;
    else if (type == QLatin1String("Thorough"))
        method = CCompare::ThoroughString;
    else if (type == QLatin1String("CRC"))
        method = CCompare::ThoroughCRC;
    compare.SetCompareMethod(method);

    bool ok = false;
    const int chunk = options.Text("ChunkSize", QStringLiteral("500000")).toInt(&ok);
    compare.SetChunkSize(ok && chunk > 0 ? chunk : 500000);

    compare.SetExcludeSystemFiles(options.Flag("ExcludeSystemFiles", false));
    compare.SetExcludeHiddenFiles(options.Flag("ExcludeHiddenFiles", false));
    compare.SetExcludeSystemFolders(options.Flag("ExcludeSystemFolders", false));
    compare.SetExcludeHiddenFolders(options.Flag("ExcludeHiddenFolders", false));
    compare.SetRemindAboutFATNTFSIssue(options.Flag("RemindAboutFATNTFSIssue", true));
    compare.SetIgnoreFAT_NTFS_TwoSecDiff(options.Flag("Ignore2SecDiff", true));
    compare.SetIgnoreFAT_NTFS_DaylightSavings(options.Flag("IgnoreDaylightSavings", false));
    compare.SetIncludeFilters(options.Text("IncludeFileTypes", QString()));
    compare.SetExcludeFilters(options.Text("ExcludeFileTypes", QString()));
}
