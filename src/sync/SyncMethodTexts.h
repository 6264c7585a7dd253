#pragma once

#include "sync/CSyncSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the method lists and the rule combo boxes show, shared by every window that offers them: the
// method items and descriptions, the item texts of the eight rule combos and how a choice on one side
// moves its partner on the other.

// The eight method descriptions, indexed by method number.
QStringList GetSyncMethodDescriptions();
// The description of one method; empty for a number outside 0 to 7.
QString SyncMethodDescription(int32_t method);

// One entry of a method list: the text shown and the method number carried as item data.
struct SyncMethodItem
{
    QString text;
    int32_t method;
};
// The method list of the wizard and of the Options window, in display order.
QList<SyncMethodItem> SyncMethodListItems();

// The item texts of the rule combo boxes and the coupling between the two sides. Left new is the partner
// of right old, right new of left old, and left binary of right binary; orphans have no partner.
namespace SyncRuleChoices {

QStringList Items(CSyncSettings::Category category);
// The item that shows an action code in a category's combo; empty when that combo has none for it.
QString TextForAction(CSyncSettings::Category category, int32_t action);
// The action code of an item text; unknown texts are Leave.
int32_t ActionForText(const QString& text);

// The partner of a combo, or false when the category has none.
bool Partner(CSyncSettings::Side side, CSyncSettings::Category category, CSyncSettings::Side* partnerSide,
             CSyncSettings::Category* partnerCategory);
// What the partner shows after chosen was picked, given what it shows now.
QString CoupledPartnerText(const QString& chosen, CSyncSettings::Category partnerCategory,
                           const QString& partnerCurrent);

} // namespace SyncRuleChoices
