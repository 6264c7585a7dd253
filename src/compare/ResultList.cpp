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

QString RowNoteText(const ResultRow& row)
{
    switch (row.note) {
    case RowNote::None: break;
    case RowNote::DeletedOnLeft: return QStringLiteral("Deleted on the left since the last synchronization");
    case RowNote::DeletedOnRight: return QStringLiteral("Deleted on the right since the last synchronization");
    case RowNote::MovedFrom: return QStringLiteral("Moved from ") + row.noteName;
    case RowNote::MovedTo: return QStringLiteral("Moved to ") + row.noteName + QStringLiteral(" on the other side");
    case RowNote::Conflict: return QStringLiteral("Changed on both sides since the last synchronization");
    }
    return {};
}
