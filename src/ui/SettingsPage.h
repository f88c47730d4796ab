#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QGroupBox;
class ImageButton;
class SettingsStore;
struct DisplaySettings;

// The settings page `settingsPage`. Its controls are the settings in memory: every change on
// the page goes into DisplaySettings at once and reaches the store at the next save; the
// log-on launch and the tray box take effect at once. A failure is told here, in a box.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    SettingsPage(DisplaySettings& settings, SettingsStore& store, QWidget* parent = nullptr);

    // Fills the two lists and chooses their design entries.
    void fillLists();
    // Reads the settings from the store and shows them.
    void loadSettings();
    // Shows what DisplaySettings holds (after loading).
    void showSettings();
    // Stores every setting. A failure is told once a run: the settings are saved at every
    // start and stop of the show as well.
    void saveSettings();
    // The log-on launch choice lives in the log-on entry itself, and the tray box is read
    // only beside it.
    void showLogonLaunch();

    void optRun_Click();
    void optDontRun_Click();
    void chkSysTray_Click();

    QLabel* Label3;
    QGroupBox* picMessageFrequency;
    QComboBox* cboDispInterval;
    QComboBox* cboDispDuration;
    QGroupBox* picMessageDisplay;
    std::array<QRadioButton*, 2> optMessage;
    QGroupBox* picMessageLocation;
    std::array<QRadioButton*, 2> optLocation;
    ImageButton* picFont;
    QGroupBox* picRun;
    QRadioButton* optRun;
    QRadioButton* optDontRun;
    QCheckBox* chkSysTray;
    QLabel* lblNote;
    ImageButton* picStartInSettings;

signals:
    void fontRequested(); // picFont

private:
    void updateRunValue(bool run);
    void tellSettingsNotSaved(const QString& why);

    DisplaySettings& m_settings;
    SettingsStore& m_store;
    bool m_toldSettingsNotSaved = false;
};
