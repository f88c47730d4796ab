#include "app/SingleInstance.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// What a crashed instance leaves behind: a socket file nobody listens on.
bool makeDanglingSocket(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    if (size_t(bytes.size()) >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondInstanceHandsOver_data();
    void secondInstanceHandsOver();
    void liveInstanceIsNeverRemoved();
};

void TestSingleInstance::secondInstanceHandsOver_data()
{
    QTest::addColumn<bool>("leftover");
    QTest::newRow("nothing there") << false;
    QTest::newRow("leftover of a crashed instance") << true;
}

void TestSingleInstance::secondInstanceHandsOver()
{
    QFETCH(bool, leftover);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("zentrivo.sock"));
    if (leftover)
        QVERIFY(makeDanglingSocket(name));

    SingleInstance first(name);
    QVERIFY(!first.handOverToRunningInstance(200));
    QVERIFY(first.listen());
    // Nobody but this user may connect.
    QCOMPARE(QFile::permissions(name) &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());

    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    QVERIFY(second.handOverToRunningInstance());
    QTRY_COMPARE(activations.size(), 1);
    QVERIFY(!second.isListening());

    // The running instance keeps answering later starts.
    SingleInstance third(name);
    QVERIFY(third.handOverToRunningInstance());
    QTRY_COMPARE(activations.size(), 2);
}

void TestSingleInstance::liveInstanceIsNeverRemoved()
{
    // Two starts at once: both found nobody to hand over to, and both try to claim the name.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("zentrivo.sock"));
    SingleInstance first(name);
    SingleInstance late(name);
    QVERIFY(first.listen());
    QVERIFY(!late.listen());

    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance next(name);
    QVERIFY(next.handOverToRunningInstance());
    QTRY_COMPARE(activations.size(), 1);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
