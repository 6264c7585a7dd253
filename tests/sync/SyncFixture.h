#pragma once

#include "TestSupport.h"

#include "compare/ResultList.h"
#include "platform/DriveQueries.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <cerrno>
#include <map>
#include <ostream>
#include <optional>
#include <utility>
#include <vector>

// Drive queries that answer from tables where a test filled them and ask the system otherwise, and
// record what was asked. Free space is looked up by the drive text exactly as the caller passes it.
class FakeDrives final : public DriveQueries
{
public:
    QString DriveName(const QString& path) const override
    {
        for (const auto& [prefix, drive] : drivesByPrefix)
            if (path.startsWith(prefix))
                return drive;
        return DriveQueries::DriveName(path);
    }

    qint64 FreeBytes(const QString& drive, int* error) const override
    {
        freeAsked << drive;
        if (freeMustNotBeAsked)
            ADD_FAILURE() << "free space of " << qPrintable(drive) << " was asked";
        const auto it = freeBytes.find(drive);
        if (it == freeBytes.end())
            return DriveQueries::FreeBytes(drive, error);
        if (it->second < 0 && error != nullptr)
            *error = EIO;
        return it->second;
    }

    Type DriveType(const QString& path) const override { return type ? *type : DriveQueries::DriveType(path); }

    int FolderState(const QString& path) const override
    {
        folderAsked << path;
        const auto it = folderStates.find(path);
        return it == folderStates.end() ? (fakeFoldersExist ? 0 : DriveQueries::FolderState(path)) : it->second;
    }

    qint64 ObjectSize(const QString& path) const override
    {
        sizeAsked << path;
        const auto it = objectSizes.find(path);
        return it == objectSizes.end() ? DriveQueries::ObjectSize(path) : it->second;
    }

    // First matching prefix wins.
    std::vector<std::pair<QString, QString>> drivesByPrefix;
    std::map<QString, qint64> freeBytes;
    bool freeMustNotBeAsked = false;
    std::map<QString, int> folderStates;
    // Folders that are not in folderStates exist (for tests on made-up paths).
    bool fakeFoldersExist = false;
    std::map<QString, qint64> objectSizes;
    std::optional<Type> type;

    mutable QStringList freeAsked;
    mutable QStringList folderAsked;
    mutable QStringList sizeAsked;
};

// Result rows with a size; sizeText is left empty for rows that have no file behind them.
inline ResultRow Row(const char* text, Category category, qint64 size = 0)
{
    ResultRow row;
    row.text = QString::fromUtf8(text);
    row.icon = category;
    row.size = size;
    row.sizeText = QString::number(size);
    return row;
}

inline ResultRow Placeholder() { return {}; }
