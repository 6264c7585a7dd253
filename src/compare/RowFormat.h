#pragma once

#include "compare/ResultList.h"

#include <QLocale>
#include <QString>
#include <memory>

// Builds the texts of result rows: the size with the locale's digit grouping ("0" for an empty file) and
// the last-write time as the locale's general date/time in local time (short date, then the time with
// seconds). It runs once per row of a comparison, so the locale's patterns are taken apart once and
// the texts are built by hand; create one per run (or per thread) and reuse it.
class RowFormatter final
{
public:
    explicit RowFormatter(const QLocale& locale = QLocale());
    ~RowFormatter();
    RowFormatter(const RowFormatter&) = delete;
    RowFormatter& operator=(const RowFormatter&) = delete;

    QString SizeText(qint64 bytes) const;
    // utcTicks: 100-ns ticks since 1601 UTC. Shown in the local time of that moment (daylight saving as it
    // was then), the way every other program on the system shows file times.
    QString DateText(qint64 utcTicks);

    // The date/time pattern DateText follows (QLocale format letters).
    QString DateTimeFormat() const;

    // A file row: name, size and date texts, category.
    ResultRow FileRow(const QString& name, qint64 size, qint64 utcTicks, Category category);
    // The empty row that stands where one side has no object.
    static ResultRow PlaceholderRow() { return ResultRow(); }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// One-off conveniences (slower: they set up a formatter per call).
QString FormatSizeText(qint64 bytes);
QString FormatDateText(qint64 utcTicks);
