#pragma once

#include <QString>
#include <QStringList>

class QApplication;

// The program's version: major.minor.revision.
QString VersionText();

class AppContext;

// Binds the helper library beside the program (or libraryFile). When it cannot, reports
// "Error loading DLL - " and the library under "modParvex.Main" and answers false: start-up stops there.
bool BindHelperLibrary(AppContext& ctx, const QString& libraryFile = {});

// The program's entry procedure: reads the command line (help, the version and refused arguments end
// here, with 0 or 2), defers to a running instance (handing it the folders), creates the process-wide
// objects, binds the helper library (stopping with its error when it cannot), shows the splash window
// and then the main window, which takes the folders of the command line, and runs until the main
// window closes. arguments are those left after QApplication took its own.
int RunParvex(QApplication& app, const QStringList& arguments);
