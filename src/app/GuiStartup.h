#pragma once

#include <QString>

class QApplication;

// The program's version: major.minor.revision.
QString VersionText();

class AppContext;

// Binds the helper library beside the program (or libraryFile). When it cannot, reports
// "Error loading DLL - " and the library under "modParvex.Main" and answers false: start-up stops there.
bool BindHelperLibrary(AppContext& ctx, const QString& libraryFile = {});

// The program's entry procedure: defers to a running instance, creates the process-wide objects, binds
// the helper library (stopping with its error when it cannot), shows the splash window and then the
// main window, and runs until the main window closes.
int RunParvex(QApplication& app);
