#include "SettingsFixture.h"
#include "settings/CSoundSettings.h"
#include "settings/GuiSoundPlayer.h"
#include "settings/WaveFile.h"

#include <QtEndian>

#include <gtest/gtest.h>

TEST(SoundsTest, NothingPlaysWithoutAWaveDevice)
{
    CSoundSettings sounds(QStringLiteral("/app"));
    EXPECT_FALSE(sounds.DoesThisPCSupportWave()); // no player at all
    EXPECT_FALSE(sounds.PlayWave(QStringLiteral("/app/parvexdone.wav"), false));

    auto player = std::make_unique<FakeSoundPlayer>(false);
    FakeSoundPlayer* fake = player.get();
    sounds.SetPlayer(std::move(player));
    EXPECT_FALSE(sounds.DoesThisPCSupportWave());
    sounds.SetStartSound(QStringLiteral("/app/start.wav"));
    sounds.PlayStartSound();
    sounds.PlayCompareCompleteSound();
    EXPECT_FALSE(sounds.PlayWave(QStringLiteral("/app/parvexdone.wav"), true));
    EXPECT_TRUE(fake->played.isEmpty());
}

TEST(SoundsTest, EventsPlayTheirFilesStartAsynchronouslyAndNoneIsSilent)
{
    CSoundSettings sounds(QStringLiteral("/app"));
    EXPECT_EQ(sounds.StartSound(), QStringLiteral("(none)"));
    EXPECT_EQ(sounds.CompareCompleteSound(), QStringLiteral("/app/parvexdone.wav"));
    auto player = std::make_unique<FakeSoundPlayer>(true);
    FakeSoundPlayer* fake = player.get();
    sounds.SetPlayer(std::move(player));
    ASSERT_TRUE(sounds.DoesThisPCSupportWave());

    sounds.PlayStartSound(); // "(none)"
    EXPECT_TRUE(fake->played.isEmpty());

    sounds.SetStartSound(QStringLiteral("/s/start.wav"));
    sounds.SetExitSound(QStringLiteral("/s/exit.wav"));
    sounds.SetSyncCompleteSound(QStringLiteral("/s/sync.wav"));
    sounds.PlayStartSound();
    sounds.PlayExitSound();
    sounds.PlayCompareCompleteSound();
    sounds.PlaySyncCompleteSound();
    ASSERT_EQ(fake->played.size(), 4);
    EXPECT_EQ(fake->played[0].file, QStringLiteral("/s/start.wav"));
    EXPECT_TRUE(fake->played[0].async);
    EXPECT_EQ(fake->played[1].file, QStringLiteral("/s/exit.wav"));
    EXPECT_FALSE(fake->played[1].async); // the program waits for the exit sound
    EXPECT_EQ(fake->played[2].file, QStringLiteral("/app/parvexdone.wav"));
    EXPECT_FALSE(fake->played[3].async);
}

TEST(SoundsTest, TheShippedChimeIsAShortWaveFile)
{
    const std::optional<WaveInfo> info = ReadWaveInfo(TestBinDir() + QStringLiteral("/parvexdone.wav"));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->channels, 1);
    EXPECT_EQ(info->bitsPerSample, 16);
    EXPECT_GT(info->durationMs, 300);
    EXPECT_LT(info->durationMs, 2000);
}

TEST(SoundsTest, FilesThatAreNoWaveAreRefusedBeforeTheDeviceIsAsked)
{
    TempDir dir;
    const QString text = dir.createFile(QStringLiteral("notes.wav"), "RIFF\x10\0\0\0TEXTnot a wave");
    const QString cut = dir.createFile(QStringLiteral("cut.wav"), QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16));
    EXPECT_FALSE(ReadWaveInfo(text).has_value());
    EXPECT_FALSE(ReadWaveInfo(cut).has_value());
    EXPECT_FALSE(ReadWaveInfo(dir.file(QStringLiteral("missing.wav"))).has_value());
    GuiSoundPlayer player;
    EXPECT_FALSE(player.Play(text, false));
    EXPECT_FALSE(player.Play(dir.file(QStringLiteral("missing.wav")), true));
}

TEST(SoundsTest, WaveHeadersAreReadWithinTheFile)
{
    TempDir dir;
    auto le32 = [](quint32 v) {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    // Mono, 8000 Hz, 16 bits: 16000 bytes a second.
    const QByteArray format = QByteArray::fromHex("01000100401f0000803e000002001000");
    // An extended format chunk of 18 bytes, then one second of sound.
    const QString extended = dir.createFile(QStringLiteral("ext.wav"),
        "RIFF" + le32(0) + "WAVE" + "fmt " + le32(18) + format + QByteArray(2, '\0') + "data" + le32(16000)
            + QByteArray(16000, '\0'));
    const std::optional<WaveInfo> info = ReadWaveInfo(extended);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->sampleRate, 8000);
    EXPECT_EQ(info->durationMs, 1000);
    // A damaged size field claiming four gigabytes of format: refused, without reserving that memory.
    const QString damaged = dir.createFile(QStringLiteral("damaged.wav"),
        "RIFF" + le32(0) + "WAVE" + "fmt " + le32(0xFFFFFFF0U) + format + "data" + le32(16) + QByteArray(16, '\0'));
    EXPECT_FALSE(ReadWaveInfo(damaged).has_value());
}
