#include "compare/RowFormat.h"

#include "compare/TimeRules.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <ctime>
#include <limits>
#include <vector>

namespace {

// One piece of a date/time pattern: literal text, or a field letter repeated count times.
struct Token
{
    QChar letter; // null for literal text
    int count = 0;
    QString text;
};

bool IsFieldLetter(QChar c)
{
    switch (c.unicode()) {
    case 'd': case 'M': case 'y': case 'h': case 'H': case 'm': case 's': case 'z': case 'a': case 'A': case 't':
        return true;
    default:
        return false;
    }
}

std::vector<Token> Tokenize(const QString& format)
{
    std::vector<Token> tokens;
    const auto literal = [&tokens](const QString& text) {
        if (text.isEmpty())
            return;
        if (!tokens.empty() && tokens.back().letter.isNull())
            tokens.back().text += text;
        else
            tokens.push_back(Token{QChar(), 0, text});
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('\'')) { // '' is a quote
                literal(QStringLiteral("'"));
                i += 2;
                continue;
            }
            const qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            literal(format.mid(i + 1, end < 0 ? -1 : end - i - 1));
            i = end < 0 ? format.size() : end + 1;
            continue;
        }
        if (IsFieldLetter(c)) {
            qsizetype j = i;
            // "AP" and "ap" count as one field.
            if ((c == QLatin1Char('a') || c == QLatin1Char('A')) && i + 1 < format.size()
                && (format.at(i + 1) == QLatin1Char('p') || format.at(i + 1) == QLatin1Char('P'))) {
                tokens.push_back(Token{c, 2, format.mid(i, 2)});
                i += 2;
                continue;
            }
            while (j < format.size() && format.at(j) == c)
                ++j;
            tokens.push_back(Token{c, int(j - i), QString()});
            i = j;
            continue;
        }
        literal(QString(c));
        ++i;
    }
    return tokens;
}

// The pattern back as text, with the time-zone fields and the blanks before them dropped: the time of a
// file row needs seconds, never the zone name.
QString WithoutZone(const QString& format)
{
    QString out;
    for (const Token& t : Tokenize(format)) {
        if (t.letter == QLatin1Char('t')) {
            while (out.endsWith(QLatin1Char(' ')))
                out.chop(1);
            continue;
        }
        if (t.letter.isNull()) {
            bool plain = true;
            for (QChar c : t.text)
                plain = plain && !c.isLetter() && c != QLatin1Char('\'');
            QString quoted = t.text;
            quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
            out += plain ? t.text : QLatin1Char('\'') + quoted + QLatin1Char('\'');
        } else if (t.count == 2 && (t.letter == QLatin1Char('a') || t.letter == QLatin1Char('A'))) {
            out += t.text;
        } else {
            out += QString(t.count, t.letter);
        }
    }
    return out.trimmed();
}

// The locale's general date/time: its short date/time pattern with the time given to the second.
QString GeneralDateTimeFormat(const QLocale& locale)
{
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    const QString longTime = WithoutZone(locale.timeFormat(QLocale::LongFormat));
    QString format = locale.dateTimeFormat(QLocale::ShortFormat);
    if (!shortTime.isEmpty() && format.contains(shortTime)) {
        if (!shortTime.contains(QLatin1Char('s')))
            format.replace(shortTime, longTime);
    } else {
        format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + longTime;
    }
    return WithoutZone(format);
}

// Broken-down local time of one row.
struct LocalFields
{
    int year, month, day, hour, minute, second, millisecond, dayOfWeek; // month 1-12, dayOfWeek 1 = Monday
};

// A row's text built in place and copied into its string once: appending to a QString checks its
// capacity at every character, which cost more than working the text out. Texts longer than the
// buffer are cut off and say so; the formatter never trusts such a locale to the hand-built path.
class Chars
{
public:
    static constexpr int Capacity = 192;

    void Add(QChar c)
    {
        if (m_size < Capacity)
            m_chars[size_t(m_size++)] = c.unicode();
        else
            m_overflow = true;
    }
    void Add(const QString& text)
    {
        if (m_size + text.size() > Capacity) {
            m_overflow = true;
            return;
        }
        std::copy_n(text.utf16(), text.size(), m_chars.data() + m_size);
        m_size += int(text.size());
    }
    void Number(int value, int width)
    {
        std::array<char16_t, 12> digits{};
        int n = 0;
        unsigned v = value < 0 ? 0u - unsigned(value) : unsigned(value);
        do {
            digits[size_t(n++)] = char16_t(u'0' + v % 10);
            v /= 10;
        } while (v != 0);
        if (value < 0)
            Add(QLatin1Char('-'));
        for (int i = n; i < width; ++i)
            Add(QLatin1Char('0'));
        while (n > 0)
            Add(QChar(digits[size_t(--n)]));
    }
    bool Overflowed() const { return m_overflow; }
    QString Text() const { return QString(reinterpret_cast<const QChar*>(m_chars.data()), m_size); }

private:
    std::array<char16_t, Capacity> m_chars;
    int m_size = 0;
    bool m_overflow = false;
};

} // namespace

struct RowFormatter::Impl
{
    QLocale locale;
    // Sizes.
    bool fastSizes = false;
    QString groupSeparator;
    // Dates.
    QString dateTimeFormat;
    std::vector<Token> tokens;
    bool twelveHour = false;
    bool fastDates = false;
    std::array<QString, 13> shortMonths, longMonths;
    std::array<QString, 8> shortDays, longDays;
    QString am, pm;
    // The day-half texts in the case an "A" or an "a" field asks for.
    QString amUpper, amLower, pmUpper, pmLower;

    QString SlowSize(qint64 bytes) const { return locale.toString(bytes); }
    QString FastSize(qint64 bytes) const;
    // Empty when the text does not fit the buffer (never for a locale the formatter renders by hand).
    QString Render(const LocalFields& f) const;
    QString SlowDate(const LocalFields& f) const
    {
        const QDateTime dt(QDate(f.year, f.month, f.day), QTime(f.hour, f.minute, f.second, f.millisecond), Qt::UTC);
        return locale.toString(dt, dateTimeFormat);
    }
};

QString RowFormatter::Impl::FastSize(qint64 bytes) const
{
    std::array<char, 24> digits{};
    int n = 0;
    quint64 v = quint64(bytes);
    do {
        digits[size_t(n++)] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    Chars out;
    while (n > 0) {
        out.Add(QLatin1Char(digits[size_t(--n)]));
        if (n > 0 && n % 3 == 0)
            out.Add(groupSeparator);
    }
    return out.Overflowed() ? QString() : out.Text();
}

QString RowFormatter::Impl::Render(const LocalFields& f) const
{
    Chars out;
    for (const Token& t : tokens) {
        switch (t.letter.unicode()) {
        case 0: out.Add(t.text); break;
        case 'd':
            if (t.count <= 2)
                out.Number(f.day, t.count);
            else
                out.Add((t.count == 3 ? shortDays : longDays)[size_t(f.dayOfWeek)]);
            break;
        case 'M':
            if (t.count <= 2)
                out.Number(f.month, t.count);
            else
                out.Add((t.count == 3 ? shortMonths : longMonths)[size_t(f.month)]);
            break;
        case 'y':
            if (t.count == 2)
                out.Number(f.year % 100, 2);
            else
                out.Number(f.year, 4);
            break;
        case 'h': {
            int hour = f.hour;
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out.Number(hour, t.count);
            break;
        }
        case 'H': out.Number(f.hour, t.count); break;
        case 'm': out.Number(f.minute, t.count); break;
        case 's': out.Number(f.second, t.count); break;
        case 'z': out.Number(f.millisecond, 3); break;
        case 'a':
        case 'A': {
            const bool morning = f.hour < 12;
            if (t.count == 2 && t.text.size() == 2 && t.text.at(0).isUpper() != t.text.at(1).isUpper())
                out.Add(morning ? am : pm);
            else if (t.letter == QLatin1Char('A'))
                out.Add(morning ? amUpper : pmUpper);
            else
                out.Add(morning ? amLower : pmLower);
            break;
        }
        default: break;
        }
    }
    return out.Overflowed() ? QString() : out.Text();
}

RowFormatter::RowFormatter(const QLocale& locale) : m_impl(std::make_unique<Impl>())
{
    Impl& d = *m_impl;
    d.locale = locale;
    // Sizes are always grouped, also in locales that omit group separators by default (C).
    d.locale.setNumberOptions(d.locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    d.groupSeparator = d.locale.groupSeparator();
    d.fastSizes = d.locale.zeroDigit() == QLatin1String("0");
    for (qint64 sample : {Q_INT64_C(0), Q_INT64_C(7), Q_INT64_C(999), Q_INT64_C(1000), Q_INT64_C(123456),
                          Q_INT64_C(1234567890123), std::numeric_limits<qint64>::max()})
        d.fastSizes = d.fastSizes && d.FastSize(sample) == d.SlowSize(sample);

    d.dateTimeFormat = GeneralDateTimeFormat(d.locale);
    d.tokens = Tokenize(d.dateTimeFormat);
    for (const Token& t : d.tokens)
        d.twelveHour = d.twelveHour || t.letter == QLatin1Char('a') || t.letter == QLatin1Char('A');
    for (int m = 1; m <= 12; ++m) {
        d.shortMonths[size_t(m)] = d.locale.monthName(m, QLocale::ShortFormat);
        d.longMonths[size_t(m)] = d.locale.monthName(m, QLocale::LongFormat);
    }
    for (int w = 1; w <= 7; ++w) {
        d.shortDays[size_t(w)] = d.locale.dayName(w, QLocale::ShortFormat);
        d.longDays[size_t(w)] = d.locale.dayName(w, QLocale::LongFormat);
    }
    d.am = d.locale.amText();
    d.pm = d.locale.pmText();
    d.amUpper = d.am.toUpper();
    d.amLower = d.am.toLower();
    d.pmUpper = d.pm.toUpper();
    d.pmLower = d.pm.toLower();
    // Rendering by hand is only trusted where it matches the locale on a spread of moments.
    d.fastDates = d.locale.zeroDigit() == QLatin1String("0");
    const LocalFields samples[] = {
        {2024, 1, 5, 3, 4, 5, 0, 5},      {2023, 12, 25, 13, 45, 59, 0, 1}, {1999, 7, 31, 0, 0, 0, 0, 6},
        {2031, 10, 9, 12, 0, 1, 0, 4},    {2000, 2, 29, 23, 59, 59, 0, 2},  {1985, 11, 17, 9, 30, 7, 0, 7},
    };
    for (const LocalFields& f : samples)
        d.fastDates = d.fastDates && d.Render(f) == d.SlowDate(f);
}

RowFormatter::~RowFormatter() = default;

QString RowFormatter::SizeText(qint64 bytes) const
{
    if (m_impl->fastSizes && bytes >= 0) {
        QString text = m_impl->FastSize(bytes);
        if (!text.isEmpty())
            return text;
    }
    return m_impl->SlowSize(bytes);
}

QString RowFormatter::DateText(qint64 utcTicks)
{
    const qint64 sinceEpoch = utcTicks - UnixEpochTicks;
    qint64 seconds = sinceEpoch / TicksPerSecond;
    qint64 rest = sinceEpoch % TicksPerSecond;
    if (rest < 0) {
        --seconds;
        rest += TicksPerSecond;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr)
        return QString();
    const LocalFields f{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec == 60 ? 59 : tm.tm_sec, int(rest / 10000), tm.tm_wday == 0 ? 7 : tm.tm_wday};
    if (m_impl->fastDates) {
        QString text = m_impl->Render(f);
        if (!text.isEmpty())
            return text;
    }
    return m_impl->SlowDate(f);
}

QString RowFormatter::DateTimeFormat() const { return m_impl->dateTimeFormat; }

ResultRow RowFormatter::FileRow(const QString& name, qint64 size, qint64 utcTicks, Category category)
{
    ResultRow row;
    row.text = name;
    row.sizeText = SizeText(size);
    row.dateText = DateText(utcTicks);
    row.icon = category;
    row.size = size;
    row.ticks = utcTicks;
    return row;
}

QString FormatSizeText(qint64 bytes) { return RowFormatter().SizeText(bytes); }

QString FormatDateText(qint64 utcTicks) { return RowFormatter().DateText(utcTicks); }
