#include "settings/GuiSoundPlayer.h"

#include "settings/WaveFile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <functional>

namespace {

// Loading a small wave file takes milliseconds; a device that does not answer must not hang the program.
constexpr int LoadTimeoutMs = 5000;
// Time allowed beyond the sound's own length before a silent device is given up on.
constexpr int PlayMarginMs = 2000;

bool WaitUntil(QSoundEffect& effect, const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] { if (done()) loop.quit(); });
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] { if (done()) loop.quit(); });
    timer.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return done();
}

} // namespace

bool GuiSoundPlayer::HasOutputDevice() { return !QMediaDevices::audioOutputs().isEmpty(); }

bool GuiSoundPlayer::Play(const QString& waveFile, bool async)
{
    const std::optional<WaveInfo> info = ReadWaveInfo(waveFile);
    if (!info)
        return false;

    if (async) {
        // The effect outlives this call; it removes itself once it has played or failed.
        auto* effect = new QSoundEffect(QCoreApplication::instance());
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
            if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
                effect->play();
            else if (effect->status() == QSoundEffect::Error)
                effect->deleteLater();
        });
        QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
            if (!effect->isPlaying())
                effect->deleteLater();
        });
        effect->setSource(QUrl::fromLocalFile(waveFile));
        return true;
    }

    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(waveFile));
    const auto loaded = [&] {
        return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error;
    };
    if (!WaitUntil(effect, loaded, LoadTimeoutMs) || effect.status() != QSoundEffect::Ready)
        return false;
    effect.play();
    bool started = effect.isPlaying();
    const auto finished = [&] {
        if (effect.isPlaying())
            started = true;
        return (started && !effect.isPlaying()) || effect.status() == QSoundEffect::Error;
    };
    WaitUntil(effect, finished, static_cast<int>(qMin<qint64>(info->durationMs, 60000)) + PlayMarginMs);
    // A sound that never started (an output that does not answer) was not played.
    return started && effect.status() != QSoundEffect::Error;
}
