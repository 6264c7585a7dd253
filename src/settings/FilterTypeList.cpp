#include "settings/FilterTypeList.h"

namespace FilterTypeList {

QStringList Entries(const QString& text)
{
    QStringList entries;
    if (text.isEmpty())
        return entries;
    // Every piece is ended by a comma; the text's last piece by the one added here.
    const QStringList pieces = (text + QLatin1Char(',')).split(QLatin1Char(','));
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        entries << pieces.at(i).trimmed();
    return entries;
}

QString CreateStringFromList(const QStringList& entries) { return entries.join(QLatin1Char(',')); }

} // namespace FilterTypeList
