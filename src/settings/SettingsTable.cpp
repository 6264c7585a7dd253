#include "settings/SettingsTable.h"

#include "base/Failure.h"
#include "base/Path.h"
#include "base/UserDialogs.h"
#include "model/PathUtils.h"
#include "platform/CIniFile.h"
#include "settings/CSoundSettings.h"
#include "settings/OptionTable.h"
#include "views/CViewSelections.h"

#include <QLocale>
#include <cerrno>
#include <cmath>
#include <limits>
#include <unistd.h>

namespace {

const QString True = QStringLiteral("True");
const QString False = QStringLiteral("False");

constexpr double MaxFontSize = 50;
constexpr double OversizedFontReplacement = 8;

QString WordAt(const QStringList& words, int index, int fallback)
{
    return index >= 0 && index < words.size() ? words.at(index) : words.at(fallback);
}

QString SoundOrNone(const QString& file) { return file.isEmpty() ? CSoundSettings::NoSound() : file; }

// Reads the rows of the table from a settings file or, without one, as their defaults.
struct Reading
{
    CIniFile* ini;
    const SettingsOwners& o;
    const SettingsEnvironment& env;
    const QString& assetFolder;
    QStringList& problems;

    QString Text(const OptionRow& row, const QString& byDefault) const
    {
        if (ini == nullptr)
            return byDefault;
        return ini->Get(QString::fromLatin1(row.section), QString::fromLatin1(row.key), byDefault);
    }
    // Names a stored text that gives way to the default. The default's own text is never named: a start
    // font without a point size has none that reads back.
    void Refuse(const OptionRow& row, const QString& text, const QString& byDefault) const
    {
        if (ini != nullptr && text != byDefault)
            problems << SettingsProblemText::Unusable(ini->FullPath(), row, text);
    }
    bool Flag(const OptionRow& row, bool byDefault) const { return Text(row, SettingsText::Flag(byDefault)) == True; }
    // A whole number; the default when the text is no number or fails the check.
    int Whole(const OptionRow& row, int byDefault, const std::function<bool(int)>& acceptable) const
    {
        const QString byDefaultText = QString::number(byDefault);
        const QString text = Text(row, byDefaultText);
        const std::optional<int> n = SettingsText::WholeNumber(text);
        if (!n || (acceptable && !acceptable(*n))) {
            Refuse(row, text, byDefaultText);
            return byDefault;
        }
        return *n;
    }

    void Read(const OptionRow& row, const FlagForm& f) const { f.value.set(o, Flag(row, f.byDefault)); }

    void Read(const OptionRow& row, const WholeForm& f) const
    {
        f.value.set(o, Whole(row, f.byDefault, f.acceptable));
    }

    void Read(const OptionRow& row, const TextForm& f) const
    {
        f.value.set(o, Text(row, f.byDefault != nullptr ? f.byDefault(env) : QString()));
    }

    void Read(const OptionRow& row, const WordForm& f) const
    {
        // The words are compared exactly, as they are written.
        const QString text = Text(row, f.words->at(f.byDefault));
        int value = static_cast<int>(f.words->indexOf(text));
        if (value < 0) {
            switch (f.unknown) {
            case UnknownWord::KeepsValue:
                return;
            case UnknownWord::ReadsAsDefault:
                Refuse(row, text, f.words->at(f.byDefault));
                value = f.byDefault;
                break;
            }
        }
        f.value.set(o, f.usable != nullptr ? f.usable(value, env) : value);
    }

    void Read(const OptionRow& row, const SoundForm& f) const
    {
        const QString byDefault = f.shippedByDefault
                                      ? AddTrailingBackslash(assetFolder) + CSoundSettings::DefaultSoundFileName()
                                      : CSoundSettings::NoSound();
        f.value.set(o, SoundOrNone(Text(row, byDefault)));
    }

    void Read(const OptionRow& row, const SyncRuleForm& f) const
    {
        if (o.sync.SyncMethod() != CSyncSettings::Custom)
            return;
        const int code = static_cast<int>(f.words->indexOf(Text(row, f.words->at(f.byDefault))));
        const bool orphan = f.rule % 4 == CSyncSettings::Orphan;
        CSyncSettings::Rules rules = o.sync.AllRules();
        rules[static_cast<size_t>(f.rule)] =
            code < 0 || (orphan && code == CSyncSettings::Replace) ? int(CSyncSettings::Leave) : code;
        o.sync.SetAllRules(rules);
    }

    void Read(const OptionRow& row, const CustomViewForm& f) const
    {
        if (o.views.ViewType() == CViewSelections::Custom) {
            bool& flag = o.views.*f.flag;
            if (f.leftByOtherText) {
                const QString text = Text(row, SettingsText::Flag(f.byDefault));
                if (text == True)
                    flag = true;
                else if (text == False)
                    flag = false;
            } else {
                flag = Flag(row, f.byDefault);
            }
        }
        if (f.lastViewKey && env.viewSelectionsLoaded)
            env.viewSelectionsLoaded();
    }

    void Read(const OptionRow& row, const FontSizeForm& f) const
    {
        const QString byDefault = SettingsText::FontSizeText(env.startFontSize);
        const QString text = Text(row, byDefault);
        const std::optional<double> size = SettingsText::Number(text);
        double& value = o.main.*f.value;
        if (!size || *size <= 0) {
            Refuse(row, text, byDefault);
            value = env.startFontSize;
        } else
            value = *size > MaxFontSize ? OversizedFontReplacement : *size;
    }

    void Read(const OptionRow& row, const WindowStateForm& f) const
    {
        const bool maximized = Text(row, QStringLiteral("Normal")) == QLatin1String("Maximized");
        o.main.*f.value = maximized ? MainOptions::WindowState::Maximized : MainOptions::WindowState::Normal;
    }

    void Read(const OptionRow& row, const WindowSizeForm& f) const
    {
        o.main.*f.value = Whole(row, f.byDefault, {});
    }

    void Read(const OptionRow& row, const WindowEdgeForm& f) const
    {
        const int screen = f.vertical ? env.screenHeightTwips : env.screenWidthTwips;
        const int centred = static_cast<int>(std::nearbyint((screen - o.main.*f.size) / 2.0));
        // An edge beyond the screen is no damage: the screen may have changed since. It is centred quietly.
        const QString text = Text(row, QString::number(centred));
        const std::optional<int> n = SettingsText::WholeNumber(text);
        if (!n)
            Refuse(row, text, QString::number(centred));
        o.main.*f.value = n && *n <= screen ? *n : centred;
    }
};

// The texts rows are written as; none for a row that keeps what the file has.
struct Storing
{
    const SettingsOwners& o;

    std::optional<QString> Text(const FlagForm& f) const { return SettingsText::Flag(f.value.get(o)); }
    std::optional<QString> Text(const WholeForm& f) const { return SettingsText::Padded(f.value.get(o)); }
    std::optional<QString> Text(const TextForm& f) const { return f.value.get(o); }
    std::optional<QString> Text(const WordForm& f) const { return WordAt(*f.words, f.value.get(o), f.byDefault); }
    std::optional<QString> Text(const SoundForm& f) const { return f.value.get(o); }
    std::optional<QString> Text(const SyncRuleForm& f) const
    {
        return WordAt(*f.words, o.sync.AllRules()[static_cast<size_t>(f.rule)], CSyncSettings::Leave);
    }
    std::optional<QString> Text(const CustomViewForm& f) const { return SettingsText::Flag(o.views.*f.flag); }
    std::optional<QString> Text(const FontSizeForm& f) const { return SettingsText::FontSizeText(o.main.*f.value); }
    std::optional<QString> Text(const WindowStateForm& f) const
    {
        // A minimised window keeps its last normal place.
        return o.main.*f.value == MainOptions::WindowState::Maximized ? QStringLiteral("Maximized")
                                                                       : QStringLiteral("Normal");
    }
    std::optional<QString> Text(const WindowSizeForm& f) const
    {
        if (o.main.State != MainOptions::WindowState::Normal)
            return std::nullopt;
        return SettingsText::Padded(o.main.*f.value);
    }
    std::optional<QString> Text(const WindowEdgeForm& f) const
    {
        if (o.main.State != MainOptions::WindowState::Normal)
            return std::nullopt;
        return SettingsText::Padded(qMax(0, o.main.*f.value));
    }
};

QStringList ReadRows(CIniFile* ini, const SettingsFile& file, const SettingsOwners& owners,
                     const SettingsEnvironment& env, const std::function<bool(const OptionRow&)>& wanted = {})
{
    QStringList problems;
    const Reading reading{ini, owners, env, file.assetFolder.isEmpty() ? file.appFolder : file.assetFolder, problems};
    for (const OptionRow& row : OptionRows())
        if (!wanted || wanted(row))
            std::visit([&](const auto& form) { reading.Read(row, form); }, row.form);
    return problems;
}

} // namespace

std::optional<QString> StoredText(const OptionRow& row, const SettingsOwners& owners)
{
    const Storing storing{owners};
    return std::visit([&](const auto& form) { return storing.Text(form); }, row.form);
}

QStringList LoadSettingsFromIni(const SettingsFile& file, const SettingsOwners& owners, const SettingsEnvironment& env,
                                const std::function<bool(const OptionRow&)>& wanted)
{
    CIniFile ini(file.appFolder, file.dialogs);
    ini.SetName(CIniFile::SettingsFileName());
    const IniDocument& snapshot = ini.TakeSnapshot();
    QStringList problems;
    if (snapshot.Status() == IniDocument::State::Unreadable)
        problems << SettingsProblemText::Unreadable(ini.FullPath(), snapshot.Problem());
    problems << ReadRows(&ini, file, owners, env, wanted);
    return problems;
}

void ShowSettingsProblems(const QStringList& problems, UserDialogs& dialogs)
{
    if (!problems.isEmpty())
        dialogs.Message(problems.join(QStringLiteral("\r\n")), SettingsProblemText::Title(), UserDialogs::Icon::Warning);
}

void SaveSettingsToIni(const SettingsFile& file, const SettingsOwners& owners)
{
    CIniFile ini(file.appFolder, file.dialogs);
    ini.SetName(CIniFile::SettingsFileName());
    ini.TakeSnapshot();
    for (const OptionRow* row : RowsInWritingOrder())
        if (const std::optional<QString> text = StoredText(*row, owners))
            ini.Set(QString::fromLatin1(row->section), QString::fromLatin1(row->key), *text);
    ini.Commit();
}

QByteArray SettingsFileText(const SettingsFile& file, const SettingsOwners& owners)
{
    const QString path = AddTrailingBackslash(file.appFolder) + CIniFile::SettingsFileName();
    IniDocument doc = IniDocument::Load(path);
    if (doc.Status() == IniDocument::State::Unreadable)
        throw Failure(Failure::PathFileAccessError,
                      QStringLiteral("The settings file ") + path + QStringLiteral(" cannot be read (") + doc.Problem()
                          + QLatin1Char(')'));
    for (const OptionRow* row : RowsInWritingOrder())
        if (const std::optional<QString> text = StoredText(*row, owners))
            doc.Set(QString::fromLatin1(row->section), QString::fromLatin1(row->key), *text);
    return doc.Bytes();
}

void RestoreDefaultOptions(const SettingsFile& settings, const SettingsOwners& owners, const SettingsEnvironment& env,
                           const std::function<void()>& beforeLoad)
{
    const QString file = AddTrailingBackslash(settings.appFolder) + CIniFile::SettingsFileName();
    // A file that stays (a read-only application folder) would load the old settings again under the
    // name of the defaults: report it instead.
    if (::unlink(EncodeFileName(file).constData()) != 0 && errno != ENOENT)
        throw Failure::FromErrno(errno, true);
    if (beforeLoad)
        beforeLoad();
    ReadRows(nullptr, settings, owners, env);
}

namespace SettingsProblemText {

QString Title() { return QStringLiteral("Settings File Problem"); }

QString Unusable(const QString& file, const OptionRow& row, const QString& stored)
{
    return QStringLiteral("The value \"") + stored + QStringLiteral("\" of key ") + QString::fromLatin1(row.key)
         + QStringLiteral(" in section [") + QString::fromLatin1(row.section) + QStringLiteral("] of the settings file ")
         + file + QStringLiteral(" cannot be used; the default is used instead.");
}

QString Unreadable(const QString& file, const QString& why)
{
    return QStringLiteral("The settings file ") + file + QStringLiteral(" cannot be read (") + why
         + QStringLiteral("); every setting takes its default, and the file is left as it is.");
}

} // namespace SettingsProblemText

namespace SettingsText {

QString Flag(bool value) { return value ? True : False; }

QString Padded(qint64 value)
{
    if (value < 0)
        return QLatin1Char('-') + QString::number(-value).rightJustified(10, QLatin1Char('0'));
    return QString::number(value).rightJustified(10, QLatin1Char('0'));
}

std::optional<double> Number(const QString& text)
{
    bool ok = false;
    const double n = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(n))
        return std::nullopt;
    return n;
}

std::optional<int> WholeNumber(const QString& text)
{
    const std::optional<double> n = Number(text);
    if (!n)
        return std::nullopt;
    const double rounded = std::nearbyint(*n); // the default rounding mode rounds half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

QString FontSizeText(double size)
{
    QString text = QLocale::c().toString(size, 'g', 6);
    // A one-character value reads back as the default, so a one-digit size keeps a leading zero.
    if (text.size() == 1)
        text.prepend(QLatin1Char('0'));
    return text;
}

} // namespace SettingsText
