#include "WhenOpen.h"
#include "settings/DisplaySettings.h"
#include "settings/MessageFontDialog.h"
#include "settings/SettingsStore.h"
#include "settings/StoredSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
void press(QDialogButtonBox* box, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(box->button(which), Qt::LeftButton);
}

// What the dialog shows when it opens.
struct Shown
{
    QString face;
    double size = 0;
    bool bold = false, italic = false, strikeout = false, underline = false;
    QColor color;
};

Shown shownBy(const MessageFontDialog* d)
{
    return {d->cboFace->currentText(),
            d->txtSize->value(),
            d->chkBold->isChecked(),
            d->chkItalic->isChecked(),
            d->chkStrikeout->isChecked(),
            d->chkUnderline->isChecked(),
            d->shownColor()};
}

// A face of this system other than `not`.
QString someFace(const QString& other)
{
    for (const QString& f : QFontDatabase::families()) {
        if (f != other && !QFontDatabase::isPrivateFamily(f))
            return f;
    }
    return QString();
}
} // namespace

class TestMessageFontDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cancelAtFirstOpeningChangesNothing();
    void opensOnTheFontInUse();
    void confirmedChoiceIsStoredAtTheNextSave();
    void untouchedDialogKeepsAnExactSizeAndAMissingFace_data();
    void untouchedDialogKeepsAnExactSizeAndAMissingFace();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    DisplaySettings m_loaded;
};

void TestMessageFontDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = SettingsStore::atIniFile(m_dir->filePath("zentrivo.ini"));
    const QString section = StoredSettings::kSection;
    QVERIFY(m_store->SaveSetting(section, "FontName", "DejaVu Serif").ok());
    QVERIFY(m_store->SaveSetting(section, "FontBold", "True").ok());
    QVERIFY(m_store->SaveSetting(section, "FontItalic", "False").ok());
    QVERIFY(m_store->SaveSetting(section, "FontSize", "14").ok());
    QVERIFY(m_store->SaveSetting(section, "Strikethrough", "False").ok());
    QVERIFY(m_store->SaveSetting(section, "Underline", "True").ok());
    QVERIFY(
        m_store->SaveSetting(section, "FontColor", QString::number(0x00FF8000)).ok()); // blue-ish
    m_loaded = DisplaySettings();
    StoredSettings::load(*m_store, m_loaded);
    QCOMPARE(m_loaded.FontName, QStringLiteral("DejaVu Serif"));
}

void TestMessageFontDialog::cancelAtFirstOpeningChangesNothing()
{
    DisplaySettings settings = m_loaded;
    MessageFontDialog dialog;
    whenOpen<MessageFontDialog>([](MessageFontDialog* d) {
        d->chkItalic->setChecked(true);
        d->txtSize->setValue(30);
        d->setShownColor(Qt::red);
        press(d->buttons, QDialogButtonBox::Cancel);
    });
    QVERIFY(!dialog.chooseFor(settings));
    const DisplaySettings& before = m_loaded;
    QCOMPARE(settings.FontName, before.FontName);
    QCOMPARE(settings.FontSize, before.FontSize);
    QCOMPARE(settings.FontBold, before.FontBold);
    QCOMPARE(settings.FontItalic, before.FontItalic);
    QCOMPARE(settings.Strikethrough, before.Strikethrough);
    QCOMPARE(settings.Underline, before.Underline);
    QCOMPARE(settings.FontColor, before.FontColor);
}

void TestMessageFontDialog::opensOnTheFontInUse()
{
    DisplaySettings settings = m_loaded;
    MessageFontDialog dialog;
    Shown first;
    whenOpen<MessageFontDialog>([&](MessageFontDialog* d) {
        first = shownBy(d);
        d->chkBold->setChecked(false);
        d->chkStrikeout->setChecked(true);
        d->setShownColor(QColor(0, 128, 0));
        press(d->buttons, QDialogButtonBox::Ok);
    });
    QVERIFY(dialog.chooseFor(settings));
    QCOMPARE(first.face, QStringLiteral("DejaVu Serif"));
    QCOMPARE(first.size, 14.0);
    QVERIFY(first.bold);
    QVERIFY(!first.italic);
    QVERIFY(!first.strikeout);
    QVERIFY(first.underline);
    QCOMPARE(first.color, QColor(0x00, 0x80, 0xFF));

    // The next opening shows the choice just confirmed, and a cancel there keeps it.
    Shown second;
    whenOpen<MessageFontDialog>([&](MessageFontDialog* d) {
        second = shownBy(d);
        press(d->buttons, QDialogButtonBox::Cancel);
    });
    QVERIFY(!dialog.chooseFor(settings));
    QVERIFY(!second.bold);
    QVERIFY(second.strikeout);
    QCOMPARE(second.color, QColor(0, 128, 0));
    QVERIFY(!settings.FontBold);
    QVERIFY(settings.Strikethrough);
    QCOMPARE(settings.FontColor, 0x00008000);
}

void TestMessageFontDialog::confirmedChoiceIsStoredAtTheNextSave()
{
    DisplaySettings settings = m_loaded;
    settings.FontBold = false;
    const QString face = someFace(settings.FontName);
    QVERIFY(!face.isEmpty());
    MessageFontDialog dialog;
    bool colourDialogSeen = false;
    whenOpen<MessageFontDialog>([&](MessageFontDialog* d) {
        d->cboFace->setCurrentFont(QFont(face));
        d->chkBold->setChecked(true);
        d->chkUnderline->setChecked(false);
        d->txtSize->setValue(12);
        // Through the real colour chooser, as the user would.
        whenOpen<QColorDialog>([&](QColorDialog* c) {
            colourDialogSeen = true;
            c->setCurrentColor(Qt::red);
            c->accept();
        });
        QTest::mouseClick(d->cmdColor, Qt::LeftButton);
        press(d->buttons, QDialogButtonBox::Ok);
    });
    QVERIFY(dialog.chooseFor(settings));
    QVERIFY(colourDialogSeen);

    // Nothing is stored until the settings are saved.
    const QString section = StoredSettings::kSection;
    QCOMPARE(m_store->GetSetting(section, "FontSize"), QStringLiteral("14"));
    QVERIFY(StoredSettings::save(*m_store, settings).ok());
    QCOMPARE(m_store->GetSetting(section, "FontName"), face);
    QCOMPARE(m_store->GetSetting(section, "FontBold"), QStringLiteral("True"));
    QCOMPARE(m_store->GetSetting(section, "FontSize"), QStringLiteral("12"));
    QCOMPARE(m_store->GetSetting(section, "FontColor"), QStringLiteral("255"));
    QCOMPARE(m_store->GetSetting(section, "Underline"), QStringLiteral("False"));
}

void TestMessageFontDialog::untouchedDialogKeepsAnExactSizeAndAMissingFace_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<double>("size");
    QTest::newRow("missing face, size between steps") << "Verdana Nowhere" << 9.375;
    // Qt would read the name as a list of two faces.
    QTest::newRow("face with a comma") << "Comic, Sans" << 12.5;
}

void TestMessageFontDialog::untouchedDialogKeepsAnExactSizeAndAMissingFace()
{
    QFETCH(QString, face);
    QFETCH(double, size);
    DisplaySettings settings = m_loaded;
    settings.FontName = face;
    settings.FontSize = size;
    MessageFontDialog dialog;
    QString shown;
    whenOpen<MessageFontDialog>([&](MessageFontDialog* d) {
        shown = d->cboFace->currentText();
        press(d->buttons, QDialogButtonBox::Ok);
    });
    QVERIFY(dialog.chooseFor(settings));
    QCOMPARE(shown, face);
    QCOMPARE(settings.FontName, face);
    QCOMPARE(settings.FontSize, size);
    QCOMPARE(settings.FontColor, m_loaded.FontColor);
    QVERIFY(settings.FontBold);
    QVERIFY(settings.Underline);
}

QTEST_MAIN(TestMessageFontDialog)
#include "tst_messagefontdialog.moc"
