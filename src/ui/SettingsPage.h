#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QGroupBox;
class ImageButton;
struct DisplaySettings;

// The settings page `Picture3`. Its controls are the settings in memory: every change on
// the page goes into DisplaySettings at once and reaches the store at the next save.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    SettingsPage(DisplaySettings& settings, QWidget* parent = nullptr);

    // Fills the two lists and chooses their design entries.
    void fillLists();
    // Shows what DisplaySettings holds (after loading).
    void showSettings();

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
    void optRunClicked();     // "Run at start-up" became selected
    void optDontRunClicked(); // "Don't run at start-up" became selected
    void chkSysTrayClicked(); // the tray box's tick changed, by the user or by the program
    void fontRequested();     // picFont

private:
    DisplaySettings& m_settings;
};
