#include "ui/SettingsKeeper.h"

#include "core/AppFolder.h"
#include "core/Prompt.h"
#include "settings/DisplaySettings.h"
#include "settings/LogonLaunch.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

#include <QCoreApplication>
#include <QDir>

SettingsKeeper::SettingsKeeper(DisplaySettings& settings, SettingsStore& store)
    : m_settings(settings), m_store(store)
{
}

void SettingsKeeper::load()
{
    StoredSettings::load(m_store, m_settings);
}

void SettingsKeeper::save()
{
    if (const Outcome saved = StoredSettings::save(m_store, m_settings); !saved.ok())
        tellSettingsNotSaved(saved.why());
}

void SettingsKeeper::restoreLogonLaunch()
{
    if (!LogonLaunch::HasRunValue(AppFolder::baseName()))
        return;
    writeRunValue(true);
    m_settings.RunAtStartup = true;
    // An unticked box stays as it was: only a change of the tick is stored.
    if (StoredSettings::loadRunAtSysTray(m_store))
        setRunAtSysTray(true);
}

void SettingsKeeper::writeRunValue(bool run)
{
    const Outcome updated = LogonLaunch::UpdateRunValue(
        AppFolder::baseName(), QCoreApplication::applicationDirPath(), run);
    if (!updated.ok())
        Prompt::current().ask(updated.why(), Prompt::Icon::None, Prompt::Buttons::Ok);
}

void SettingsKeeper::setRunAtSysTray(bool on)
{
    m_settings.RunAtSysTray = on;
    const Outcome saved = StoredSettings::saveRunAtSysTray(m_store, on);
    if (!saved.ok())
        tellSettingsNotSaved(saved.why());
}

void SettingsKeeper::tellSettingsNotSaved(const QString& why)
{
    const QString text = QStringLiteral("The settings could not be saved to the file \"%1\".\n%2")
                             .arg(QDir::toNativeSeparators(m_store.fileName()), why);
    qWarning("%s", qPrintable(text));
    if (m_toldSettingsNotSaved)
        return;
    m_toldSettingsNotSaved = true;
    Prompt::current().ask(text, Prompt::Icon::Critical, Prompt::Buttons::Ok);
}
