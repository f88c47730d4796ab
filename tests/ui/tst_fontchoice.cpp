// The message font chosen on the settings page: the next flash shows in it, a flash already
// on screen keeps its look, and the next save stores it.
#include "WhenOpen.h"
#include "core/AppFolder.h"
#include "core/Browser.h"
#include "core/Prompt.h"
#include "display/FrmDisp.h"
#include "display/ShowCycle.h"
#include "settings/MessageFontDialog.h"
#include "settings/SettingsStore.h"
#include "ui/FrmAll.h"
#include "ui/ImageButton.h"
#include "ui/SettingsPage.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFontComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
struct QuietPrompt : Prompt
{
    Answer ask(const QString&, Icon, Buttons b) override
    {
        return b == Buttons::Ok ? Answer::Ok : Answer::No;
    }
};
struct NoBrowser : Browser
{
    bool openUrl(const QUrl&) override { return true; }
};

void choose(MessageFontDialog* d, const QString& face, double size, bool bold, QColor color,
            bool ok)
{
    // As a pick from the list: the box's current entry, then its activation.
    d->cboFace->setCurrentFont(QFont(face));
    emit d->cboFace->activated(d->cboFace->currentIndex());
    d->txtSize->setValue(size);
    d->chkBold->setChecked(bold);
    d->setShownColor(color);
    d->buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
}
} // namespace

class TestFontChoice : public QObject
{
    Q_OBJECT
private slots:
    void nextFlashShowsTheChoice();
};

void TestFontChoice::nextFlashShowsTheChoice()
{
    QuietPrompt prompt;
    NoBrowser browser;
    Prompt::set(&prompt);
    Browser::set(&browser);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    QDir(dir.path()).mkpath("app/plugins");
    QFile program(dir.filePath("app/plugins/Calm.txt"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("\"breathe\",#TRUE#\r\n");
    program.close();
    QFile selection(dir.filePath("app/FileNames.txt"));
    QVERIFY(selection.open(QIODevice::WriteOnly));
    selection.write("\"Calm\",#TRUE#\r\n");
    selection.close();
    AppFolder::setOverride(dir.filePath("app"));
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    QVERIFY(store->SaveSetting("Settings", "AutoDisplay", "False").ok());

    FrmAll frm(*store);
    QVERIFY(frm.Form_Load({}));
    const QString face = QFontInfo(QFont("DejaVu Sans")).family();
    frm.ShowPage(frm.settingsPage);

    // Cancel at the first opening changes nothing.
    whenOpen<MessageFontDialog>(
        [](MessageFontDialog* d) { choose(d, "DejaVu Serif", 30, true, Qt::blue, false); });
    QTest::mouseClick(frm.settingsPage->picFont, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(frm.settings.FontName, QStringLiteral("Verdana"));
    QCOMPARE(frm.settings.FontColor, 0);

    // A red, bold, 12-point face.
    whenOpen<MessageFontDialog>(
        [&](MessageFontDialog* d) { choose(d, face, 12, true, Qt::red, true); });
    QTest::mouseClick(frm.settingsPage->picFont, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(frm.settings.FontName, face);
    QCOMPARE(store->GetSetting("Settings", "FontName"), QString()); // stored at the next save

    // Starting the show saves: the choice is in the store.
    frm.showCycle->cmdStart_Click();
    QCOMPARE(store->GetSetting("Settings", "FontName"), face);
    QCOMPARE(store->GetSetting("Settings", "FontBold"), QStringLiteral("True"));
    QCOMPARE(store->GetSetting("Settings", "FontSize"), QStringLiteral("12"));
    QCOMPARE(store->GetSetting("Settings", "FontColor"), QStringLiteral("255"));
    if (frm.showCycle->isGathering()) {
        QSignalSpy ready(frm.showCycle, &ShowCycle::poolReady);
        QVERIFY(ready.wait(60000));
    }
    frm.showCycle->Timer1_Timer();
    FrmDisp* flash = frm.showCycle->displayWindow();
    QVERIFY(flash && flash->isVisible());
    // The message stays until this test ends it, however long the dialog below takes.
    flash->durationClock().stop();
    QCOMPARE(flash->LblDisp()->text(), QStringLiteral("breathe"));
    QCOMPARE(flash->LblDisp()->font().family(), face);
    QCOMPARE(flash->LblDisp()->font().pointSizeF(), 12.0);
    QVERIFY(flash->LblDisp()->font().bold());
    QCOMPARE(flash->LblDisp()->palette().color(QPalette::WindowText), QColor(Qt::red));

    // A new choice while the message is on screen leaves that message as it is...
    frm.mnuPop_Click();
    whenOpen<MessageFontDialog>(
        [&](MessageFontDialog* d) { choose(d, face, 20, false, Qt::blue, true); });
    frm.cmdFont->trigger();
    QCOMPARE(flash->LblDisp()->font().pointSizeF(), 12.0);
    QCOMPARE(flash->LblDisp()->palette().color(QPalette::WindowText), QColor(Qt::red));

    // ...and the next message shows in it.
    flash->Timer1_Timer();
    QVERIFY(!flash->isVisible());
    frm.showCycle->Timer1_Timer();
    QCOMPARE(frm.showCycle->displayWindow(), flash);
    QVERIFY(flash->isVisible());
    QCOMPARE(flash->LblDisp()->font().pointSizeF(), 20.0);
    QVERIFY(!flash->LblDisp()->font().bold());
    QCOMPARE(flash->LblDisp()->palette().color(QPalette::WindowText), QColor(Qt::blue));

    // Nothing is stored until the next save; the stop saves.
    QCOMPARE(store->GetSetting("Settings", "FontSize"), QStringLiteral("12"));
    frm.showCycle->cmdStart_Click();
    QCOMPARE(store->GetSetting("Settings", "FontName"), face);
    QCOMPARE(store->GetSetting("Settings", "FontBold"), QStringLiteral("False"));
    QCOMPARE(store->GetSetting("Settings", "FontSize"), QStringLiteral("20"));
    QCOMPARE(store->GetSetting("Settings", "FontColor"), QStringLiteral("16711680"));
}

QTEST_MAIN(TestFontChoice)
#include "tst_fontchoice.moc"
