#include "MainWindowFixture.h"

#include "app/frmAbout.h"
#include "app/frmHelp.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

namespace {

class HelpAboutTest : public MainWindowTest
{
protected:
    // The first line the help window shows at its top.
    QString TopLine() const
    {
        auto* help = window->findChild<frmHelp*>(QStringLiteral("frmHelp"));
        EXPECT_NE(help, nullptr);
        if (help == nullptr)
            return {};
        EXPECT_TRUE(help->isVisible());
        auto* text = help->findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
        return text->cursorForPosition(QPoint(4, 4)).block().text();
    }
};

} // namespace

TEST_F(HelpAboutTest, TroubleshootingOpensTheHelpAtItsSection)
{
    QFile::copy(QDir(TestBinDir()).filePath(HelpFileName()), appFolder.file(HelpFileName()));
    Item("mnuHelpTroubleshooting")->trigger();
    EXPECT_EQ(TopLine(), QStringLiteral("Troubleshooting"));
    // The same window shows the contents from the top again.
    Item("mnuHelpContents")->trigger();
    EXPECT_EQ(TopLine(), QStringLiteral("Parvex"));
    Item("mnuHelpTroubleshooting")->trigger();
    EXPECT_EQ(TopLine(), QStringLiteral("Troubleshooting"));
    EXPECT_EQ(window->findChildren<frmHelp*>().size(), 1);
}

TEST_F(HelpAboutTest, AboutShowsTheVersionTheLibrariesAndTheApplicationFolder)
{
    QMap<QString, QString> shown;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        shown.insert(QStringLiteral("title"), about->windowTitle());
        for (const char* name : {"lblVersion", "lblLibraries", "lblAppFolder"})
            if (auto* label = about->findChild<QLabel*>(QString::fromLatin1(name)))
                shown.insert(QString::fromLatin1(name), label->text());
        about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    Item("mnuHelpAboutBox")->trigger();

    EXPECT_EQ(shown.value(QStringLiteral("title")), QStringLiteral("About Parvex"));
    EXPECT_EQ(shown.value(QStringLiteral("lblVersion")), QStringLiteral("Parvex v" PARVEX_VERSION));
    const QStringList libraries = shown.value(QStringLiteral("lblLibraries")).split(QLatin1Char('\n'));
    ASSERT_EQ(libraries.size(), 5) << qPrintable(shown.value(QStringLiteral("lblLibraries")));
    EXPECT_EQ(libraries[1], QStringLiteral("Qt ") + QString::fromLatin1(qVersion())
                                + QStringLiteral(": GNU Lesser General Public License version 3"));
    EXPECT_TRUE(libraries[2].startsWith(QStringLiteral("libdeflate 1."))) << qPrintable(libraries[2]);
    EXPECT_TRUE(libraries[3].startsWith(QStringLiteral("OpenSSL 3."))) << qPrintable(libraries[3]);
    EXPECT_TRUE(libraries[3].endsWith(QStringLiteral(": Apache License 2.0")));
    EXPECT_EQ(libraries[4],
              QStringLiteral("GNU diff, run as an outside program: GNU General Public License version 3 or later"));
    EXPECT_TRUE(shown.value(QStringLiteral("lblAppFolder")).endsWith(QLatin1Char('\n') + ctx->AppFolder()));
}
