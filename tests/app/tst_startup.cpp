#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "app/GuiSingleInstance.h"
#include "app/GuiStartup.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "platform/CIniFile.h"
#include "settings/SoundPlayer.h"
#include "sync/CSyncSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <thread>

namespace {

// A sound device that records what it is asked to play.
class RecordingPlayer final : public SoundPlayer
{
public:
    explicit RecordingPlayer(QStringList* played) : m_played(played) {}
    bool HasOutputDevice() override { return true; }
    bool Play(const QString& waveFile, bool async) override
    {
        *m_played << waveFile + (async ? QStringLiteral(" async") : QStringLiteral(" sync"));
        return true;
    }

private:
    QStringList* m_played;
};

void SetOption(AppContext& ctx, const QString& key, const QString& value)
{
    CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    ini.Set(QStringLiteral("Options"), key, value);
}

} // namespace

TEST(Startup, BindsTheHelperLibraryAndOpensTheTitledWindow)
{
    TempDir folder;
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    ASSERT_TRUE(BindHelperLibrary(ctx, TestLibraryFile()));
    EXPECT_TRUE(ctx.Lib().IsLoaded());
    frmMain window(ctx);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Parvex v") + VersionText());
    EXPECT_EQ(VersionText().split(QLatin1Char('.')).size(), 3);
}

TEST(Startup, StopsWithTheLibraryError)
{
    TempDir folder;
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    const QString missing = folder.file(QStringLiteral("libparvexlib.so"));
    EXPECT_FALSE(BindHelperLibrary(ctx, missing));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unexpected Error in modParvex.Main"));
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("Error: Error loading DLL - ") + missing))
        << qPrintable(dialogs.last().text);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("\r\nSource: modParvex.Main\r\n")));
}

TEST(Startup, FirstRunOpensTheHelp)
{
    TempDir folder;
    QFile::copy(QDir(TestBinDir()).filePath(QStringLiteral("parvex.hlp")), folder.file(QStringLiteral("parvex.hlp")));
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    BindTestLibrary(ctx);
    {
        frmMain first(ctx);
        auto* help = first.findChild<QWidget*>(QStringLiteral("frmHelp"));
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        first.ExitWithoutAsking(); // writes parvex.ini
    }
    frmMain second(ctx);
    EXPECT_EQ(second.findChild<QWidget*>(QStringLiteral("frmHelp")), nullptr);
}

TEST(Startup, SettingsProblemsAreShownOnceAndTheRestOfTheFileStillLoads)
{
    TempDir folder;
    folder.createFile(QStringLiteral("parvex.ini"), "[Options]\nViewFileDiffFormat=Bogus\nSyncMethod=AddOrphansToLeft\n"
                                                    "[Form Dimensions]\nHeight=abc\nWidth=0000012000\n");
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    BindTestLibrary(ctx);
    {
        frmMain first(ctx);
        ASSERT_EQ(dialogs.messages.size(), 1);
        const QString tail = QStringLiteral(" of the settings file ") + folder.file(QStringLiteral("parvex.ini"))
                           + QStringLiteral(" cannot be used; the default is used instead.");
        EXPECT_EQ(dialogs.last().text,
                  QStringLiteral("The value \"Bogus\" of key ViewFileDiffFormat in section [Options]") + tail
                      + QStringLiteral("\r\nThe value \"abc\" of key Height in section [Form Dimensions]") + tail);
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Settings File Problem"));
        EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::AddOrphansToLeft);
        EXPECT_EQ(ctx.MainOptions().WidthTwips, 12000);
        first.ExitWithoutAsking(); // writes usable values in their place
    }
    dialogs.clear();
    frmMain second(ctx);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(Splash, ShowsThePictureInAnEllipseAndHandsOverOnce)
{
    TempDir folder;
    QFile::copy(QDir(TestBinDir()).filePath(QStringLiteral("parvexlogo.jpg")), folder.file(QStringLiteral("parvexlogo.jpg")));
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    int handedOver = 0;
    frmSplash splash(ctx, [&] { ++handedOver; });
    splash.show();
    auto* logo = splash.findChild<QLabel*>(QStringLiteral("pctLogo"));
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    // The outline is the ellipse of the window's rectangle: the corners are cut away, the middle stays.
    EXPECT_FALSE(splash.mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(splash.mask().contains(splash.rect().center()));

    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(logo, &click);
    EXPECT_EQ(handedOver, 1);
    EXPECT_FALSE(splash.isVisible());
    splash.Finish();
    EXPECT_EQ(handedOver, 1);
}

TEST(Splash, HandsOverAfterTwoSeconds)
{
    TempDir folder;
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    int handedOver = 0;
    frmSplash splash(ctx, [&] { ++handedOver; });
    splash.show();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return handedOver != 0; }, 5000));
    EXPECT_EQ(handedOver, 1);
    // Timers may fire a little early; the splash stays for about two seconds, not a moment.
    EXPECT_GE(clock.elapsed(), frmSplash::DisplayMs * 3 / 4);
}

TEST(Splash, StartSoundFollowsTheSettingsFile)
{
    TempDir folder;
    FakeUserDialogs dialogs;
    AppContext ctx(folder.path(), dialogs);
    // No wave device: nothing, whatever the file says.
    SetOption(ctx, QStringLiteral("StartSound"), QStringLiteral("/sounds/hello.wav"));
    EXPECT_EQ(frmSplash::StartSoundToPlay(ctx), QStringLiteral("(none)"));

    QStringList played;
    ctx.Sounds().SetPlayer(std::make_unique<RecordingPlayer>(&played));
    // "SoundOn" missing means "True".
    EXPECT_EQ(frmSplash::StartSoundToPlay(ctx), QStringLiteral("/sounds/hello.wav"));
    {
        frmSplash splash(ctx, [] {});
        EXPECT_EQ(played, QStringList{QStringLiteral("/sounds/hello.wav async")});
    }
    SetOption(ctx, QStringLiteral("StartSound"), QStringLiteral("(none)"));
    EXPECT_EQ(frmSplash::StartSoundToPlay(ctx), QStringLiteral("(none)"));
    SetOption(ctx, QStringLiteral("StartSound"), QStringLiteral("/sounds/hello.wav"));
    SetOption(ctx, QStringLiteral("SoundOn"), QStringLiteral("False"));
    EXPECT_EQ(frmSplash::StartSoundToPlay(ctx), QStringLiteral("(none)"));
}

TEST(SingleInstance, ASecondInstanceBringsTheFirstToTheFront)
{
    const QString title = QStringLiteral("Parvex test %1").arg(QCoreApplication::applicationPid());
    GuiSingleInstance first(title);
    ASSERT_TRUE(first.Listen());
    QSignalSpy requests(&first, &GuiSingleInstance::ShowRequested);

    // The second instance blocks while it asks; the first answers from its event loop.
    std::atomic<bool> asked = false;
    bool found = false;
    std::thread second([&] {
        found = GuiSingleInstance(title).AskRunningInstanceToShow(3000);
        asked = true;
    });
    EXPECT_TRUE(requests.wait(5000));
    // The answer goes out from this thread's event loop while the second instance still waits for it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked.load(); }, 5000));
    second.join();
    EXPECT_TRUE(found);
    EXPECT_EQ(requests.size(), 1);

    // Another title (another version) finds nobody and starts normally.
    bool other = true;
    std::thread third([&] { other = GuiSingleInstance(title + QStringLiteral(" 2")).AskRunningInstanceToShow(500); });
    third.join();
    EXPECT_FALSE(other);
}

TEST(SingleInstance, ASocketLeftByADeadInstanceIsTakenOver)
{
    const QString title = QStringLiteral("Parvex stale %1").arg(QCoreApplication::applicationPid());
    const QString socket = QDir::tempPath() + QLatin1Char('/') + GuiSingleInstance::ServerName(title);
    QFile stale(socket);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    EXPECT_FALSE(GuiSingleInstance(title).AskRunningInstanceToShow(300));
    GuiSingleInstance fresh(title);
    EXPECT_TRUE(fresh.Listen());
    EXPECT_TRUE(GuiSingleInstance::ServerName(QStringLiteral("Parvex v1.0.0")).startsWith(QStringLiteral("Parvex_v1.0.0-")));
}
