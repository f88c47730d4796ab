#include "ui/SettingsPage.h"

#include "settings/DisplaySettings.h"
#include "settings/SettingKeys.h"
#include "ui/ImageButton.h"
#include "ui/Palette.h"
#include "ui/SettingsKeeper.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>

namespace {
QLabel* label(const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

QRadioButton* option(const SettingKeys::OptionKey& key, int index, QWidget* parent,
                     const QRect& geometry)
{
    auto* button = new QRadioButton(QString::fromUtf8(key.captions[std::size_t(index)]), parent);
    button->setGeometry(geometry);
    button->setChecked(index == key.design);
    return button;
}
} // namespace

SettingsPage::SettingsPage(SettingsKeeper& keeper, QWidget* parent)
    : QWidget(parent), m_keeper(keeper), m_settings(keeper.settings())
{
    setObjectName(QStringLiteral("Picture3"));
    setFixedSize(553, 311);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(Palette::pageStyleSheet());

    Label3 = label(QStringLiteral("Enter your Program Settings here."), this, {10, 6, 400, 18});
    Label3->setProperty("heading", true);

    // Left: log-on launch and the tray.
    picRun = new QGroupBox(QStringLiteral("Run on Windows Start-Up"), this);
    picRun->setGeometry(8, 28, 168, 224);
    optRun = new QRadioButton(QStringLiteral("Run at start-up"), picRun);
    optRun->setGeometry(8, 22, 156, 20);
    optDontRun = new QRadioButton(QStringLiteral("Don't run at start-up"), picRun);
    optDontRun->setGeometry(8, 44, 156, 20);
    optDontRun->setChecked(true);
    chkSysTray = new QCheckBox(QStringLiteral("Start at system tray"), picRun);
    chkSysTray->setGeometry(8, 68, 156, 20);
    chkSysTray->setEnabled(false);
    lblNote = label(QStringLiteral("This is a very important setting. Remember that if you want "
                                   "to get the most benefit from this program then you must "
                                   "have it running at all times.\nIt is also important that you "
                                   "keep your goals in mind, hence starting in system tray will "
                                   "be a deterrent to those goals."),
                    picRun, {8, 92, 154, 128});
    lblNote->setWordWrap(true);
    lblNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblNote->setStyleSheet(QStringLiteral("font-size: 7pt;"));

    // Middle: how often and how long.
    picMessageFrequency = new QGroupBox(QStringLiteral("Message Frequency"), this);
    picMessageFrequency->setGeometry(182, 28, 180, 138);
    auto* freqText = label(QStringLiteral("Below you can set the interval between each message "
                                          "and duration for which each message is displayed."),
                           picMessageFrequency, {8, 18, 166, 58});
    freqText->setWordWrap(true);
    freqText->setStyleSheet(QStringLiteral("font-size: 7pt;"));
    label(QStringLiteral("Display every"), picMessageFrequency, {8, 82, 80, 20});
    cboDispInterval = new QComboBox(picMessageFrequency);
    cboDispInterval->setGeometry(88, 82, 50, 20);
    label(QStringLiteral("Sec"), picMessageFrequency, {142, 82, 36, 20});
    label(QStringLiteral("Display for"), picMessageFrequency, {8, 108, 80, 20});
    cboDispDuration = new QComboBox(picMessageFrequency);
    cboDispDuration->setGeometry(88, 108, 50, 20);
    label(QStringLiteral("MilliSec"), picMessageFrequency, {142, 108, 36, 20})
        ->setStyleSheet(QStringLiteral("font-size: 7pt;"));

    // Right: where, and in which font.
    picMessageLocation = new QGroupBox(QStringLiteral("Message Location"), this);
    picMessageLocation->setGeometry(368, 28, 177, 138);
    optLocation[1] = option(SettingKeys::RandomLocation, 1, picMessageLocation, {8, 24, 166, 20});
    optLocation[0] = option(SettingKeys::RandomLocation, 0, picMessageLocation, {8, 48, 166, 20});
    picFont = new ImageButton(QStringLiteral("font"), picMessageLocation);
    picFont->move((177 - picFont->width()) / 2, 98);

    // Lower: the order.
    picMessageDisplay = new QGroupBox(QStringLiteral("Message Display Order"), this);
    picMessageDisplay->setGeometry(182, 174, 363, 78);
    optMessage[1] = option(SettingKeys::RandomMessage, 1, picMessageDisplay, {16, 30, 140, 20});
    optMessage[0] = option(SettingKeys::RandomMessage, 0, picMessageDisplay, {176, 30, 140, 20});

    picStartInSettings = new ImageButton(QStringLiteral("start-showing-2"), this);
    picStartInSettings->setPair(QStringLiteral("stop-showing-2"),
                                QStringLiteral("stop-showing-2-hyper"));
    picStartInSettings->move((553 - 420) / 2, 311 - 41 - 6);

    // Each pair of options is its own group, as the frames show them.
    auto* order = new QButtonGroup(this);
    order->addButton(optMessage[0], 0);
    order->addButton(optMessage[1], 1);
    auto* place = new QButtonGroup(this);
    place->addButton(optLocation[0], 0);
    place->addButton(optLocation[1], 1);
    auto* run = new QButtonGroup(this);
    run->addButton(optRun);
    run->addButton(optDontRun);

    // Filled before the lists are bound to the settings: a page made after the settings were
    // loaded must not put their design entries back into them.
    fillLists();
    connect(cboDispInterval, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_settings.DispInterval = index; });
    connect(cboDispDuration, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_settings.DispDuration = index; });
    connect(order, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_settings.RandomMessage = id;
    });
    connect(place, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_settings.RandomLocation = id;
    });
    // An option's click runs when it changes from unselected to selected, by the user or by
    // the program; a check box's click runs whenever its tick changes.
    connect(optRun, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_following)
            optRun_Click();
    });
    connect(optDontRun, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_following)
            optDontRun_Click();
    });
    connect(chkSysTray, &QCheckBox::toggled, this, [this] {
        if (!m_following)
            chkSysTray_Click();
    });
    connect(picFont, &ImageButton::clicked, this, &SettingsPage::fontRequested);
}

void SettingsPage::fillLists()
{
    cboDispInterval->clear();
    for (int i = 0; i < IntervalChoices::count; ++i)
        cboDispInterval->addItem(QString::number(IntervalChoices::seconds(i)));
    cboDispDuration->clear();
    for (int i = 0; i < DurationChoices::count; ++i)
        cboDispDuration->addItem(QString::number(DurationChoices::milliseconds(i)));
    cboDispInterval->setCurrentIndex(SettingKeys::DispInterval.design);
    cboDispDuration->setCurrentIndex(SettingKeys::DispDuration.design);
}

void SettingsPage::showSettings()
{
    const QScopedValueRollback guard(m_following, true);
    cboDispInterval->setCurrentIndex(m_settings.DispInterval);
    cboDispDuration->setCurrentIndex(m_settings.DispDuration);
    optMessage[m_settings.RandomMessage == 0 ? 0 : 1]->setChecked(true);
    optLocation[m_settings.RandomLocation == 0 ? 0 : 1]->setChecked(true);
    (m_settings.RunAtStartup ? optRun : optDontRun)->setChecked(true);
    chkSysTray->setEnabled(m_settings.RunAtStartup);
    chkSysTray->setChecked(m_settings.RunAtSysTray);
}

void SettingsPage::loadSettings()
{
    m_keeper.load();
    showSettings();
}

void SettingsPage::saveSettings()
{
    m_keeper.save();
}

void SettingsPage::optRun_Click()
{
    m_keeper.writeRunValue(true);
    chkSysTray->setEnabled(true);
    m_settings.RunAtStartup = true;
}

void SettingsPage::optDontRun_Click()
{
    m_keeper.writeRunValue(false);
    chkSysTray->setEnabled(false);
    chkSysTray->setChecked(false); // a change stores its tick at once
    m_settings.RunAtStartup = false;
}

void SettingsPage::chkSysTray_Click()
{
    m_keeper.setRunAtSysTray(chkSysTray->isChecked());
}
