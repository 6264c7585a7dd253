#pragma once

#include "settings/SoundPlayer.h"

// Plays wave files through Qt Multimedia's QSoundEffect on the default audio output.
class GuiSoundPlayer final : public SoundPlayer
{
public:
    bool HasOutputDevice() override;
    bool Play(const QString& waveFile, bool async) override;
};
