#include "SettingsFile.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"
#include "settings/StoredSettings.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

class TestStoredSettings : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void emptyStoreGivesFirstRunValues();
    void saveWritesEveryKey_data();
    void saveWritesEveryKey();
    void conversions_data();
    void conversions();
    void decimalCommaRoundTrips();
    void storeSemantics();
    void choices_data();
    void choices();
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

void TestStoredSettings::saveWritesEveryKey_data()
{
    // The fields a row changes from the design values, and the file a save then writes.
    QTest::addColumn<QString>("change");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("after a first run's load") << "firstRun" << firstRunSettingsWith();
    QTest::newRow("design values")
        << "" << firstRunSettingsWith({{"AutoDisplay", "False"}, {"FontSize", "8"}});
    QTest::newRow("every field") << "all"
                                 << firstRunSettingsWith({{"DispDuration", "7"},
                                                          {"DispInterval", "24"},
                                                          {"FontBold", "True"},
                                                          {"FontColor", "-16777216"},
                                                          {"FontItalic", "True"},
                                                          {"FontName", "\"Comic, Sans\""},
                                                          {"FontSize", "1234.5679"},
                                                          {"RandomLocation", "1"},
                                                          {"RandomMessage", "1"},
                                                          {"RunAtSysTray", "True"},
                                                          {"Strikethrough", "True"},
                                                          {"Underline", "True"}});
    // The two options are stored as 0 for the first and 1 for any other; the lists' indexes
    // as they are.
    QTest::newRow("out of range") << "range"
                                  << firstRunSettingsWith({{"AutoDisplay", "False"},
                                                           {"DispDuration", "-1"},
                                                           {"DispInterval", "30"},
                                                           {"FontSize", "9.375"},
                                                           {"RandomLocation", "1"},
                                                           {"RandomMessage", "1"}});
}

void TestStoredSettings::saveWritesEveryKey()
{
    QFETCH(QString, change);
    QFETCH(QByteArray, stored);
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    if (change == "firstRun") {
        StoredSettings::load(*store, s);
    } else if (change == "all") {
        s.AutoDisplay = true;
        s.DispInterval = 24;
        s.DispDuration = 7;
        s.RandomMessage = 1;
        s.RandomLocation = 1;
        s.FontColor = qint32(0xFF000000);
        s.FontName = "Comic, Sans";
        s.FontSize = 1234.56789;
        s.FontBold = s.FontItalic = s.Strikethrough = s.Underline = true;
        s.RunAtSysTray = true;
    } else if (change == "range") {
        s.DispInterval = 30;
        s.DispDuration = -1;
        s.RandomMessage = 5;
        s.RandomLocation = -1;
        s.FontSize = 9.375;
    }
    QVERIFY(StoredSettings::save(*store, s).ok());
    QFile f(dir.filePath("z.ini"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), stored);
}

namespace {
// Every field that has a key in the store, as "Key=value" texts.
QStringList fields(const DisplaySettings& s)
{
    return {"AutoDisplay=" + QString::number(s.AutoDisplay),
            "DispInterval=" + QString::number(s.DispInterval),
            "DispDuration=" + QString::number(s.DispDuration),
            "RandomMessage=" + QString::number(s.RandomMessage),
            "RandomLocation=" + QString::number(s.RandomLocation),
            "FontColor=" + QString::number(s.FontColor),
            "FontName=" + s.FontName,
            "FontSize=" + QString::number(s.FontSize),
            "FontBold=" + QString::number(s.FontBold),
            "FontItalic=" + QString::number(s.FontItalic),
            "Strikethrough=" + QString::number(s.Strikethrough),
            "Underline=" + QString::number(s.Underline),
            "RunAtSysTray=" + QString::number(s.RunAtSysTray)};
}
} // namespace

void TestStoredSettings::conversions_data()
{
    // One line of a hand-edited store, and the one field it changes from a first run's.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("AutoDisplay False") << QByteArray("AutoDisplay=False") << "AutoDisplay"
                                       << "0";
    QTest::newRow("AutoDisplay false is true") << QByteArray("AutoDisplay=false") << "AutoDisplay"
                                               << "1";
    QTest::newRow("AutoDisplay 0 is true") << QByteArray("AutoDisplay=0") << "AutoDisplay"
                                           << "1";
    QTest::newRow("DispInterval 24") << QByteArray("DispInterval=24") << "DispInterval"
                                     << "24";
    QTest::newRow("DispInterval 30 kept at 1") << QByteArray("DispInterval=30") << "DispInterval"
                                               << "1";
    QTest::newRow("DispInterval -1 kept at 1") << QByteArray("DispInterval=-1") << "DispInterval"
                                               << "1";
    QTest::newRow("DispInterval 2.5 rounds to even 2")
        << QByteArray("DispInterval=2.5") << "DispInterval"
        << "2";
    QTest::newRow("DispInterval 3.5 rounds to even 4")
        << QByteArray("DispInterval=3.5") << "DispInterval"
        << "4";
    QTest::newRow("DispInterval 6.4 rounds down")
        << QByteArray("DispInterval=6.4") << "DispInterval"
        << "6";
    QTest::newRow("DispDuration 8 kept at 2") << QByteArray("DispDuration=8") << "DispDuration"
                                              << "2";
    QTest::newRow("DispDuration 4.51 rounds up")
        << QByteArray("DispDuration=4.51") << "DispDuration"
        << "5";
    QTest::newRow("RandomMessage 1") << QByteArray("RandomMessage=1") << "RandomMessage"
                                     << "1";
    QTest::newRow("RandomMessage 2 keeps Random")
        << QByteArray("RandomMessage=2") << "RandomMessage"
        << "0";
    QTest::newRow("RandomMessage x keeps Random")
        << QByteArray("RandomMessage=x") << "RandomMessage"
        << "0";
    QTest::newRow("RandomLocation 1") << QByteArray("RandomLocation=1") << "RandomLocation"
                                      << "1";
    QTest::newRow("RandomLocation 0.6 rounds to 1")
        << QByteArray("RandomLocation=0.6") << "RandomLocation"
        << "1";
    QTest::newRow("RandomLocation 1.5 rounds to 2, kept at 0")
        << QByteArray("RandomLocation=1.5") << "RandomLocation"
        << "0";
    QTest::newRow("FontColor red") << QByteArray("FontColor=255") << "FontColor"
                                   << "255";
    QTest::newRow("FontColor 254.5 rounds to even 254")
        << QByteArray("FontColor=254.5") << "FontColor"
        << "254";
    QTest::newRow("FontColor -2.5 rounds to even -2") << QByteArray("FontColor=-2.5") << "FontColor"
                                                      << "-2";
    QTest::newRow("FontColor too large") << QByteArray("FontColor=99999999999") << "FontColor"
                                         << "0";
    QTest::newRow("FontName") << QByteArray("FontName=Courier New") << "FontName"
                              << "Courier New";
    QTest::newRow("FontName with a comma, as typed by hand")
        << QByteArray("FontName=Comic, Sans") << "FontName"
        << "Comic, Sans";
    QTest::newRow("FontName quoted") << QByteArray("FontName=\"Comic, Sans\"") << "FontName"
                                     << "Comic, Sans";
    QTest::newRow("FontName blank keeps Verdana") << QByteArray("FontName=   ") << "FontName"
                                                  << "Verdana";
    QTest::newRow("FontBold TRUE") << QByteArray("FontBold=TRUE") << "FontBold"
                                   << "1";
    QTest::newRow("FontBold number") << QByteArray("FontBold=-1") << "FontBold"
                                     << "1";
    QTest::newRow("FontBold fraction") << QByteArray("FontBold=0.4") << "FontBold"
                                       << "1";
    QTest::newRow("FontBold junk kept") << QByteArray("FontBold=yes") << "FontBold"
                                        << "0";
    QTest::newRow("FontItalic true") << QByteArray("FontItalic=true") << "FontItalic"
                                     << "1";
    QTest::newRow("Strikethrough 1") << QByteArray("Strikethrough=1") << "Strikethrough"
                                     << "1";
    QTest::newRow("Underline True") << QByteArray("Underline=True") << "Underline"
                                    << "1";
    QTest::newRow("Underline junk kept") << QByteArray("Underline=maybe") << "Underline"
                                         << "0";
    QTest::newRow("RunAtSysTray is not read") << QByteArray("RunAtSysTray=True") << "RunAtSysTray"
                                              << "0";
    QTest::newRow("FontSize junk keeps design size") << QByteArray("FontSize=big") << "FontSize"
                                                     << "8";
    QTest::newRow("FontSize 12.5") << QByteArray("FontSize=12.5") << "FontSize"
                                   << "12.5";
    QTest::newRow("FontSize 0.5 too small") << QByteArray("FontSize=0.5") << "FontSize"
                                            << "8";
    QTest::newRow("FontSize 1638 largest") << QByteArray("FontSize=1638") << "FontSize"
                                           << "1638";
    QTest::newRow("FontSize 1638.5 too large") << QByteArray("FontSize=1638.5") << "FontSize"
                                               << "8";
}

void TestStoredSettings::conversions()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    DisplaySettings firstRun;
    StoredSettings::load(*SettingsStore::atIniFile(dir.filePath("empty.ini")), firstRun);
    QStringList wanted = fields(firstRun);
    const auto at = std::find_if(wanted.begin(), wanted.end(),
                                 [&](const QString& f) { return f.startsWith(field + '='); });
    QVERIFY(at != wanted.end());
    *at = field + '=' + expected;

    QFile ini(dir.filePath("z.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Settings]\n" + line + "\n");
    ini.close();
    auto store = SettingsStore::atIniFile(ini.fileName());
    DisplaySettings s;
    StoredSettings::load(*store, s);
    QCOMPARE(fields(s), wanted);
}

void TestStoredSettings::decimalCommaRoundTrips()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    auto store = SettingsStore::atIniFile(dir.filePath("z.ini"));
    DisplaySettings s;
    s.FontSize = 12.5;
    QVERIFY(StoredSettings::save(*store, s).ok());
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
    QVERIFY(store->SaveSetting("Settings", "FontName", "Comic, Sans").ok());
    QVERIFY(store->SaveSetting("Settings", "FontName", "Arial").ok());
    // Another handle on the same file sees each write at once.
    auto other = SettingsStore::atIniFile(dir.filePath("z.ini"));
    QCOMPARE(other->GetSetting("Settings", "FontName"), QStringLiteral("Arial"));
    QVERIFY(store->SaveSetting("Settings", "FontName", "Comic, Sans").ok());
    QCOMPARE(other->GetSetting("Settings", "FontName"), QStringLiteral("Comic, Sans"));
}

QTEST_APPLESS_MAIN(TestStoredSettings)
#include "tst_storedsettings.moc"

void TestStoredSettings::choices_data()
{
    // The file before, the choices it loads, the one changed, and the file a save then writes
    // (a save changes every choice: each hold is turned over, the monitors move on by one).
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("doNotDisturb");
    QTest::addColumn<int>("monitors");
    QTest::addColumn<QByteArray>("after");
    // The store keeps its sections in the order of their names.
    const QByteArray settings = "[Settings]\nAutoDisplay=False\nFontName=x\n";
    QTest::newRow("absent: design defaults")
        << QByteArray() << false << true << 0
        << QByteArray("[Choices]\nHoldDuringDoNotDisturb=False\nHoldWhileFullScreen=True\n"
                      "ShowMessagesOn=1\n");
    QTest::newRow("stored, beside [Settings]")
        << settings + "\n[Choices]\nHoldWhileFullScreen=True\nHoldDuringDoNotDisturb=False\n"
                      "ShowMessagesOn=1\n"
        << true << false << 1
        << "[Choices]\nHoldDuringDoNotDisturb=True\nHoldWhileFullScreen=False\n"
           "ShowMessagesOn=2\n\n" +
               settings;
    QTest::newRow("every monitor")
        << QByteArray("[Choices]\nShowMessagesOn=2\n") << false << true << 2
        << QByteArray("[Choices]\nHoldDuringDoNotDisturb=False\nHoldWhileFullScreen=True\n"
                      "ShowMessagesOn=0\n");
    QTest::newRow("unreadable texts keep the defaults")
        << QByteArray("[Choices]\nHoldWhileFullScreen=yes\nHoldDuringDoNotDisturb=maybe\n"
                      "ShowMessagesOn=every\n")
        << false << true << 0
        << QByteArray("[Choices]\nHoldDuringDoNotDisturb=False\nHoldWhileFullScreen=True\n"
                      "ShowMessagesOn=1\n");
    QTest::newRow("a monitor choice out of range reads as the primary")
        << QByteArray("[Choices]\nShowMessagesOn=3\n") << false << true << 0
        << QByteArray("[Choices]\nHoldDuringDoNotDisturb=False\nHoldWhileFullScreen=True\n"
                      "ShowMessagesOn=1\n");
}

void TestStoredSettings::choices()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, fullScreen);
    QFETCH(bool, doNotDisturb);
    QFETCH(int, monitors);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("z.ini");
    if (!before.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    auto store = SettingsStore::atIniFile(path);
    ShowChoices c;
    StoredSettings::loadChoices(*store, c);
    QCOMPARE(c.HoldWhileFullScreen, fullScreen);
    QCOMPARE(c.HoldDuringDoNotDisturb, doNotDisturb);
    QCOMPARE(c.ShowMessagesOn, monitors);
    // The [Settings] section a load and a save of the choices leave as they were.
    DisplaySettings s;
    StoredSettings::load(*store, s);
    const DisplaySettings loaded = s;

    c.HoldWhileFullScreen = !c.HoldWhileFullScreen;
    c.HoldDuringDoNotDisturb = !c.HoldDuringDoNotDisturb;
    c.ShowMessagesOn = (c.ShowMessagesOn + 1) % 3;
    QVERIFY(StoredSettings::saveChoices(*store, c).ok());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), after);
    StoredSettings::load(*store, s);
    QCOMPARE(s.AutoDisplay, loaded.AutoDisplay);
    QCOMPARE(s.FontName, loaded.FontName);
}
