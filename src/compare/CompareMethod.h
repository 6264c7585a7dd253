#pragma once

#include <QString>
#include <cstdint>

class CCompare;

// The comparison methods as the Options menu offers them. Method values are CCompare::Method.

// "Size and Date/Time", "Contents", "Cyclical Redundancy Check", "SHA-1 Message Digest"; "" for others.
QString CompareMethodCaption(int32_t method);
// The menu items of the methods, in CCompare::Method order.
constexpr int CompareMethodCount = 4;
extern const char* const CompareMethodMenuItems[CompareMethodCount];
// The menu item of a method ("mnuOptionsCompareTypeQuick", ...); "" for others.
QString CompareMethodMenuName(int32_t method);
// The word stored under "CompareType": "Quick", "Thorough", "CRC", "SHA".
QString CompareTypeWord(int32_t method);

// What the window does after a method item was clicked.
enum class MethodChoiceEffect {
    Nothing,      // the item was already checked
    CompareAgain, // run the folder comparison again
    ClearResults, // clear the result lists and show the no-comparison row
};

// A click on a method's menu item: nothing when it is the method in use; otherwise the method becomes
// CCompare's method, and the results are compared again when "Auto Compare After Compare Method Change"
// is checked, else cleared. The window then checks the item of CCompare.CompareMethod.
MethodChoiceEffect ChooseCompareMethod(CCompare& compare, int32_t method, bool autoCompareAfterMethodChange);

// The method a stored "CompareType" word loads as. The word is compared exactly, case included: "SHA" 3,
// "Thorough" 1, "CRC" 2, anything else 0. SHA-1 falls back to CRC when the SHA-1 facility is missing.
struct LoadedCompareMethod
{
    int32_t method = 0;
    bool shaItemVisible = false;
};
LoadedCompareMethod LoadCompareMethod(const QString& storedWord, bool shaAvailable);
