#include "compare/ResultList.h"

#include <array>

namespace {
const std::array<QString, CategoryCount + 1>& Keys()
{
    static const std::array<QString, CategoryCount + 1> keys = {
        QString(),
        QStringLiteral("Newer"),
        QStringLiteral("Older"),
        QStringLiteral("Same"),
        QStringLiteral("Orphan"),
        QStringLiteral("Binary"),
        QStringLiteral("IdenticalFolder"),
        QStringLiteral("DifferentFolder"),
        QStringLiteral("OrphanFolder"),
    };
    return keys;
}
} // namespace

QString CategoryKey(Category category)
{
    const int i = static_cast<int>(category);
    return i >= 0 && i <= CategoryCount ? Keys()[static_cast<size_t>(i)] : QString();
}

Category CategoryFromKey(const QString& key)
{
    for (int i = 1; i <= CategoryCount; ++i)
        if (Keys()[static_cast<size_t>(i)] == key)
            return static_cast<Category>(i);
    return Category::None;
}

bool IsRealRow(const ResultRow& row)
{
    return !row.text.isEmpty() && row.text != NoComparisonResultsText();
}

QString RowObjectPath(const QString& folder, const ResultRow& row)
{
    if (!IsRealRow(row) || folder.isEmpty())
        return {};
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + (row.IsFolder() ? row.text.mid(1) : row.text);
}
