#pragma once

#include <QSettings>
#include <QString>

// The per-user store of the few values that outlive a run: named texts in the section
// "Brindlequay" of the application "Kestrelix".
class SettingsStore {
public:
    // Opens the store kept in the given INI file (tests pass a file of their own).
    explicit SettingsStore(const QString& iniFilePath);

    // The current user's store file: Kestrelix.ini in the user's configuration folder.
    static QString userFilePath();

    // The stored text of the key, or the default when the key is absent; never creates a key.
    QString GetSetting(const QString& key, const QString& defaultText) const;
    // Stores the text under the key at once, replacing an older value.
    void SaveSetting(const QString& key, const QString& text);

private:
    mutable QSettings m_settings;
};
