#pragma once

class QApplication;

// The program's entry procedure: binds the helper library, shows the splash window and the main window.
int RunParvex(QApplication& app);
