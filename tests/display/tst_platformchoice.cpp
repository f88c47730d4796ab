#include "display/PlatformChoice.h"

#include <QTest>

namespace {
const QList<QByteArray> kNames{"XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM"};
}

class TestPlatformChoice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void choice_data();
    void choice();

private:
    QList<std::optional<QByteArray>> m_saved;
};

void TestPlatformChoice::initTestCase()
{
    for (const QByteArray& name : kNames)
        m_saved.append(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                       : std::nullopt);
}

void TestPlatformChoice::cleanupTestCase()
{
    for (int i = 0; i < kNames.size(); ++i) {
        if (m_saved[i])
            qputenv(kNames[i], *m_saved[i]);
        else
            qunsetenv(kNames[i]);
    }
}

void TestPlatformChoice::choice_data()
{
    // One value per name of kNames; "-" leaves it unset.
    QTest::addColumn<QByteArrayList>("environment");
    QTest::addColumn<QByteArray>("platform"); // "-": still unset

    QTest::newRow("wayland session with Xwayland")
        << QByteArrayList{"wayland", "-", ":0", "-"} << QByteArray("xcb");
    QTest::newRow("wayland display with Xwayland")
        << QByteArrayList{"-", "wayland-0", ":0", "-"} << QByteArray("xcb");
    QTest::newRow("wayland without an X server")
        << QByteArrayList{"wayland", "wayland-0", "-", "-"} << QByteArray("-");
    QTest::newRow("the user's choice is kept")
        << QByteArrayList{"wayland", "wayland-0", ":0", "wayland"} << QByteArray("wayland");
    QTest::newRow("an X11 session is left alone")
        << QByteArrayList{"x11", "-", ":0", "-"} << QByteArray("-");
}

void TestPlatformChoice::choice()
{
    QFETCH(QByteArrayList, environment);
    QFETCH(QByteArray, platform);
    for (int i = 0; i < kNames.size(); ++i) {
        if (environment[i] == "-")
            qunsetenv(kNames[i]);
        else
            qputenv(kNames[i], environment[i]);
    }
    choosePlatformBeforeQApplication();
    QCOMPARE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qgetenv("QT_QPA_PLATFORM")
                                                          : QByteArray("-"),
             platform);
}

QTEST_GUILESS_MAIN(TestPlatformChoice)
#include "tst_platformchoice.moc"
