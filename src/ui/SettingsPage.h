#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QGroupBox;
class ImageButton;
class SettingsKeeper;
struct DisplaySettings;

// The settings page `settingsPage`. Its controls show the settings in memory: every change on
// the page goes into DisplaySettings at once and reaches the store at the next save; the
// log-on launch and the tray box take effect at once.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsPage(SettingsKeeper& keeper, QWidget* parent = nullptr);

    // Fills the two lists and chooses their design entries, which the settings then hold. A new
    // page has its lists filled, with the settings left as they are.
    void fillLists();
    // Reads the settings from the store and shows them.
    void loadSettings();
    // Shows what DisplaySettings holds, the log-on launch choice and the tray box included.
    // Showing acts on nothing: no entry or setting is written for it.
    void showSettings();
    // Stores every setting.
    void saveSettings();

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
    SettingsKeeper& m_keeper;
    DisplaySettings& m_settings;
    // The controls are being set to what the settings hold; their handlers leave them be.
    bool m_following = false;
};
