#pragma once

#include "FakeUserDialogs.h"
#include "TestSupport.h"
#include "app/AppContext.h"
#include "settings/SettingsTable.h"
#include "settings/SoundPlayer.h"

#include <QFile>
#include <memory>

// Stands in for the audio device: says whether there is one and records what it was asked to play.
class FakeSoundPlayer final : public SoundPlayer
{
public:
    explicit FakeSoundPlayer(bool hasDevice, bool playSucceeds = true)
        : m_hasDevice(hasDevice), m_playSucceeds(playSucceeds)
    {
    }
    bool HasOutputDevice() override { return m_hasDevice; }
    bool Play(const QString& waveFile, bool async) override
    {
        played.append({waveFile, async});
        return m_playSucceeds;
    }

    struct Played
    {
        QString file;
        bool async;
    };
    QList<Played> played;

private:
    bool m_hasDevice;
    bool m_playSucceeds;
};

// A fresh application folder with its AppContext; the sound player reports a device unless told not to.
class SettingsFixture
{
public:
    explicit SettingsFixture(bool soundDevice = true, bool playSucceeds = true) : ctx(dir.path(), dialogs)
    {
        auto p = std::make_unique<FakeSoundPlayer>(soundDevice, playSucceeds);
        player = p.get();
        ctx.Sounds().SetPlayer(std::move(p));
    }

    QString IniPath() const { return dir.file(QStringLiteral("parvex.ini")); }
    QByteArray IniText() const
    {
        QFile f(IniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteIni(const QByteArray& text) const { dir.createFile(QStringLiteral("parvex.ini"), text); }

    // A screen of 1280 x 1024 pixels and a folder-box font of Sans 9 at start.
    static SettingsEnvironment Screen()
    {
        SettingsEnvironment env;
        env.screenWidthTwips = 1280 * 15;
        env.screenHeightTwips = 1024 * 15;
        env.startFontName = QStringLiteral("Sans");
        env.startFontSize = 9;
        return env;
    }
    // Keeps the problems the loading named in problems.
    void Load(const SettingsEnvironment& env = Screen())
    {
        problems = LoadSettingsFromIni(ctx.SettingsStore(), ctx.SettingOwners(), env);
    }
    void Save() { SaveSettingsToIni(ctx.SettingsStore(), ctx.SettingOwners()); }

    TempDir dir;
    FakeUserDialogs dialogs;
    AppContext ctx;
    FakeSoundPlayer* player = nullptr;
    QStringList problems;
};
