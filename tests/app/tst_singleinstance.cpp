#include "app/SingleInstance.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {
sockaddr_un addressOf(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, bytes.constData(),
           qMin(size_t(bytes.size()), sizeof(address.sun_path) - 1));
    return address;
}

// A socket bound at `path`, listening when `listening`; -1 when that fails.
int boundSocket(const QString& path, bool listening)
{
    const sockaddr_un address = addressOf(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        (listening && ::listen(fd, 5) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What a crashed instance leaves behind: a socket file nobody listens on.
bool makeDanglingSocket(const QString& path)
{
    const int fd = boundSocket(path, false);
    if (fd < 0)
        return false;
    ::close(fd);
    return QFile::exists(path);
}

bool isSocketOfThisUser(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_uid == ::getuid();
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Another local user: a user id with no other process, which only root can take on.
constexpr uid_t otherUid = 48611;

bool isRoot()
{
    return ::geteuid() == 0;
}

// This test program run as the other user, in one of the roles at the bottom of this file.
class OtherUser
{
public:
    OtherUser(const QString& role, const QString& socketPath)
    {
        m_process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(otherUid) != 0 || ::setuid(otherUid) != 0)
                ::_exit(126);
        });
        m_process.start(QCoreApplication::applicationFilePath(), {role, socketPath});
    }
    ~OtherUser()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The next line it reports, waiting as long as it takes (slow machines included).
    QByteArray nextLine()
    {
        while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning)
            m_process.waitForReadyRead(1000);
        return m_process.readLine().trimmed();
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};

// A folder the other user may create sockets in, and the socket path in it.
QString sharedSocketPath(const QTemporaryDir& dir)
{
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7777)); // rwx for all
    return dir.filePath(QStringLiteral("zentrivo.sock"));
}

QString ownerAndMode(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("uid %1 mode %2")
        .arg(info.st_uid)
        .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondInstanceHandsOver_data();
    void secondInstanceHandsOver();
    void liveInstanceIsNeverRemoved();
    void unusableNameIsNeverClaimed_data();
    void unusableNameIsNeverClaimed();
    void defaultNameIsInAFolderOfTheUser_data();
    void defaultNameIsInAFolderOfTheUser();
    void serverOfAnotherUserIsNoInstance();
    void requestOfAnotherUserIsIgnored();
};

void TestSingleInstance::secondInstanceHandsOver_data()
{
    // What is at the name before the first instance starts; all of it is replaced, and a link
    // goes without what it points to.
    QTest::addColumn<QString>("leftover");
    QTest::newRow("nothing there") << "";
    QTest::newRow("leftover of a crashed instance") << "socket";
    QTest::newRow("a plain file") << "file";
    QTest::newRow("a link to a file elsewhere") << "link to file";
    QTest::newRow("a link to a crashed instance's socket elsewhere") << "link to socket";
    QTest::newRow("a link to nothing") << "dangling link";
}

void TestSingleInstance::secondInstanceHandsOver()
{
    QFETCH(QString, leftover);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("zentrivo.sock"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    if (leftover == QLatin1String("socket"))
        QVERIFY(makeDanglingSocket(name));
    if (leftover == QLatin1String("file") || leftover == QLatin1String("link to file")) {
        QFile file(leftover == QLatin1String("file") ? name : elsewhere);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }
    if (leftover == QLatin1String("link to socket"))
        QVERIFY(makeDanglingSocket(elsewhere));
    if (leftover.contains(QLatin1String("link")))
        QVERIFY(QFile::link(elsewhere, name));
    const bool targetWasThere = QFileInfo::exists(elsewhere);

    SingleInstance first(name);
    QVERIFY(!first.handOverToRunningInstance(200));
    QVERIFY(first.listen());
    QVERIFY(isSocketOfThisUser(name));
    QCOMPARE(QFileInfo::exists(elsewhere), targetWasThere);
    if (leftover == QLatin1String("link to file"))
        QCOMPARE(contentsOf(elsewhere), QByteArray("kept"));
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

void TestSingleInstance::unusableNameIsNeverClaimed_data()
{
    // Such a name leaves the program running unguarded: nobody to hand over to, nothing
    // claimed, and nothing at the name touched.
    QTest::addColumn<QString>("what");
    QTest::newRow("too long for a socket address") << "long";
    QTest::newRow("a folder at the name") << "folder";
}

void TestSingleInstance::unusableNameIsNeverClaimed()
{
    QFETCH(QString, what);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString name = dir.filePath(QStringLiteral("zentrivo.sock"));
    if (what == QLatin1String("long")) {
        // Every folder on the way exists; only the whole path is longer than an address holds.
        QString folder = dir.path();
        while (QFile::encodeName(folder).size() < qsizetype(sizeof(sockaddr_un::sun_path)))
            folder += QStringLiteral("/a-folder-with-a-long-name");
        QVERIFY(QDir().mkpath(folder));
        name = folder + QStringLiteral("/zentrivo.sock");
    } else {
        QVERIFY(QDir().mkdir(name));
    }

    SingleInstance first(name);
    QVERIFY(!first.handOverToRunningInstance(200));
    QVERIFY(!first.listen());
    QVERIFY(!first.isListening());
    QCOMPARE(QFileInfo(name).isDir(), what == QLatin1String("folder"));
    QCOMPARE(QFileInfo::exists(name), what == QLatin1String("folder"));
    // Nothing was made at a shortened path either.
    QDirIterator made(dir.path(), QDir::System | QDir::Files | QDir::Hidden,
                      QDirIterator::Subdirectories);
    QVERIFY2(!made.hasNext(), qPrintable(made.next()));
}

void TestSingleInstance::defaultNameIsInAFolderOfTheUser_data()
{
    // What $XDG_RUNTIME_DIR is, and whether the socket may go there; otherwise it goes into
    // "zentrivo" in the cache folder.
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<bool>("usedAsIs");
    QTest::newRow("the user's own, mode 700") << "private" << true;
    QTest::newRow("not set") << "" << false;
    QTest::newRow("open to others, mode 1777") << "shared" << false;
    QTest::newRow("readable by others, mode 755") << "readable" << false;
    QTest::newRow("another user's, mode 700") << "foreign" << false;
    QTest::newRow("a link to a folder of the user's own") << "link" << false;
    QTest::newRow("missing") << "missing" << false;
}

void TestSingleInstance::defaultNameIsInAFolderOfTheUser()
{
    QFETCH(QString, runtime);
    QFETCH(bool, usedAsIs);
    if (runtime == QLatin1String("foreign") && !isRoot())
        QSKIP("only root can give a folder to another user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString runtimePath = dir.filePath(QStringLiteral("run"));
    const QString privateTarget = dir.filePath(QStringLiteral("target"));
    const QByteArray native = QFile::encodeName(runtimePath);
    if (runtime == QLatin1String("link")) {
        QVERIFY(::mkdir(QFile::encodeName(privateTarget).constData(), 0700) == 0);
        QVERIFY(QFile::link(privateTarget, runtimePath));
    } else if (runtime != QLatin1String("missing") && !runtime.isEmpty()) {
        QVERIFY(::mkdir(native.constData(), 0700) == 0);
        if (runtime == QLatin1String("shared"))
            QVERIFY(::chmod(native.constData(), 01777) == 0);
        if (runtime == QLatin1String("readable"))
            QVERIFY(::chmod(native.constData(), 0755) == 0);
        if (runtime == QLatin1String("foreign"))
            QVERIFY(::chown(native.constData(), otherUid, otherUid) == 0);
    }
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qputenv("XDG_CACHE_HOME", savedCache);
    });
    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", native);
    const QString cache = dir.filePath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));

    const QString name = SingleInstance::defaultServerName();
    const QString folder = QFileInfo(name).path();
    QCOMPARE(folder, usedAsIs ? runtimePath : cache + QStringLiteral("/zentrivo"));
    QCOMPARE(ownerAndMode(folder), QStringLiteral("uid %1 mode 0700").arg(::getuid()));

    // The name works: the first instance claims it, the next hands over to it.
    SingleInstance first(name);
    QVERIFY(first.listen());
    SingleInstance second(name);
    QVERIFY(second.handOverToRunningInstance());
}

void TestSingleInstance::serverOfAnotherUserIsNoInstance()
{
    if (!isRoot())
        QSKIP("taking on another user's id needs root");
    // Another user listens at the name first, as anyone could in a folder open to all.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = sharedSocketPath(dir);
    OtherUser squatter(QStringLiteral("--listen"), name);
    QCOMPARE(squatter.nextLine(), QByteArray("uid 48611 listening"));

    // It is not handed the start, and hears nothing from it.
    SingleInstance first(name);
    QVERIFY(!first.handOverToRunningInstance());
    QVERIFY(first.listen());
    QCOMPARE(ownerAndMode(name).section(QLatin1Char(' '), 0, 1),
             QStringLiteral("uid %1").arg(::getuid()));

    // The user's own next start still hands over, to the user's own instance.
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    QVERIFY(second.handOverToRunningInstance());
    QTRY_COMPARE(activations.size(), 1);

    squatter.process().kill();
    squatter.process().waitForFinished();
    const QByteArray heard = squatter.process().readAll();
    QVERIFY2(!heard.contains("activate"), heard.constData());
}

void TestSingleInstance::requestOfAnotherUserIsIgnored()
{
    if (!isRoot())
        QSKIP("taking on another user's id needs root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = sharedSocketPath(dir);
    SingleInstance first(name);
    QVERIFY(first.listen());
    // As if the socket's own permissions let everyone in.
    QVERIFY(QFile::setPermissions(name, QFile::Permissions(0x7777)));
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    OtherUser asker(QStringLiteral("--ask"), name);
    // It writes the request, then waits until the instance lets go of it.
    QTRY_VERIFY_WITH_TIMEOUT(asker.process().state() == QProcess::NotRunning, 60000);
    QCOMPARE(asker.process().readAllStandardOutput().trimmed(),
             QByteArray("uid 48611 connected, closed by the server"));
    QCOMPARE(activations.size(), 0);

    SingleInstance second(name);
    QVERIFY(second.handOverToRunningInstance());
    QTRY_COMPARE(activations.size(), 1);
}

namespace {
// Roles of the other user. --listen: a server at the path that reports every byte it hears.
// --ask: asks the server at the path to come forward and waits for it to let go.
int runAsOtherUser(const QString& role, const QString& path)
{
    const auto say = [](const QByteArray& line) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    const QByteArray who = "uid " + QByteArray::number(::getuid());
    if (role == QLatin1String("--listen")) {
        ::unlink(QFile::encodeName(path).constData());
        const int server = boundSocket(path, true);
        if (server < 0)
            return 1;
        ::chmod(QFile::encodeName(path).constData(), 0777);
        say(who + " listening");
        // Every connection and every byte heard, until it is killed.
        std::vector<pollfd> watched{{server, POLLIN, 0}};
        for (;;) {
            if (::poll(watched.data(), watched.size(), -1) < 0)
                continue;
            for (size_t i = 0; i < watched.size(); ++i) {
                if (!(watched[i].revents & (POLLIN | POLLHUP)))
                    continue;
                if (watched[i].fd == server) {
                    const int client = ::accept(server, nullptr, nullptr);
                    if (client >= 0) {
                        say("connection");
                        watched.push_back({client, POLLIN, 0});
                    }
                    continue;
                }
                char bytes[256];
                const ssize_t n = ::read(watched[i].fd, bytes, sizeof bytes);
                if (n > 0) {
                    say("heard: " + QByteArray(bytes, int(n)));
                } else {
                    ::close(watched[i].fd);
                    watched[i].fd = -1; // poll skips it from now on
                }
            }
        }
    }
    const sockaddr_un address = addressOf(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        say(who + " refused");
        return 1;
    }
    if (::write(fd, "activate\n", 9) != 9)
        return 1;
    // An instance that heard the request would keep the connection until the asker goes.
    char byte = 0;
    while (::read(fd, &byte, 1) > 0) {
    }
    say(who + " connected, closed by the server");
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && (qstrcmp(argv[1], "--listen") == 0 || qstrcmp(argv[1], "--ask") == 0))
        return runAsOtherUser(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_singleinstance.moc"
