#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Keeps one instance per user and executable base name. A new instance first offers itself to
// a running one, which is then asked to come forward; only when none answers does it claim
// the name for itself. Only a server run by the same user is a running instance, and only
// the same user's requests are heard: anything else at the name is replaced. Handing over
// reads and writes nothing but the local socket, so the ending instance leaves every stored
// file as it was.
//
// On Unix the socket is a plain local socket watched by the event loop, so the program that
// sits in the tray for days carries no network library for it.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The per-user name of this executable's server.
    explicit SingleInstance(QObject* parent = nullptr);
    // Any other name (tests, so they never meet a real running instance). On Unix a name
    // holding a "/" is the socket file's path.
    explicit SingleInstance(const QString& serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // On Unix a socket in a folder that only this user can have made: $XDG_RUNTIME_DIR when it
    // is such a folder, else "zentrivo" in the user's cache folder, made and checked. Empty
    // when there is no such folder: the program then runs unguarded.
    static QString defaultServerName();
    QString serverName() const { return m_name; }

    // True: another instance answered and was asked to come forward; this one must end.
    bool handOverToRunningInstance(int timeoutMs = 1000);
    // Claims the name. False when it cannot be claimed (a name too long for a socket address,
    // something at the name that cannot be replaced), which includes another instance
    // claiming it since the hand-over was tried: hand over to that one and end.
    bool listen();
    bool isListening() const;

signals:
    // Another instance was started: bring the main window forward.
    void activationRequested();

private:
    struct Server;

    QString m_name;
    std::unique_ptr<Server> m_server;
};
