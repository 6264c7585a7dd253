#include "platform/IniProfile.h"

#include "platform/IniDocument.h"

namespace {

QString CutTo(const QString& text, int maxChars)
{
    if (maxChars < 0 || text.size() <= maxChars)
        return text;
    qsizetype n = maxChars;
    // Never split a character made of a surrogate pair.
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

namespace IniProfile {

QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue,
                          const QString& file, int maxChars)
{
    return CutTo(IniDocument::Load(file).Value(section, key).value_or(defaultValue), maxChars);
}

bool WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& file)
{
    IniDocument doc = IniDocument::Load(file);
    if (!doc.Set(section, key, value))
        return false;
    return !doc.Changed() || doc.Save();
}

} // namespace IniProfile
