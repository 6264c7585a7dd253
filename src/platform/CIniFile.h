#pragma once

#include "platform/IniDocument.h"

#include <QString>
#include <optional>

class UserDialogs;

// One key of an INI file of the application folder at a time. A procedure creates one, sets Name once,
// then sets Section and Key for each value it reads or writes. Unless a snapshot is taken, nothing is
// cached: every read and write goes to the file. Reads answer the caller's default for missing keys and
// for values shorter than two characters; long values come back whole. Writes that fail are silent and
// leave the old file whole.
class CIniFile final
{
public:
    CIniFile(const QString& folder, UserDialogs& dialogs);
    Q_DISABLE_COPY_MOVE(CIniFile)

    // The file that holds every setting of the program.
    static QString SettingsFileName() { return QStringLiteral("parvex.ini"); }

    const QString& Name() const { return m_name; }
    // Stores the name and computes the full path; a second call warns and keeps the first name.
    void SetName(const QString& name);
    const QString& Section() const { return m_section; }
    void SetSection(const QString& section) { m_section = section; }
    const QString& Key() const { return m_key; }
    void SetKey(const QString& key) { m_key = key; }
    // The application folder followed by Name; empty until Name is set.
    const QString& FullPath() const { return m_fullPath; }

    QString GetStringValue(const QString& defaultValue);
    void SetStringValue(const QString& value);

    // Reads the file once, after Name is set: from then on reads answer from that snapshot and writes
    // change only it, until Commit. A reader of many keys takes one, since a large file read once per key
    // took minutes. Answers the snapshot, so the caller can tell a file that could not be read.
    const IniDocument& TakeSnapshot();
    // Writes the snapshot back whole, when it changed. Answers whether the file now holds it.
    bool Commit();

    // Shorthands that set Section and Key first.
    QString Get(const QString& section, const QString& key, const QString& defaultValue);
    void Set(const QString& section, const QString& key, const QString& value);

private:
    // Shows the message for the first empty property; writeStop adds the full stop of the write messages.
    bool PropertiesSet(bool writeStop);

    QString m_folder;
    UserDialogs& m_dialogs;
    QString m_name;
    QString m_section;
    QString m_key;
    QString m_fullPath;
    std::optional<IniDocument> m_snapshot;
};
