#include "base/SettingsStore.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const QString kSection = QStringLiteral("Brindlequay");

QString qualified(const QString& key) {
    return kSection + QLatin1Char('/') + key;
}
} // namespace

SettingsStore::SettingsStore(const QString& location, QSettings::Format format)
    : m_settings(location, format) {}

#ifdef _WIN32
QString SettingsStore::userFilePath() {
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Kestrelix");
}

QSettings::Format SettingsStore::userFormat() {
    return QSettings::NativeFormat;
}
#else
QString SettingsStore::userFilePath() {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return QDir(configHome).filePath(QStringLiteral("Kestrelix.ini"));
}

QSettings::Format SettingsStore::userFormat() {
    return QSettings::IniFormat;
}
#endif

QString SettingsStore::GetSetting(const QString& key, const QString& defaultText) const {
    // Another running copy may have written since we last looked: the last write wins.
    m_settings.sync();
    const QVariant value = m_settings.value(qualified(key));
    if (!value.isValid())
        return defaultText;
    // The INI reader splits a value at unquoted commas; the stored text is the whole line.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::SaveSetting(const QString& key, const QString& text) {
    m_settings.setValue(qualified(key), text);
    m_settings.sync();
}
