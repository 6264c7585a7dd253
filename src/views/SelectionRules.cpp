#include "views/SelectionRules.h"

#include "base/ErrorHandler.h"
#include "model/FilterCriteria.h"
#include "model/Filters.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

// Wizard operator to the criterion of the size and date tests (1 the file's value greater or later,
// 2 less or earlier).
int Criterion(int wizardOperator) { return wizardOperator == 1 ? 2 : wizardOperator == 2 ? 1 : 0; }

// Folder rows carry no time stamp of their own (a tick count of 0, which would read as the epoch), so
// a date criterion never picks them: "is before" a date would otherwise take every sub-folder, and a
// Delete that follows would act on whole trees. Any other row without a time stamp is treated alike.
bool HasNoDate(const ResultRow& row)
{
    return row.IsFolder() || row.icon == Category::IdenticalFolder || row.icon == Category::DifferentFolder
           || row.icon == Category::OrphanFolder || row.ticks == 0;
}

QDate RowDate(const ResultRow& row)
{
    // A row's date is the date part of its time stamp: ticks are 100 ns since 1601.
    if (row.ticks == 0)
        return {};
    const qint64 msecs = (row.ticks - 116444736000000000LL) / 10000;
    return QDateTime::fromMSecsSinceEpoch(msecs).date();
}

} // namespace

std::vector<int> RowsMatchingSelection(const ResultList& hold, const PaneRows& rows, const SelectCriteria& c,
                                       ErrorHandler& errors, const QDate& today)
{
    bool sizeNumber = false;
    const qint64 size = c.byteSize.trimmed().toLongLong(&sizeNumber);
    const bool sizeActive = sizeNumber && size >= 0;
    const bool dateActive = !c.dateText.isEmpty() && !(c.dateOperator == 1 && c.date == today.addDays(1));
    QStringList patterns;
    ParseFilterList(patterns, c.patterns.trimmed().isEmpty() ? QStringLiteral("*") : c.patterns);
    const bool everything = patterns.size() == 1 && patterns.front() == QLatin1String("*");
    const FilterSet filters(patterns);
    CategoryFlags categories = c.categories;
    if (std::none_of(categories.begin(), categories.end(), [](bool b) { return b; }))
        categories.fill(true);

    std::vector<int> picked;
    for (std::size_t v = 0; v < rows.size(); ++v) {
        if (rows[v] == EmptyRow || static_cast<std::size_t>(rows[v]) >= hold.size())
            continue;
        const ResultRow& row = hold[static_cast<std::size_t>(rows[v])];
        const int category = static_cast<int>(row.icon);
        if (category < 1 || category > CategoryCount || !categories[static_cast<std::size_t>(category - 1)] || !IsRealRow(row))
            continue;
        if (!everything) {
            const bool matches = row.IsFolder() ? filters.MatchesAnyFolder(QStringView(row.text).mid(1))
                                                : filters.MatchesAny(row.text);
            if (!matches)
                continue;
        }
        // A folder row's size is the total of the files below it, the figure its Size column shows, so the
        // size criterion tests that total.
        if (sizeActive && !FileMatchesSizeCriteria(errors, c.byteSize.trimmed(), row.size, Criterion(c.sizeOperator)))
            continue;
        if (dateActive && HasNoDate(row))
            continue;
        if (dateActive
            && !FileMatchesDateCriteria(errors, c.dateText, QDateTime(RowDate(row), QTime(0, 0)), Criterion(c.dateOperator)))
            continue;
        picked.push_back(static_cast<int>(v));
    }
    return picked;
}

std::vector<std::pair<int, int>> RowRuns(const std::vector<int>& rows)
{
    std::vector<std::pair<int, int>> runs;
    for (const int r : rows) {
        if (!runs.empty() && runs.back().second + 1 == r)
            runs.back().second = r;
        else
            runs.emplace_back(r, r);
    }
    return runs;
}

QStringList FileTypeEntries(const ResultList& hold)
{
    QStringList entries{QStringLiteral("All Files  (*)")};
    QSet<QString> seen;
    for (const ResultRow& row : hold) {
        if (!IsRealRow(row) || row.IsFolder())
            continue;
        const qsizetype dot = row.text.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0 || dot + 1 >= row.text.size())
            continue;
        const QString extension = row.text.mid(dot + 1);
        const QString key = extension.toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        entries << extension.toUpper() + QStringLiteral(" Files  (*.") + extension + QLatin1Char(')');
    }
    entries << QStringLiteral("User-defined...");
    return entries;
}

QString PatternsOfEntries(const QStringList& entries)
{
    QStringList parts;
    for (const QString& entry : entries) {
        const qsizetype open = entry.indexOf(QLatin1Char('('));
        const qsizetype close = entry.lastIndexOf(QLatin1Char(')'));
        if (open >= 0 && close > open)
            parts << entry.mid(open + 1, close - open - 1);
    }
    return parts.join(QLatin1Char(','));
}
