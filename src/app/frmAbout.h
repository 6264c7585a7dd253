#pragma once

#include <QDialog>
#include <QStringList>

class AppContext;
class QLabel;

// The about window: the program's picture, its version, the libraries it is built on with their
// licences, and the application folder it keeps its settings, error log and history in.
//
// Labels carry the names pctLogo, lblVersion, lblLibraries and lblAppFolder; the button is cmdOK.
class frmAbout final : public QDialog
{
    Q_OBJECT

public:
    frmAbout(AppContext& ctx, QWidget* parent = nullptr);

    // One line per library: its name and version as used at run time, and its licence.
    static QStringList LibraryLines();
};
