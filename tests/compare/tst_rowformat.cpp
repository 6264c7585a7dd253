#include "compare/RowFormat.h"
#include "compare/TimeRules.h"
#include "TimeZoneScope.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

// The row formatter builds sizes and dates by hand in a buffer where the locale allows; whatever way it
// takes, the texts must be the locale's own.
namespace {

// Locales with group separators of one and of several bytes, other digits, other groupings, and 12-hour
// clocks whose day halves come before or after the time, in capitals or not.
std::vector<QLocale> Locales()
{
    return {QLocale::c(),
            QLocale(QLocale::English, QLocale::UnitedStates),
            QLocale(QLocale::English, QLocale::Australia),
            QLocale(QLocale::French, QLocale::France),
            QLocale(QLocale::German, QLocale::Switzerland),
            QLocale(QLocale::Spanish, QLocale::Mexico),
            QLocale(QLocale::Hindi, QLocale::India),
            QLocale(QLocale::Arabic, QLocale::SaudiArabia),
            QLocale(QLocale::Chinese, QLocale::Taiwan),
            QLocale(QLocale::Greek, QLocale::Greece),
            QLocale(QLocale::Russian, QLocale::Russia)};
}

} // namespace

TEST(RowFormat, SizesAreTheLocalesGroupedNumbers)
{
    QRandomGenerator random(7);
    std::vector<qint64> sizes = {0, 1, 999, 1000, 65535, 1000007, Q_INT64_C(1) << 40, std::numeric_limits<qint64>::max()};
    for (int i = 0; i < 200; ++i)
        sizes.push_back(qint64(random.bounded(std::numeric_limits<qint64>::max())) >> random.bounded(60));
    for (const QLocale& locale : Locales()) {
        QLocale grouped = locale;
        grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
        const RowFormatter formatter(locale);
        for (const qint64 size : sizes)
            ASSERT_EQ(formatter.SizeText(size), grouped.toString(size)) << qPrintable(locale.name()) << " " << size;
    }
}

TEST(RowFormat, DatesAreTheLocalesAroundTheClock)
{
    TimeZoneScope zone("Australia/Lord_Howe"); // a half-hour summer time
    QRandomGenerator random(11);
    std::vector<qint64> moments;
    // Every hour of one day (midnight and noon decide a 12-hour clock's day half), then any moment.
    const qint64 day = QDateTime(QDate(2024, 3, 9), QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
    for (int hour = 0; hour < 24; ++hour)
        moments.push_back(day + hour * 3600 + hour * 61);
    for (int i = 0; i < 200; ++i)
        moments.push_back(qint64(random.bounded(3000000000u)) - 500000000);
    for (const QLocale& locale : Locales()) {
        RowFormatter formatter(locale);
        const QString format = formatter.DateTimeFormat();
        for (const qint64 seconds : moments) {
            const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
            const QDateTime fields(local.date(), local.time(), Qt::UTC);
            ASSERT_EQ(formatter.DateText(seconds * TicksPerSecond + UnixEpochTicks), locale.toString(fields, format))
                << qPrintable(locale.name()) << " " << seconds;
        }
    }
}
