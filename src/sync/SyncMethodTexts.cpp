#include "sync/SyncMethodTexts.h"

namespace {

const QString TextLeave = QStringLiteral("Leave");
const QString TextCopy = QStringLiteral("Copy to other folder");
const QString TextDelete = QStringLiteral("Delete from this folder");
const QString TextReplaceOlder = QStringLiteral("Replace with older files from other folder");
const QString TextReplaceNewer = QStringLiteral("Replace with newer files from other folder");
const QString TextReplaceObject = QStringLiteral("Replace with object from other folder");

QString ReplaceText(CSyncSettings::Category category)
{
    switch (category) {
    case CSyncSettings::New: return TextReplaceOlder;
    case CSyncSettings::Old: return TextReplaceNewer;
    case CSyncSettings::Binary: return TextReplaceObject;
    case CSyncSettings::Orphan: break;
    }
    return {};
}

bool IsReplaceText(const QString& text)
{
    return text == TextReplaceOlder || text == TextReplaceNewer || text == TextReplaceObject;
}

} // namespace

QStringList GetSyncMethodDescriptions()
{
    return {
        QStringLiteral("Delete all orphan objects from the right. Copy all objects from the left folder to the right "
                       "folder which differ in any way or are orphans."),
        QStringLiteral("Delete all orphan objects from the left. Copy all objects from the right folder to the left "
                       "folder which differ in any way or are orphans."),
        QStringLiteral("Replace older files in both folders with their newer counterparts.  Copy orphan objects in "
                       "both folders to the other folder."),
        QStringLiteral("Create your own custom sync method."),
        QStringLiteral("Copy all orphan objects from the right folder to the left one."),
        QStringLiteral("Copy all orphan objects from the left folder to the right one."),
        QStringLiteral("Copy all newer files from the right folder to the left one."),
        QStringLiteral("Copy all newer files from the left folder to the right one."),
    };
}

QString SyncMethodDescription(int32_t method)
{
    const QStringList descriptions = GetSyncMethodDescriptions();
    return method >= 0 && method < descriptions.size() ? descriptions.at(method) : QString();
}

QList<SyncMethodItem> SyncMethodListItems()
{
    return {
        {QStringLiteral("Make Right Folder Same As Left Folder"), CSyncSettings::MakeRightSameAsLeft},
        {QStringLiteral("Make Left Folder Same As Right Folder"), CSyncSettings::MakeLeftSameAsRight},
        {QStringLiteral("Replace Older Files and Copy Orphan Objects (bi-directional)"),
         CSyncSettings::ReplaceOlderCopyOrphans},
        {QStringLiteral("Add Orphan Objects to Left Folder"), CSyncSettings::AddOrphansToLeft},
        {QStringLiteral("Add Orphan Objects to Right Folder"), CSyncSettings::AddOrphansToRight},
        {QStringLiteral("Replace Older Files in Left Folder"), CSyncSettings::ReplaceOlderOnLeft},
        {QStringLiteral("Replace Older Files in Right Folder"), CSyncSettings::ReplaceOlderOnRight},
        {QStringLiteral("Custom"), CSyncSettings::Custom},
    };
}

namespace SyncRuleChoices {

QStringList Items(CSyncSettings::Category category)
{
    if (category == CSyncSettings::Orphan)
        return {TextLeave, TextCopy, TextDelete};
    return {TextLeave, TextCopy, ReplaceText(category), TextDelete};
}

QString TextForAction(CSyncSettings::Category category, int32_t action)
{
    switch (action) {
    case CSyncSettings::Leave: return TextLeave;
    case CSyncSettings::Copy: return TextCopy;
    case CSyncSettings::Replace: return ReplaceText(category); // orphans cannot be replaced: no item
    case CSyncSettings::Delete: return TextDelete;
    default: return {};
    }
}

int32_t ActionForText(const QString& text)
{
    if (text == TextCopy)
        return CSyncSettings::Copy;
    if (IsReplaceText(text))
        return CSyncSettings::Replace;
    if (text == TextDelete)
        return CSyncSettings::Delete;
    return CSyncSettings::Leave;
}

bool Partner(CSyncSettings::Side side, CSyncSettings::Category category, CSyncSettings::Side* partnerSide,
             CSyncSettings::Category* partnerCategory)
{
    const CSyncSettings::Side other = side == CSyncSettings::Left ? CSyncSettings::Right : CSyncSettings::Left;
    switch (category) {
    case CSyncSettings::New: *partnerCategory = CSyncSettings::Old; break;
    case CSyncSettings::Old: *partnerCategory = CSyncSettings::New; break;
    case CSyncSettings::Binary: *partnerCategory = CSyncSettings::Binary; break;
    case CSyncSettings::Orphan: return false;
    }
    *partnerSide = other;
    return true;
}

QString CoupledPartnerText(const QString& chosen, CSyncSettings::Category partnerCategory,
                           const QString& partnerCurrent)
{
    if (chosen == TextCopy)
        return ReplaceText(partnerCategory);
    if (IsReplaceText(chosen))
        return TextCopy;
    if (partnerCurrent == TextLeave || partnerCurrent == TextDelete)
        return partnerCurrent;
    return TextLeave;
}

} // namespace SyncRuleChoices
