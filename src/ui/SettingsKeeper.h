#pragma once

class QString;
class SettingsStore;
struct DisplaySettings;

// The settings in memory and their way to the store, with or without the settings page: a
// program that starts into the tray loads, stores and restores the log-on launch choice long
// before (or without ever) making the page. A failure is told here, in a box.
class SettingsKeeper
{
public:
    SettingsKeeper(DisplaySettings& settings, SettingsStore& store);

    DisplaySettings& settings() const { return m_settings; }
    SettingsStore& store() const { return m_store; }

    // Reads the settings from the store (cmdLoadSettings).
    void load();
    // Stores every setting (cmdSaveSettings). A failure is told once a run: the settings are
    // saved at every start and stop of the show as well.
    void save();

    // Start-up's part of the log-on launch choice: it lives in the log-on entry itself, which
    // is written again for the folder the program runs from now, and the tray choice is read
    // only beside it.
    void restoreLogonLaunch();
    // Writes or removes the log-on entry; the user is told when it could not be written.
    void writeRunValue(bool run);
    // The tray choice, stored at once on its own.
    void setRunAtSysTray(bool on);

private:
    void tellSettingsNotSaved(const QString& why);

    DisplaySettings& m_settings;
    SettingsStore& m_store;
    bool m_toldSettingsNotSaved = false;
};
