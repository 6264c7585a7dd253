#pragma once

#include <QString>
#include <optional>

// What the header of a RIFF wave file says about its sound.
struct WaveInfo
{
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    qint64 dataBytes = 0;
    qint64 durationMs = 0;
};

// Reads the "fmt " and "data" chunks of a wave file; none when the file is missing or is no wave file.
std::optional<WaveInfo> ReadWaveInfo(const QString& file);
