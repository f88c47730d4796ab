#include "app/SingleInstance.h"

#include "core/AppFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
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

bool fitsSocketAddress(const QString& path)
{
    return size_t(QFile::encodeName(path).size()) < sizeof(sockaddr_un::sun_path);
}

// Whether the process at the other end of the connection runs as this user.
bool peerIsThisUser(const QLocalSocket& socket)
{
    const int fd = int(socket.socketDescriptor());
    if (fd < 0)
        return false;
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
#else
bool peerIsThisUser(const QLocalSocket&)
{
    return true; // a named pipe created for the user's own session
}
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

bool SingleInstance::handOverToRunningInstance(int timeoutMs)
{
    if (m_name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // A server of another user is never this program's running instance, and is told nothing.
    if (!peerIsThisUser(socket)) {
        socket.abort();
        return false;
    }
    // Connected means an instance is running; even one too busy to read the request is
    // running, so this one ends either way.
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
        m_server = new QLocalServer(this);
        // Only this user may ask the instance to come forward.
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    }
    // Claiming replaces whatever socket file has the name, so first make sure nobody answers
    // there: only the leftover of a crashed instance may be replaced. The lock keeps two
    // instances started at the same moment from both finding the name free.
    QLockFile lock(lockFilePath(m_name));
    lock.tryLock(lockTimeoutMs); // without the lock, claiming is still right nearly always
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(probeTimeoutMs)) {
        const bool ours = peerIsThisUser(probe);
        probe.abort();
        if (ours)
            return false;
    }
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Only this user may ask the instance to come forward.
        if (!peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(socket); });
        // The new instance writes and leaves at once: read what it left before letting go.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readRequests(socket);
            socket->deleteLater();
        });
        readRequests(socket);
    }
}

void SingleInstance::readRequests(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine(maxRequestBytes).trimmed() == activateRequest)
            emit activationRequested();
    }
    if (socket->bytesAvailable() > maxRequestBytes)
        socket->abort();
}
