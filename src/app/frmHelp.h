#pragma once

#include <QDialog>

class QTextBrowser;

// The help file name among the program's own files (AppContext::AssetFile).
inline QString HelpFileName() { return QStringLiteral("parvex.hlp"); }
// The anchor of the help's troubleshooting section, which the error messages point the user to.
inline QString HelpTroubleshootingTopic() { return QStringLiteral("troubleshooting"); }

// The program's help: the HTML help file shown in a window of its own. One window per parent; asking
// again brings it to the front.
class frmHelp final : public QDialog
{
    Q_OBJECT

public:
    explicit frmHelp(QWidget* parent = nullptr);
    // Loads file; a missing file shows a short note instead. With a topic (an anchor name of the help)
    // the text is scrolled to it.
    void ShowFile(const QString& file, const QString& topic = {});
    QString ShownText() const;

private:
    QTextBrowser* m_browser;
};

// Opens (or raises) the help window on file, at topic when one is given. Answers the window.
frmHelp* ShowHelp(const QString& file, QWidget* parent, const QString& topic = {});
