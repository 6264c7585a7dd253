#include "platform/CIniFile.h"

#include "base/Path.h"
#include "base/UserDialogs.h"
#include "platform/IniProfile.h"

namespace {
const QString Title = QStringLiteral("CIniFile Error");
} // namespace

CIniFile::CIniFile(const QString& folder, UserDialogs& dialogs) : m_folder(Path::WithSlash(folder)), m_dialogs(dialogs) {}

void CIniFile::SetName(const QString& name)
{
    if (!m_name.isEmpty()) {
        m_dialogs.Message(QStringLiteral("This IniFile Object is already in use by ") + m_fullPath
                              + QStringLiteral("\r\nCreate a new object."),
                          Title, UserDialogs::Icon::Warning);
        return;
    }
    m_name = name;
    m_fullPath = m_folder + name;
}

bool CIniFile::PropertiesSet(bool writeStop)
{
    const QString stop = writeStop ? QStringLiteral(".") : QString();
    QString text;
    if (m_name.isEmpty())
        text = QStringLiteral("Name property must be set first");
    else if (m_section.isEmpty())
        text = QStringLiteral("Section property must be set first") + stop;
    else if (m_key.isEmpty())
        text = QStringLiteral("Key property must be set first") + stop;
    else
        return true;
    m_dialogs.Message(text, Title, UserDialogs::Icon::Error);
    return false;
}

QString CIniFile::GetStringValue(const QString& defaultValue)
{
    if (!PropertiesSet(false))
        return {};
    // The whole value, however long: a folder path or a filter list cut short would be a different one.
    const QString value = m_snapshot ? m_snapshot->Value(m_section, m_key).value_or(defaultValue)
                                     : IniProfile::ReadProfileString(m_section, m_key, defaultValue, m_fullPath, -1);
    // A value of fewer than two characters counts as missing; callers pad numbers so this never bites.
    if (value.size() < 2)
        return defaultValue;
    return value;
}

void CIniFile::SetStringValue(const QString& value)
{
    if (!PropertiesSet(true))
        return;
    if (m_snapshot)
        m_snapshot->Set(m_section, m_key, value);
    else
        IniProfile::WriteProfileString(m_section, m_key, value, m_fullPath);
}

const IniDocument& CIniFile::TakeSnapshot()
{
    m_snapshot.emplace(IniDocument::Load(m_fullPath));
    return *m_snapshot;
}

bool CIniFile::Commit()
{
    if (!m_snapshot)
        return false;
    return !m_snapshot->Changed() || m_snapshot->Save();
}

QString CIniFile::Get(const QString& section, const QString& key, const QString& defaultValue)
{
    m_section = section;
    m_key = key;
    return GetStringValue(defaultValue);
}

void CIniFile::Set(const QString& section, const QString& key, const QString& value)
{
    m_section = section;
    m_key = key;
    SetStringValue(value);
}
