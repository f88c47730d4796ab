#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"
#include "settings/StoredSettings.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using Pairs = QList<QPair<QString, QString>>;

class TestStoredSettings : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void emptyStoreGivesFirstRunValues();
    void saveAfterFirstRunLoad();
    void conversions_data();
    void conversions();
    void decimalCommaRoundTrips();
    void storeSemantics();
};

void TestStoredSettings::emptyStoreGivesFirstRunValues()
{
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    StoredSettings::load(*store, s);
    QVERIFY(s.AutoDisplay);
    QCOMPARE(s.intervalMs(), 5000);
    QCOMPARE(s.durationMs(), 60);
    QCOMPARE(s.RandomMessage, 0);
    QCOMPARE(s.RandomLocation, 0);
    QCOMPARE(s.FontColor, 0);
    QCOMPARE(s.FontName, QStringLiteral("Verdana"));
    QCOMPARE(s.FontSize, 10.0);
    QVERIFY(!s.FontBold && !s.FontItalic && !s.Strikethrough && !s.Underline);
    QVERIFY(!QFile::exists(dir.filePath("z.ini"))); // loading writes nothing
}

void TestStoredSettings::saveAfterFirstRunLoad()
{
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    StoredSettings::load(*store, s);
    QCOMPARE(StoredSettings::save(*store, s), 0);
    QFile f(dir.filePath("z.ini"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[Settings]\n"
                                     "AutoDisplay=True\n"
                                     "DispDuration=2\n"
                                     "DispInterval=1\n"
                                     "FontBold=False\n"
                                     "FontColor=0\n"
                                     "FontItalic=False\n"
                                     "FontName=Verdana\n"
                                     "FontSize=10\n"
                                     "RandomLocation=0\n"
                                     "RandomMessage=0\n"
                                     "RunAtSysTray=False\n"
                                     "Strikethrough=False\n"
                                     "Underline=False\n"));
}

void TestStoredSettings::conversions_data()
{
    QTest::addColumn<Pairs>("stored");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("AutoDisplay False") << Pairs{{"AutoDisplay", "False"}} << "AutoDisplay"
                                       << "0";
    QTest::newRow("AutoDisplay false is true") << Pairs{{"AutoDisplay", "false"}} << "AutoDisplay"
                                               << "1";
    QTest::newRow("AutoDisplay 0 is true") << Pairs{{"AutoDisplay", "0"}} << "AutoDisplay"
                                           << "1";
    QTest::newRow("DispInterval 24") << Pairs{{"DispInterval", "24"}} << "DispInterval"
                                     << "24";
    QTest::newRow("DispInterval 30 kept at 1") << Pairs{{"DispInterval", "30"}} << "DispInterval"
                                               << "1";
    QTest::newRow("DispInterval -1 kept at 1") << Pairs{{"DispInterval", "-1"}} << "DispInterval"
                                               << "1";
    QTest::newRow("DispDuration 8 kept at 2") << Pairs{{"DispDuration", "8"}} << "DispDuration"
                                              << "2";
    QTest::newRow("RandomMessage 1") << Pairs{{"RandomMessage", "1"}} << "RandomMessage"
                                     << "1";
    QTest::newRow("RandomMessage 2 keeps Random")
        << Pairs{{"RandomMessage", "2"}} << "RandomMessage"
        << "0";
    QTest::newRow("RandomMessage x keeps Random")
        << Pairs{{"RandomMessage", "x"}} << "RandomMessage"
        << "0";
    QTest::newRow("FontColor red") << Pairs{{"FontColor", "255"}} << "FontColor"
                                   << "255";
    QTest::newRow("FontColor too large") << Pairs{{"FontColor", "99999999999"}} << "FontColor"
                                         << "0";
    QTest::newRow("FontBold TRUE") << Pairs{{"FontBold", "TRUE"}} << "FontBold"
                                   << "1";
    QTest::newRow("FontBold number") << Pairs{{"FontBold", "-1"}} << "FontBold"
                                     << "1";
    QTest::newRow("FontBold junk kept") << Pairs{{"FontBold", "yes"}} << "FontBold"
                                        << "0";
    QTest::newRow("FontSize junk keeps design size") << Pairs{{"FontSize", "big"}} << "FontSize"
                                                     << "8";
    QTest::newRow("FontSize 12.5") << Pairs{{"FontSize", "12.5"}} << "FontSize"
                                   << "12.5";
}

void TestStoredSettings::conversions()
{
    QFETCH(Pairs, stored);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    for (const auto& [key, text] : stored)
        QVERIFY(store->SaveSetting("Settings", key, text));
    DisplaySettings s;
    StoredSettings::load(*store, s);
    const QHash<QString, QString> values{
        {"AutoDisplay", QString::number(s.AutoDisplay)},
        {"DispInterval", QString::number(s.DispInterval)},
        {"DispDuration", QString::number(s.DispDuration)},
        {"RandomMessage", QString::number(s.RandomMessage)},
        {"FontColor", QString::number(s.FontColor)},
        {"FontBold", QString::number(s.FontBold)},
        {"FontSize", QString::number(s.FontSize)},
    };
    QCOMPARE(values.value(field), expected);
}

void TestStoredSettings::decimalCommaRoundTrips()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    s.FontSize = 12.5;
    StoredSettings::save(*store, s);
    QCOMPARE(store->GetSetting("Settings", "FontSize"), QStringLiteral("12,5"));
    DisplaySettings back;
    StoredSettings::load(*store, back);
    QCOMPARE(back.FontSize, 12.5);

    QCOMPARE(SettingsText::fromDecimal(10.0), QStringLiteral("10"));
    QCOMPARE(SettingsText::fromDecimal(9.75), QStringLiteral("9,75"));
    QCOMPARE(SettingsText::fromDecimal(1234.56789), QStringLiteral("1234,5679"));
}

void TestStoredSettings::storeSemantics()
{
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    QCOMPARE(store->GetSetting("Nowhere", "Nothing", "fallback"), QStringLiteral("fallback"));
    QCOMPARE(store->GetSetting("Nowhere", "Nothing"), QString());
    QVERIFY(store->SaveSetting("Settings", "FontName", "Comic, Sans"));
    QVERIFY(store->SaveSetting("Settings", "FontName", "Arial"));
    // Another handle on the same file sees each write at once.
    auto other = SettingsStore::atIniFile(dir.filePath("z.ini"));
    QCOMPARE(other->GetSetting("Settings", "FontName"), QStringLiteral("Arial"));
    QVERIFY(store->SaveSetting("Settings", "FontName", "Comic, Sans"));
    QCOMPARE(other->GetSetting("Settings", "FontName"), QStringLiteral("Comic, Sans"));
}

QTEST_APPLESS_MAIN(TestStoredSettings)
#include "tst_storedsettings.moc"
