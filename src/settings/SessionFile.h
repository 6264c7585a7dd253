#pragma once

#include <QByteArray>
#include <QString>

// Session files: whole copies of the settings file "parvex.ini" that the user keeps under names of their
// own, to switch between complete configurations. A session has no header of its own; any settings text
// is one. Before a chosen file replaces the settings file it is read whole and checked, so that a file
// picked by mistake (a picture, an empty file, a log of many megabytes) is refused with a clear reason
// and the current settings stay as they are.
namespace SessionFile {

// A settings file holds some kilobytes; even twenty very long folders per list stay far below this.
constexpr qint64 MaxBytes = 1024 * 1024;

// The file type of the save dialog, and its extension.
inline QString DialogFilter() { return QStringLiteral("Parvex Session (*.pvs)"); }
inline QString Extension() { return QStringLiteral(".pvs"); }
// The load dialog offers every file too: a session may carry another name (kept by hand, or saved before
// the extension was added).
inline QString LoadDialogFilter() { return DialogFilter() + QStringLiteral(";;All files (*)"); }
// The name a session is saved under: the chosen one, with ".pvs" added when it has no extension at all.
QString WithExtension(const QString& file);

struct Contents
{
    QByteArray text;
    // Why the file is no session ("it is empty"); empty when it is one.
    QString problem;
};

// Reads the chosen file whole and checks that it is a session: a regular file of at most MaxBytes, not
// empty, UTF-8 text without NUL bytes, with at least one section of the settings file. Throws a Failure
// when the file cannot be read at all (missing, no permission).
Contents Read(const QString& file);

// The message for a file that is no session, and its title.
QString NotASessionText(const QString& file, const QString& problem);
inline QString LoadTitle() { return QStringLiteral("Load Session Settings"); }

// Replaces file with text through a temporary file, so that a failed write leaves the old file whole.
// Throws a Failure when it cannot.
void Write(const QString& file, const QByteArray& text);

} // namespace SessionFile
