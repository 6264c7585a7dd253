#include "compare/CompareMethod.h"

#include "compare/CCompare.h"

QString CompareMethodCaption(int32_t method)
{
    switch (method) {
    case CCompare::Quick: return QStringLiteral("Size and Date/Time");
    case CCompare::ThoroughString: return QStringLiteral("Contents");
    case CCompare::ThoroughCRC: return QStringLiteral("Cyclical Redundancy Check");
    case CCompare::SHA: return QStringLiteral("SHA-1 Message Digest");
    default: return QString();
    }
}

const char* const CompareMethodMenuItems[CompareMethodCount] = {
    "mnuOptionsCompareTypeQuick", "mnuOptionsCompareTypeThoroughString", "mnuOptionsCompareTypeThoroughCRC",
    "mnuOptionsCompareTypeSHA"};

QString CompareMethodMenuName(int32_t method)
{
    return method >= 0 && method < CompareMethodCount ? QString::fromLatin1(CompareMethodMenuItems[method]) : QString();
}

QString CompareTypeWord(int32_t method)
{
    switch (method) {
    case CCompare::ThoroughString: return QStringLiteral("Thorough");
    case CCompare::ThoroughCRC: return QStringLiteral("CRC");
    case CCompare::SHA: return QStringLiteral("SHA");
    default: return QStringLiteral("Quick");
    }
}

MethodChoiceEffect ChooseCompareMethod(CCompare& compare, int32_t method, bool autoCompareAfterMethodChange)
{
    if (compare.CompareMethod() == method)
        return MethodChoiceEffect::Nothing;
    compare.SetCompareMethod(method);
    return autoCompareAfterMethodChange ? MethodChoiceEffect::CompareAgain : MethodChoiceEffect::ClearResults;
}

LoadedCompareMethod LoadCompareMethod(const QString& storedWord, bool shaAvailable)
{
    LoadedCompareMethod loaded;
    if (storedWord == QLatin1String("SHA"))
        loaded.method = CCompare::SHA;
    else if (storedWord == QLatin1String("Thorough"))
        loaded.method = CCompare::ThoroughString;
    else if (storedWord == QLatin1String("CRC"))
        loaded.method = CCompare::ThoroughCRC;
    else
        loaded.method = CCompare::Quick;
    loaded.shaItemVisible = shaAvailable;
    if (loaded.method == CCompare::SHA && !shaAvailable)
        loaded.method = CCompare::ThoroughCRC;
    return loaded;
}
