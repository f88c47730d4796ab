#include "RecordingPrompt.h"
#include "core/Prompt.h"
#include "settings/LogonLaunch.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

class TestLogonLaunch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runValue_data();
    void runValue();
    void runValueKeyNotWritable();

    void autostartEntry_data();
    void autostartEntry();
    void autostartFailure_data();
    void autostartFailure();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingPrompt m_prompt;
    QByteArray m_oldConfigHome;
};

void TestLogonLaunch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompt.shown.clear();
    Prompt::set(&m_prompt);
    m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toLocal8Bit());
}

void TestLogonLaunch::cleanup()
{
    Prompt::set(nullptr);
    LogonLaunch::setExecutablePathOverride(QString());
    if (m_oldConfigHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
    m_dir.reset();
}

void TestLogonLaunch::runValue_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("previous"); // a value already there; empty: none
    QTest::addColumn<QString>("data");

    QTest::newRow("folder with spaces is quoted")
        << "C:\\Program Files\\Zentrivo\\zentrivo.exe" << QString()
        << "\"C:\\Program Files\\Zentrivo\\zentrivo.exe\" /STARTUP";
    QTest::newRow("upper-case extension written lower case")
        << "C:\\Apps\\ZENTRIVO.EXE" << QString() << "\"C:\\Apps\\ZENTRIVO.exe\" /STARTUP";
    QTest::newRow("path as Qt reports it gets backslashes")
        << "C:/Program Files/Zentrivo/zentrivo.exe" << QString()
        << "\"C:\\Program Files\\Zentrivo\\zentrivo.exe\" /STARTUP";
    QTest::newRow("drive root") << "C:/zentrivo.exe" << QString()
                                << "\"C:\\zentrivo.exe\" /STARTUP";
    QTest::newRow("stale command line is found and replaced")
        << "D:\\New Place\\zentrivo.exe"
        << "C:\\Old\\zentrivo.exe /STARTUP"
        << "\"D:\\New Place\\zentrivo.exe\" /STARTUP";
}

void TestLogonLaunch::runValue()
{
    QFETCH(QString, executable);
    QFETCH(QString, previous);
    QFETCH(QString, data);
    const QString iniPath = m_dir->filePath(QStringLiteral("Run.ini"));
    {
        QSettings seed(iniPath, QSettings::IniFormat);
        seed.setValue(QStringLiteral("Other Program"), QStringLiteral("other.exe"));
        if (!previous.isEmpty())
            seed.setValue(QStringLiteral("zentrivo"), previous);
    }

    QSettings runKey(iniPath, QSettings::IniFormat);
    QCOMPARE(LogonLaunch::hasRunValue(runKey, QStringLiteral("zentrivo")), !previous.isEmpty());

    QVERIFY(LogonLaunch::writeRunValue(runKey, QStringLiteral("zentrivo"), executable, true).ok());
    QVERIFY(LogonLaunch::hasRunValue(runKey, QStringLiteral("zentrivo")));
    {
        QSettings onDisk(iniPath, QSettings::IniFormat);
        QCOMPARE(onDisk.value(QStringLiteral("zentrivo")).toString(), data);
    }

    QVERIFY(LogonLaunch::writeRunValue(runKey, QStringLiteral("zentrivo"), executable, false).ok());
    QVERIFY(!LogonLaunch::hasRunValue(runKey, QStringLiteral("zentrivo")));
    // Removing again: nothing there is no error.
    QVERIFY(LogonLaunch::writeRunValue(runKey, QStringLiteral("zentrivo"), executable, false).ok());
    {
        QSettings onDisk(iniPath, QSettings::IniFormat);
        QVERIFY(!onDisk.contains(QStringLiteral("zentrivo")));
        QCOMPARE(onDisk.value(QStringLiteral("Other Program")).toString(),
                 QStringLiteral("other.exe"));
    }
    QVERIFY(m_prompt.shown.isEmpty());
}

void TestLogonLaunch::runValueKeyNotWritable()
{
    // The key's home is a plain file, so the key can be neither opened nor created.
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    QVERIFY(writeBytes(blocker, "x"));
    QSettings runKey(blocker + QStringLiteral("/Run.ini"), QSettings::IniFormat);

    const Outcome written = LogonLaunch::writeRunValue(runKey, QStringLiteral("zentrivo"),
                                                       QStringLiteral("C:/z.exe"), true);
    QVERIFY(!written.ok());
    QCOMPARE(written.why(), QStringLiteral("Error 1 opening key\r\n"));
    QVERIFY(m_prompt.shown.isEmpty()); // the window that asked tells the user
    QVERIFY(!LogonLaunch::hasRunValue(runKey, QStringLiteral("zentrivo")));
}

void TestLogonLaunch::autostartEntry_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QByteArray>("exec"); // the Exec line's bytes

    QTest::newRow("plain") << "/opt/zentrivo/zentrivo"
                           << QByteArray(R"(Exec="/opt/zentrivo/zentrivo" /STARTUP)");
    QTest::newRow("spaces") << "/home/ann/My Apps/zentrivo"
                            << QByteArray(R"(Exec="/home/ann/My Apps/zentrivo" /STARTUP)");
    QTest::newRow("dollar and backtick")
        << "/home/ann/$x`y`/zentrivo"
        << QByteArray(R"(Exec="/home/ann/\\$x\\`y\\`/zentrivo" /STARTUP)");
    QTest::newRow("double quote") << "/home/ann/say \"hi\"/zentrivo"
                                  << QByteArray(
                                         R"(Exec="/home/ann/say \\"hi\\"/zentrivo" /STARTUP)");
    QTest::newRow("percent") << "/home/ann/100%/zentrivo"
                             << QByteArray(R"(Exec="/home/ann/100%%/zentrivo" /STARTUP)");
    QTest::newRow("backslash") << "/home/ann/a\\b/zentrivo"
                               << QByteArray(R"(Exec="/home/ann/a\\\\b/zentrivo" /STARTUP)");
    QTest::newRow("non-ASCII as UTF-8") << QString::fromUtf8("/home/ann/\xc3\x9c"
                                                             "bung/zentrivo")
                                        << QByteArray("Exec=\"/home/ann/\xc3\x9c"
                                                      "bung/zentrivo\" /STARTUP");
}

void TestLogonLaunch::autostartEntry()
{
    QFETCH(QString, executable);
    QFETCH(QByteArray, exec);
    const QString folder = executable.left(executable.lastIndexOf(QLatin1Char('/')));
    const QString entry = m_dir->filePath(QStringLiteral("config/autostart/zentrivo.desktop"));
    LogonLaunch::setExecutablePathOverride(QStringLiteral("/somewhere/else/zentrivo"));

    QVERIFY(!LogonLaunch::HasRunValue(QStringLiteral("zentrivo")));
    // Removing what is not there is no error.
    QVERIFY(LogonLaunch::UpdateRunValue(QStringLiteral("zentrivo"), folder, false).ok());

    QVERIFY(LogonLaunch::UpdateRunValue(QStringLiteral("zentrivo"), folder, true).ok());
    QCOMPARE(readAll(entry), "[Desktop Entry]\nType=Application\nName=Zentrivo\n" + exec + '\n');
    QVERIFY(LogonLaunch::HasRunValue(QStringLiteral("zentrivo")));
    QVERIFY(!LogonLaunch::HasRunValue(QStringLiteral("other")));

    // Writing again replaces an older entry whole.
    QVERIFY(writeBytes(entry, "[Desktop Entry]\nExec=/old/place/zentrivo /STARTUP\nName=Old\n"
                              "Comment=a much longer old entry than the new one\n"));
    QVERIFY(LogonLaunch::UpdateRunValue(QStringLiteral("zentrivo"), folder, true).ok());
    QCOMPARE(readAll(entry), "[Desktop Entry]\nType=Application\nName=Zentrivo\n" + exec + '\n');

    QVERIFY(LogonLaunch::UpdateRunValue(QStringLiteral("zentrivo"), folder, false).ok());
    QVERIFY(!QFile::exists(entry));
    QVERIFY(!LogonLaunch::HasRunValue(QStringLiteral("zentrivo")));
    QVERIFY(m_prompt.shown.isEmpty());
}

void TestLogonLaunch::autostartFailure_data()
{
    QTest::addColumn<QString>("blocker"); // a path made into something in the entry's way
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<QString>("pattern"); // of the words for the user

    QTest::newRow("autostart folder is a file")
        << "config/autostart" << false << "^Error 5 opening key\r\n$";
    QTest::newRow("entry's name taken by a folder")
        << "config/autostart/zentrivo.desktop" << true
        << "^Error \\d+ opening key\r\n$"; // the number is the file error Qt reports
}

void TestLogonLaunch::autostartFailure()
{
    QFETCH(QString, blocker);
    QFETCH(bool, asFolder);
    QFETCH(QString, pattern);
    const QString path = m_dir->filePath(blocker);
    QVERIFY(QDir().mkpath(asFolder ? path : QFileInfo(path).absolutePath()));
    if (!asFolder)
        QVERIFY(writeBytes(path, "not a folder"));
    LogonLaunch::setExecutablePathOverride(QStringLiteral("/opt/zentrivo/zentrivo"));

    const Outcome written = LogonLaunch::UpdateRunValue(QStringLiteral("zentrivo"),
                                                        QStringLiteral("/opt/zentrivo"), true);
    QVERIFY(!written.ok());
    QVERIFY2(QRegularExpression(pattern).match(written.why()).hasMatch(),
             qPrintable(written.why()));
    QVERIFY(m_prompt.shown.isEmpty()); // the window that asked tells the user
    QVERIFY(!LogonLaunch::HasRunValue(QStringLiteral("zentrivo")));
}

QTEST_MAIN(TestLogonLaunch)
#include "tst_logonlaunch.moc"
