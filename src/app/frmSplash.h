#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class AppContext;
class QLabel;

// The splash window: the program's picture "parvexlogo.jpg" in a borderless window with an elliptical
// outline. It plays the start sound when the settings ask for it and, after two seconds or at a click on
// the picture, hides itself and hands over to the main window.
class frmSplash final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DisplayMs = 2000;
    static QString PictureFileName() { return QStringLiteral("parvexlogo.jpg"); }

    // next runs once, when the splash is done (it loads the main window).
    frmSplash(AppContext& ctx, std::function<void()> next, QWidget* parent = nullptr);

    // The start sound the settings file asks for, or "(none)": read straight from the file (section
    // "Options", "SoundOn" default "True", "StartSound" default "(none)", empty meaning "(none)"), since
    // the main window, which loads the settings, does not exist yet. Sounds off or no wave device: "(none)".
    static QString StartSoundToPlay(AppContext& ctx);

    // Stops the timer, hides the window and runs next; harmless when called again.
    void Finish();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& m_ctx;
    std::function<void()> m_next;
    QLabel* m_pctLogo;
    QTimer m_timer1;
    bool m_done = false;
};
