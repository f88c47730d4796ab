#pragma once

#include "core/Outcome.h"

#include <QList>
#include <QPair>
#include <QString>
#include <memory>

class QSettings;

// Per-user text values addressed by application name, section and key. On Windows the
// registry area of the classic GetSetting/SaveSetting, so an existing installation's settings
// carry over; elsewhere an INI file, one group per section, replaced all at once at every
// save, so a full disk or a kill never leaves it empty or cut.
class SettingsStore
{
public:
    // The store of the application `appName` in its usual per-user place.
    explicit SettingsStore(const QString& appName);
    // An INI file at `iniPath` (tests, and every platform but Windows).
    static std::unique_ptr<SettingsStore> atIniFile(const QString& iniPath);
    ~SettingsStore();

    // `$XDG_CONFIG_HOME/<app>/<app>.ini` (default ~/.config/<app>/<app>.ini).
    static QString defaultIniPath(const QString& appName);

    // The stored text, or `fallback` when the key (or its section) is absent, or when the
    // file cannot be read.
    QString GetSetting(const QString& section, const QString& key,
                       const QString& fallback = QString()) const;
    // Stores the text, replacing an existing value.
    Outcome SaveSetting(const QString& section, const QString& key, const QString& text);
    // Stores several keys of one section with a single rewrite of the store: all of them or
    // none. A file that exists but cannot be read is never written over: the keys it holds
    // would be lost. When it fails, why() is a sentence or the system's words, to follow the
    // name of the file.
    Outcome SaveSettings(const QString& section,
                         const QList<QPair<QString, QString>>& keysAndTexts);

    QString fileName() const;

private:
    struct IniTag
    {
    };
    SettingsStore(IniTag, const QString& iniPath);
    QSettings* reader() const;
    Outcome saveToIniFile(const QString& section,
                          const QList<QPair<QString, QString>>& keysAndTexts);

    QString m_iniPath; // empty for the registry
    mutable std::unique_ptr<QSettings> m_settings;
};
