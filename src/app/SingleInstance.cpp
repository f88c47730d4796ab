#include "app/SingleInstance.h"

#include "core/AppFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QScopeGuard>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#else
#include <QLocalServer>
#include <QLocalSocket>
#endif

namespace {
const QByteArray activateRequest = QByteArrayLiteral("activate");
// A request is one short line; anything longer is not from us.
constexpr qint64 maxRequestBytes = 256;
constexpr int probeTimeoutMs = 500;
constexpr int lockTimeoutMs = 2000;

QString lockFilePath(const QString& serverName)
{
    if (serverName.contains(QLatin1Char('/')))
        return serverName + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + serverName + QStringLiteral(".lock");
}

#ifdef Q_OS_UNIX
// A folder only this user can have made and only this user can write to: anything found in it
// is this user's own. Not followed when it is a symbolic link.
bool isPrivateFolder(const QString& path)
{
    struct stat info = {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700;
}

// The user's own folder for the socket when the desktop gives none: under the home folder,
// where no other user can make it first.
QString ownFolderIn(const QString& parent)
{
    if (parent.isEmpty() || !QDir::isAbsolutePath(parent) || !QDir().mkpath(parent))
        return {};
    const QString folder = parent + QStringLiteral("/zentrivo");
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info = {};
    // One of ours with a wider mode (made under an unusual umask) is narrowed; anything that
    // is not a directory of ours is never used.
    if (::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid() && (info.st_mode & 0777) != 0700)
        ::chmod(native.constData(), 0700);
    return isPrivateFolder(folder) ? folder : QString();
}

// The socket file of a server name: the name itself when it is a path.
QByteArray socketPath(const QString& serverName)
{
    if (serverName.contains(QLatin1Char('/')))
        return QFile::encodeName(serverName);
    return QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + serverName);
}

// False when the path does not fit in a socket address: such a name can never be used.
bool socketAddress(const QString& serverName, sockaddr_un* address)
{
    const QByteArray path = socketPath(serverName);
    *address = {};
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address->sun_path))
        return false;
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

bool fitsSocketAddress(const QString& path)
{
    sockaddr_un address;
    return socketAddress(path, &address);
}

// A descriptor that no program started from here inherits.
int keptFromChildren(int fd)
{
    if (fd >= 0)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Whether the process at the other end of the connection runs as this user.
bool peerIsThisUser(int fd)
{
#ifdef SO_PEERCRED
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::getuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(fd, &uid, &gid) != 0)
        return false;
    return uid == ::getuid();
#endif
}

// A connection to whatever listens at the name, or -1. A server too busy to take it at once
// leaves it waiting in its queue; it is given up after `timeoutMs`.
int connectTo(const QString& serverName, int timeoutMs)
{
    sockaddr_un address;
    if (!socketAddress(serverName, &address))
        return -1;
    const int fd = keptFromChildren(::socket(AF_UNIX, SOCK_STREAM, 0));
    if (fd < 0)
        return -1;
    const int ms = qMax(timeoutMs, 1);
    const timeval limit{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int connected = -1;
    do
        connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (connected != 0 && errno == EINTR);
    if (connected != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const QByteArray& bytes)
{
#ifdef MSG_NOSIGNAL
    constexpr int flags = MSG_NOSIGNAL; // a peer that left is no reason to end
#else
    constexpr int flags = 0;
#endif
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), flags);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

// One connection of another instance, read until it closes or says too much. It owns its
// descriptor and ends itself.
class Request : public QObject
{
public:
    Request(int fd, SingleInstance& guard) : QObject(&guard), m_fd(fd), m_guard(guard)
    {
        setNonBlocking(m_fd);
        m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &Request::read);
        // The new instance writes and leaves at once: what it left may be there already.
        read();
    }
    ~Request() override { ::close(m_fd); }

private:
    void read()
    {
        if (m_done)
            return;
        char chunk[maxRequestBytes];
        for (;;) {
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (n <= 0)
                return finish(); // closed by the other instance, after all it wrote
            m_pending.append(chunk, n);
            takeLines();
            if (m_pending.size() > maxRequestBytes)
                return finish();
        }
    }
    void takeLines()
    {
        qsizetype end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QByteArray line = m_pending.left(end).trimmed();
            m_pending.remove(0, end + 1);
            if (line == activateRequest)
                emit m_guard.activationRequested();
        }
    }
    void finish()
    {
        m_done = true;
        m_notifier->setEnabled(false);
        deleteLater();
    }

    int m_fd;
    SingleInstance& m_guard;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
    bool m_done = false;
};
#endif

QString userIdentity()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERDOMAIN") + QLatin1Char('\\') +
           qEnvironmentVariable("USERNAME");
#endif
}
} // namespace

#ifdef Q_OS_UNIX
struct SingleInstance::Server
{
    ~Server()
    {
        delete notifier;
        ::close(fd);
    }
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
};
#else
struct SingleInstance::Server
{
    QLocalServer* local = nullptr;
};
#endif

SingleInstance::SingleInstance(QObject* parent) : SingleInstance(defaultServerName(), parent) {}

SingleInstance::SingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), m_name(serverName)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    // Hashed so that any user or base name makes a short name that is valid as a socket file
    // name and as a pipe name.
    const QByteArray identity =
        (userIdentity() + QLatin1Char('\n') + AppFolder::baseName()).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex();
    const QString name = QStringLiteral("zentrivo-") + QString::fromLatin1(hash.left(20));
#ifdef Q_OS_UNIX
    // Never the shared temporary folder: there another user could take the name first and
    // either be handed every start or keep this user from claiming it.
    const auto in = [&name](const QString& folder) {
        const QString path = folder + QLatin1Char('/') + name;
        return !folder.isEmpty() && fitsSocketAddress(path) ? path : QString();
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime) && !in(runtime).isEmpty())
        return in(runtime);
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return in(ownFolderIn(cache));
#else
    return name;
#endif
}

#ifdef Q_OS_UNIX
bool SingleInstance::handOverToRunningInstance(int timeoutMs)
{
    if (m_name.isEmpty())
        return false;
    const int fd = connectTo(m_name, timeoutMs);
    if (fd < 0)
        return false;
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    // A server of another user is never this program's running instance, and is told nothing.
    if (!peerIsThisUser(fd))
        return false;
    // Connected means an instance is running; even one too busy to read the request is
    // running, so this one ends either way.
    sendAll(fd, activateRequest + '\n');
    return true;
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    sockaddr_un address;
    if (m_name.isEmpty() || !socketAddress(m_name, &address))
        return false;
    // Claiming replaces whatever has the name, so first make sure nobody answers there: only
    // the leftover of a crashed instance may be replaced. The lock keeps two instances started
    // at the same moment from both finding the name free.
    QLockFile lock(lockFilePath(m_name));
    lock.tryLock(lockTimeoutMs); // without the lock, claiming is still right nearly always
    if (const int probe = connectTo(m_name, probeTimeoutMs); probe >= 0) {
        const bool ours = peerIsThisUser(probe);
        ::close(probe);
        if (ours)
            return false;
    }
    // A socket file nobody listens on, another user's, a plain file or a symbolic link: the
    // name goes, never what a link points to. A folder at the name stays and is not claimed.
    ::unlink(address.sun_path);
    const int fd = keptFromChildren(::socket(AF_UNIX, SOCK_STREAM, 0));
    if (fd < 0)
        return false;
    auto server = std::make_unique<Server>();
    server->fd = fd;
    // Only this user may ask the instance to come forward: the socket file is made with this
    // mode (Linux takes it from the socket), and it is narrowed below where it is not.
    ::fchmod(fd, 0600);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, SOMAXCONN) != 0)
        return false;
    struct stat info = {};
    if (::lstat(address.sun_path, &info) != 0 || !S_ISSOCK(info.st_mode))
        return false;
    if ((info.st_mode & 0077) != 0 && ::chmod(address.sun_path, 0600) != 0)
        return false;
    setNonBlocking(fd);
    server->notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
    connect(server->notifier, &QSocketNotifier::activated, this, [this] {
        for (;;) {
            const int peer = keptFromChildren(::accept(m_server->fd, nullptr, nullptr));
            if (peer < 0 && errno == EINTR)
                continue;
            if (peer < 0)
                return; // all taken
            // Only this user may ask the instance to come forward.
            if (!peerIsThisUser(peer))
                ::close(peer);
            else
                new Request(peer, *this);
        }
    });
    m_server = std::move(server);
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server != nullptr;
}
#else
bool SingleInstance::handOverToRunningInstance(int timeoutMs)
{
    if (m_name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // Connected means an instance is running (a named pipe made for the user's own session);
    // even one too busy to read the request is running, so this one ends either way.
    socket.write(activateRequest + '\n');
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    if (m_name.isEmpty())
        return false;
    if (!m_server) {
        m_server = std::make_unique<Server>();
        m_server->local = new QLocalServer(this);
        // Only this user may ask the instance to come forward.
        m_server->local->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server->local, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = m_server->local->nextPendingConnection()) {
                const auto read = [this, socket] {
                    while (socket->canReadLine()) {
                        if (socket->readLine(maxRequestBytes).trimmed() == activateRequest)
                            emit activationRequested();
                    }
                    if (socket->bytesAvailable() > maxRequestBytes)
                        socket->abort();
                };
                connect(socket, &QLocalSocket::readyRead, this, read);
                // The new instance writes and leaves at once: read what it left first.
                connect(socket, &QLocalSocket::disconnected, this, [read, socket] {
                    read();
                    socket->deleteLater();
                });
                read();
            }
        });
    }
    QLockFile lock(lockFilePath(m_name));
    lock.tryLock(lockTimeoutMs);
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(probeTimeoutMs))
        return false;
    QLocalServer::removeServer(m_name);
    return m_server->local->listen(m_name);
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->local->isListening();
}
#endif
