#pragma once

#include "compare/ResultList.h"

#include <QString>
#include <QStringList>

// The parts of the main window's row commands that need no window.

// The full path of a row's object in folder (with or without a trailing "/"); a folder row's leading "/"
// is not doubled. Empty for a placeholder row.
QString RowObjectPath(const QString& folder, const ResultRow& row);
