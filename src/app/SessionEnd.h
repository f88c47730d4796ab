#pragma once

#include <QObject>

class QSocketNotifier;

// Tells the program that the desktop session is ending or that it was asked to terminate
// (SIGTERM, SIGHUP, SIGINT), so it can leave as through its own exit: settings saved, then
// the end. The signal handler only writes a byte to a pipe; the rest runs in whichever event
// loop runs, the one of a box that start-up shows included.
class SessionEnd : public QObject
{
    Q_OBJECT
public:
    explicit SessionEnd(QObject* parent = nullptr);
    ~SessionEnd() override;

signals:
    void endRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
