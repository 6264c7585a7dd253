#include "model/FilterCriteria.h"

#include "base/ErrorHandler.h"
#include "base/Failure.h"

#include <QLocale>

namespace {

const int TypeMismatch = 13;

Failure TypeMismatchFailure()
{
    return Failure(TypeMismatch, QStringLiteral("Type mismatch"));
}

template <typename V>
bool Compare(const V& fileValue, const V& criterionValue, int criterion)
{
    switch (criterion) {
    case 0: return fileValue == criterionValue;
    case 1: return fileValue > criterionValue;
    case 2: return fileValue < criterionValue;
    default: return false;
    }
}

qint64 WholeSeconds(const QDateTime& t) { return t.toSecsSinceEpoch(); }

} // namespace

bool FileMatchesSizeCriteria(ErrorHandler& errors, const QString& sizeText, qint64 fileSize, int criterion)
{
    try {
        if (sizeText.isEmpty())
            return false;
        const QString text = sizeText.trimmed();
        bool ok = false;
        // Whole numbers are compared exactly (file sizes exceed a double's 53 bits of integer precision).
        qint64 whole = QLocale::system().toLongLong(text, &ok);
        if (!ok)
            whole = QLocale::c().toLongLong(text, &ok);
        if (ok)
            return Compare(fileSize, whole, criterion);
        double number = QLocale::system().toDouble(text, &ok);
        if (!ok)
            number = QLocale::c().toDouble(text, &ok);
        if (!ok)
            throw TypeMismatchFailure();
        return Compare(static_cast<double>(fileSize), number, criterion);
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("modParvex.FileMatchesSizeCriteria"));
        return false;
    }
}

std::optional<QDateTime> ReadUserDateTime(const QString& input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale locale;
    for (const QLocale::FormatType form : {QLocale::ShortFormat, QLocale::LongFormat}) {
        QDateTime t = locale.toDateTime(text, form);
        if (!t.isValid()) {
            const QDate d = locale.toDate(text, form);
            if (d.isValid())
                t = d.startOfDay();
        }
        if (t.isValid()) {
            // Qt reads a two-digit year as 19yy; a user typing 3/5/24 means this century.
            const QString format = locale.dateFormat(form);
            if (format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy")) && t.date().year() < 1950)
                t = t.addYears(100);
            return t;
        }
    }
    for (const Qt::DateFormat form : {Qt::ISODateWithMs, Qt::ISODate, Qt::TextDate, Qt::RFC2822Date}) {
        const QDateTime t = QDateTime::fromString(text, form);
        if (t.isValid())
            return t.timeSpec() == Qt::LocalTime ? t : t.toLocalTime();
        const QDate d = QDate::fromString(text, form);
        if (d.isValid())
            return d.startOfDay();
    }
    // ISO with a blank between date and time, with or without seconds.
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm"}) {
        const QDateTime t = QDateTime::fromString(text, QLatin1String(format));
        if (t.isValid())
            return t;
    }
    return std::nullopt;
}

bool FileMatchesDateCriteria(ErrorHandler& errors, const QString& dateText, const QDateTime& fileDate, int criterion)
{
    try {
        if (dateText.isEmpty())
            return false;
        const std::optional<QDateTime> wanted = ReadUserDateTime(dateText);
        if (!wanted)
            throw TypeMismatchFailure();
        return Compare(WholeSeconds(fileDate), WholeSeconds(*wanted), criterion);
    } catch (...) {
        errors.HandleUnexpectedError(QStringLiteral("modParvex.FileMatchesDateCriteria"));
        return false;
    }
}
