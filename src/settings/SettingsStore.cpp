#include "settings/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

SettingsStore::SettingsStore(const QString& appName)
{
#ifdef Q_OS_WIN
    m_settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + appName,
        QSettings::NativeFormat);
#else
    m_settings = std::make_unique<QSettings>(defaultIniPath(appName), QSettings::IniFormat);
#endif
}

SettingsStore::SettingsStore(IniTag, const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

std::unique_ptr<SettingsStore> SettingsStore::atIniFile(const QString& iniPath)
{
    return std::unique_ptr<SettingsStore>(new SettingsStore(IniTag{}, iniPath));
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultIniPath(const QString& appName)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QLatin1Char('/') + appName + QLatin1Char('/') + appName +
           QStringLiteral(".ini");
}

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& fallback) const
{
    // Another program may have changed the file since the last read.
    m_settings->sync();
    const QVariant value = m_settings->value(section + QLatin1Char('/') + key);
    if (!value.isValid())
        return fallback;
    // A hand-edited INI value with an unquoted comma reads as a list: give back its text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& text)
{
    m_settings->setValue(section + QLatin1Char('/') + key, text);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

int SettingsStore::SaveSettings(const QString& section,
                                const QList<QPair<QString, QString>>& keysAndTexts)
{
    for (const auto& [key, text] : keysAndTexts)
        m_settings->setValue(section + QLatin1Char('/') + key, text);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError ? 0 : int(keysAndTexts.size());
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}
