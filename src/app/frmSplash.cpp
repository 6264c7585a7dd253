#include "app/frmSplash.h"

#include "app/AppContext.h"
#include "platform/CIniFile.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

frmSplash::frmSplash(AppContext& ctx, std::function<void()> next, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_ctx(ctx),
      m_next(std::move(next))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_TranslucentBackground);
    m_pctLogo = new QLabel(this);
    m_pctLogo->setObjectName(QStringLiteral("pctLogo"));
    const QPixmap picture(ctx.AssetFile(PictureFileName()));
    if (!picture.isNull()) {
        m_pctLogo->setPixmap(picture);
        m_pctLogo->setFixedSize(picture.size());
    } else {
        // Without its picture the splash still shows who is starting.
        m_pctLogo->setText(QStringLiteral("Parvex"));
        m_pctLogo->setAlignment(Qt::AlignCenter);
        m_pctLogo->setFixedSize(420, 260);
        m_pctLogo->setStyleSheet(QStringLiteral("background: #1f4e8c; color: white; font-size: 40px; font-weight: bold;"));
    }
    m_pctLogo->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pctLogo);
    setFixedSize(m_pctLogo->size());
    setMask(QRegion(rect(), QRegion::Ellipse));
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    const QString sound = StartSoundToPlay(ctx);
    if (sound != CSoundSettings::NoSound()) {
        ctx.Sounds().SetStartSound(sound);
        ctx.Sounds().PlayStartSound();
    }

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(DisplayMs);
    connect(&m_timer1, &QTimer::timeout, this, &frmSplash::Finish);
    m_timer1.start();
}

QString frmSplash::StartSoundToPlay(AppContext& ctx)
{
    CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    if (ini.Get(QStringLiteral("Options"), QStringLiteral("SoundOn"), QStringLiteral("True")) != QLatin1String("True") ||
        !ctx.Sounds().DoesThisPCSupportWave())
        return CSoundSettings::NoSound();
    const QString sound = ini.Get(QStringLiteral("Options"), QStringLiteral("StartSound"), CSoundSettings::NoSound());
    return sound.isEmpty() ? CSoundSettings::NoSound() : sound;
}

void frmSplash::Finish()
{
    if (m_done)
        return;
    m_done = true;
    m_timer1.stop();
    hide();
    if (m_next)
        m_next();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pctLogo && event->type() == QEvent::MouseButtonRelease) {
        Finish();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
