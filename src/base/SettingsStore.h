#pragma once

#include <QSettings>
#include <QString>

// The per-user store of the few values that outlive a run: named texts in the section
// "Brindlequay" of the application "Kestrelix".
class SettingsStore {
public:
    // Opens the store kept at `location` in `format`: an INI file unless told otherwise (tests
    // pass a file of their own).
    explicit SettingsStore(const QString& location,
                           QSettings::Format format = QSettings::IniFormat);

    // Where the current user's store is kept, and in which format: Kestrelix.ini in the user's
    // configuration folder; on Windows the registry key of the application, under
    // HKEY_CURRENT_USER\Software\VB and VBA Program Settings, where such programs keep theirs.
    static QString userFilePath();
    static QSettings::Format userFormat();

    // The stored text of the key, or the default when the key is absent; never creates a key.
    QString GetSetting(const QString& key, const QString& defaultText) const;
    // Stores the text under the key at once, replacing an older value.
    void SaveSetting(const QString& key, const QString& text);

private:
    mutable QSettings m_settings;
};
