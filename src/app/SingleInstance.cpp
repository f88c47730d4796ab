#include "app/SingleInstance.h"

#include "core/AppFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
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
    return QStringLiteral("zentrivo-") + QString::fromLatin1(hash.left(20));
}

bool SingleInstance::handOverToRunningInstance(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
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
        probe.abort();
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
