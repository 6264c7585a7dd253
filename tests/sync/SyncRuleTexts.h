#pragma once

#include <QString>

// The item texts of the rule combo boxes, as the user reads them.
namespace SyncRuleText {
inline const QString Leave = QStringLiteral("Leave");
inline const QString Copy = QStringLiteral("Copy to other folder");
inline const QString Delete = QStringLiteral("Delete from this folder");
inline const QString ReplaceNewer = QStringLiteral("Replace with newer files from other folder");
inline const QString ReplaceOlder = QStringLiteral("Replace with older files from other folder");
inline const QString ReplaceObject = QStringLiteral("Replace with object from other folder");
} // namespace SyncRuleText
