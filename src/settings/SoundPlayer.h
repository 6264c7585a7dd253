#pragma once

#include <QString>

// The audio back end behind CSoundSettings, so the engine stays free of the multimedia library and tests
// can stand in for a sound device.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    // Whether the platform offers at least one audio output.
    virtual bool HasOutputDevice() = 0;
    // Plays a wave file. Synchronous play returns when the sound has finished; asynchronous play returns
    // at once. Answers whether the file could be played (or, asynchronously, started).
    virtual bool Play(const QString& waveFile, bool async) = 0;
};
