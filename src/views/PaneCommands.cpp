#include "views/PaneCommands.h"

#include "views/PaneRows.h"

QString RowObjectPath(const QString& folder, const ResultRow& row)
{
    if (!IsRealRow(row) || folder.isEmpty())
        return {};
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + (row.IsFolder() ? row.text.mid(1) : row.text);
}
