#include "LibText.h"
#include "parvexlib.h"

#include <QLocale>
#include <QString>

#include <string>

using namespace parvexlib;

namespace {

constexpr int64_t kTicksPerDay = 864000000000LL;
// From 1 January 1601 to 30 December 1899, the day the date scale counts from.
constexpr int64_t kTicksTo1899 = 109205LL * kTicksPerDay;

// a - b as a double without overflowing on the way there.
double Difference(int64_t a, int64_t b)
{
    int64_t d = 0;
    if (__builtin_sub_overflow(a, b, &d))
        return static_cast<double>(a) - static_cast<double>(b);
    return static_cast<double>(d);
}

// "#,##0.##": thousands separators and at most two decimals, no dangling decimal point; the user's locale
// chooses the separators.
QString FormatSize(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'f', 2);
    const QString zero = locale.zeroDigit();
    while (text.endsWith(zero))
        text.chop(zero.size());
    if (text.endsWith(locale.decimalPoint()))
        text.chop(locale.decimalPoint().size());
    return text;
}

} // namespace

char* ConvertSHAHashToHex(const unsigned char* digest)
{
    if (digest == nullptr)
        return Give({});
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(40);
    for (int i = 0; i < 20; ++i) {
        out.push_back(kDigits[digest[i] >> 4]);
        out.push_back(kDigits[digest[i] & 0x0F]);
    }
    return Give(out);
}

char* ConvertBytesToCorrectByteTypeString(int64_t bytes)
{
    const bool negative = bytes < 0;
    // Unsigned, so that the most negative count has a magnitude too.
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);
    std::string out = negative ? "-" : "";
    if (magnitude < 1024)
        return Give(out + std::to_string(magnitude) + " Bytes");
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    double quotient = static_cast<double>(magnitude) / 1024.0;
    std::size_t unit = 0;
    // The unit steps up only when the quotient itself reaches 1024: 1,048,575 bytes are "1,024KB".
    while (unit + 1 < std::size(kUnits) && quotient >= 1024.0) {
        quotient /= 1024.0;
        ++unit;
    }
    out += FormatSize(quotient).toStdString();
    out += kUnits[unit];
    return Give(out);
}

char* ConvertLongToBinaryString(int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    if (bits == 0)
        return Give("0");
    std::string out;
    int top = 31;
    while (((bits >> top) & 1U) == 0)
        --top;
    for (int bit = top; bit >= 0; --bit)
        out.push_back(((bits >> bit) & 1U) != 0 ? '1' : '0');
    return Give(out);
}

int16_t IsBitSet(int32_t value, int16_t bit)
{
    if (bit < 0 || bit > 31)
        return 0;
    return static_cast<int16_t>((static_cast<uint32_t>(value) >> bit) & 1U);
}

int64_t CalcWFDFileSize(uint32_t high, uint32_t low)
{
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

// The stamp is taken as it comes: a caller that wants a local date passes a stamp already moved to local
// time. Subtracting the 1899 offset in whole ticks first keeps the time of day exact for present-day dates.
double CalcLocalFileTimeToVBTime(int64_t ticks) { return Difference(ticks, kTicksTo1899) / static_cast<double>(kTicksPerDay); }

double CalcDateDiffLocalFT(int64_t ticks1, int64_t ticks2) { return Difference(ticks1, ticks2) / 10000000.0; }
