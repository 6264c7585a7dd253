#include "settings/CSoundSettings.h"

CSoundSettings::CSoundSettings(const QString& assetFolder)
    : m_startSound(NoSound()), m_exitSound(NoSound())
{
    QString folder = assetFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    m_compareCompleteSound = folder + DefaultSoundFileName();
    m_syncCompleteSound = m_compareCompleteSound;
}

CSoundSettings::~CSoundSettings() = default;

void CSoundSettings::SetPlayer(std::unique_ptr<SoundPlayer> player)
{
    m_player = std::move(player);
    m_supportsWave = m_player != nullptr && m_player->HasOutputDevice();
}

bool CSoundSettings::PlayWave(const QString& pstrWaveFileSpec, bool bolAsync)
{
    if (!m_supportsWave || m_player == nullptr)
        return false;
    return m_player->Play(pstrWaveFileSpec, bolAsync);
}

void CSoundSettings::PlayUnlessNone(const QString& file, bool async)
{
    if (file != NoSound())
        PlayWave(file, async);
}

void CSoundSettings::PlayStartSound() { PlayUnlessNone(m_startSound, true); }
void CSoundSettings::PlayExitSound() { PlayUnlessNone(m_exitSound, false); }
void CSoundSettings::PlayCompareCompleteSound() { PlayUnlessNone(m_compareCompleteSound, false); }
void CSoundSettings::PlaySyncCompleteSound() { PlayUnlessNone(m_syncCompleteSound, false); }
