#include "settings/ChunkSizeRule.h"

#include "settings/SettingsTable.h"

#include <cmath>

namespace ChunkSizeRule {

Verdict Check(const QString& text, int* value)
{
    const std::optional<double> n = SettingsText::Number(text);
    if (!n || std::floor(*n) != *n || *n < Smallest || *n > Largest)
        return Verdict::Invalid;
    *value = static_cast<int>(*n);
    return *value > WarnAbove ? Verdict::Large : Verdict::Valid;
}

QString InvalidMessage(const QString& text)
{
    return QLatin1Char('"') + text + QStringLiteral("\" is not a valid Chunk Size value.\r\n")
         + QStringLiteral("Please enter a whole number in the range of 1 byte to 10 million bytes.");
}

QString InvalidTitle() { return QStringLiteral("Invalid Chunk Size"); }

QString LargeMessage()
{
    return QStringLiteral("Warning: You may experience memory related issues when \r\n"
                          "using a chunk size larger than two million bytes.\r\n"
                          "(Depending on your computer's configuration)");
}

QString LargeTitle() { return QStringLiteral("Large Chunk Memory Warning"); }

} // namespace ChunkSizeRule
