#include "settings/SettingsStore.h"

#include "core/AtomicWrite.h"
#include "core/ReadFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

SettingsStore::SettingsStore(const QString& appName)
{
#ifdef Q_OS_WIN
    m_settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + appName,
        QSettings::NativeFormat);
#else
    m_iniPath = defaultIniPath(appName);
#endif
}

SettingsStore::SettingsStore(IniTag, const QString& iniPath) : m_iniPath(iniPath) {}

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

// The INI file as it is now, or nothing when it cannot be read. QSettings opens the file as
// it comes, and would wait for ever on a FIFO put in its place.
QSettings* SettingsStore::reader() const
{
    if (m_iniPath.isEmpty())
        return m_settings.get();
    if (ReadFile::check(m_iniPath).unreadable())
        return nullptr;
    if (!m_settings)
        m_settings = std::make_unique<QSettings>(m_iniPath, QSettings::IniFormat);
    else
        m_settings->sync(); // another program may have changed the file since the last read
    return m_settings.get();
}

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& fallback) const
{
    QSettings* settings = reader();
    if (!settings)
        return fallback;
    const QVariant value = settings->value(section + QLatin1Char('/') + key);
    if (!value.isValid())
        return fallback;
    // A hand-edited INI value with an unquoted comma reads as a list: give back its text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

Outcome SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& text)
{
    return SaveSettings(section, {{key, text}});
}

Outcome SettingsStore::SaveSettings(const QString& section,
                                    const QList<QPair<QString, QString>>& keysAndTexts)
{
    if (m_iniPath.isEmpty()) {
        for (const auto& [key, text] : keysAndTexts)
            m_settings->setValue(section + QLatin1Char('/') + key, text);
        m_settings->sync();
        if (m_settings->status() != QSettings::NoError)
            return Outcome::failed(QStringLiteral("The registry could not be written."));
        return {};
    }
    const Outcome saved = saveToIniFile(section, keysAndTexts);
    // Read afresh next time: QSettings may take a file replaced within the same millisecond
    // and of the same size for the one it read before.
    m_settings.reset();
    return saved;
}

// QSettings writes the INI text, but it does not notice when its own save runs out of disk:
// it renames a cut file over the old one all the same. So it writes a scratch copy, the copy
// is read back and checked key by key, and only then replaces the real file all at once.
Outcome SettingsStore::saveToIniFile(const QString& section,
                                     const QList<QPair<QString, QString>>& keysAndTexts)
{
    const ReadFile::Result current = ReadFile::read(m_iniPath);
    if (const Outcome may = ReadFile::mayReplace(current); !may.ok())
        return Outcome::failed(QStringLiteral("It %1.").arg(may.why()));
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return Outcome::failed(
            QStringLiteral("No scratch folder could be made (%1).").arg(scratch.errorString()));
    const QString copyPath = scratch.filePath(QStringLiteral("settings.ini"));
    if (current.ok()) {
        if (const Outcome copied = AtomicWrite::write(copyPath, current.bytes); !copied.ok())
            return copied;
    }
    QStringList keys;
    QList<QVariant> values;
    {
        QSettings copy(copyPath, QSettings::IniFormat);
        for (const auto& [key, text] : keysAndTexts)
            copy.setValue(section + QLatin1Char('/') + key, text);
        copy.sync();
        if (copy.status() != QSettings::NoError)
            return Outcome::failed(QStringLiteral("Its new text could not be made."));
        keys = copy.allKeys();
        for (const QString& key : keys)
            values.append(copy.value(key));
    }
    const ReadFile::Result written = ReadFile::read(copyPath);
    {
        const QSettings check(copyPath, QSettings::IniFormat);
        bool same = written.ok() && check.status() == QSettings::NoError && check.allKeys() == keys;
        for (qsizetype i = 0; same && i < keys.size(); ++i)
            same = check.value(keys.at(i)) == values.at(i);
        if (!same)
            return Outcome::failed(
                QStringLiteral("Its new text could not be written whole (is the disk full?)."));
    }
    QDir().mkpath(QFileInfo(m_iniPath).absolutePath());
    return AtomicWrite::write(m_iniPath, written.bytes);
}

QString SettingsStore::fileName() const
{
    return m_iniPath.isEmpty() ? m_settings->fileName() : m_iniPath;
}
