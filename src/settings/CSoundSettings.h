#pragma once

#include "settings/SoundPlayer.h"

#include <QString>
#include <memory>

// The sound switch and the wave files of the four events. The play procedures do not look at SoundOn:
// every caller checks it first. Without a player (or with one that reports no output device) nothing is
// ever played and DoesThisPCSupportWave is false.
class CSoundSettings final
{
public:
    // The text of an event without a sound.
    static QString NoSound() { return QStringLiteral("(none)"); }
    // The completion sound the program ships, among its own read-only files.
    static QString DefaultSoundFileName() { return QStringLiteral("parvexdone.wav"); }

    // assetFolder: where the default completion sound lives.
    explicit CSoundSettings(const QString& assetFolder = {});
    ~CSoundSettings();
    Q_DISABLE_COPY_MOVE(CSoundSettings)

    // Installs the audio back end and asks it once whether the computer has a wave output device.
    void SetPlayer(std::unique_ptr<SoundPlayer> player);

    bool DoesThisPCSupportWave() const { return m_supportsWave; }
    bool SoundOn() const { return m_soundOn; }
    void SetSoundOn(bool v) { m_soundOn = v; }
    const QString& StartSound() const { return m_startSound; }
    void SetStartSound(const QString& v) { m_startSound = v; }
    const QString& ExitSound() const { return m_exitSound; }
    void SetExitSound(const QString& v) { m_exitSound = v; }
    const QString& CompareCompleteSound() const { return m_compareCompleteSound; }
    void SetCompareCompleteSound(const QString& v) { m_compareCompleteSound = v; }
    const QString& SyncCompleteSound() const { return m_syncCompleteSound; }
    void SetSyncCompleteSound(const QString& v) { m_syncCompleteSound = v; }

    // Plays a wave file; false (and silence) when the computer cannot play wave files or the file fails.
    bool PlayWave(const QString& pstrWaveFileSpec, bool bolAsync);

    // The start sound does not delay start-up; the others finish before the caller goes on (the exit
    // sound must end before the program does).
    void PlayStartSound();
    void PlayExitSound();
    void PlayCompareCompleteSound();
    void PlaySyncCompleteSound();

private:
    void PlayUnlessNone(const QString& file, bool async);

    std::unique_ptr<SoundPlayer> m_player;
    bool m_supportsWave = false;
    bool m_soundOn = true;
    QString m_startSound;
    QString m_exitSound;
    QString m_compareCompleteSound;
    QString m_syncCompleteSound;
};
