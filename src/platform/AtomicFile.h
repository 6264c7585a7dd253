#pragma once

#include <QByteArray>
#include <QString>

// Replaces file with data through a temporary file in the same folder and a rename, so a crash or a full
// disk never leaves a half-written file in place of a good one. Answers false (errno set where the system
// set it) and leaves the old file untouched when any byte could not be written.
bool WriteFileAtomically(const QString& file, const QByteArray& data);
