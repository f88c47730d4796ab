#pragma once

#include <QDateTime>
#include <QObject>
#include <memory>

// The wall clock a pause ends by. Its alarm goes off when the clock reaches the time it was set
// to, however it got there: the time passing, the machine waking from a suspend, or the clock
// being set. It also goes off when the clock is set to any other time, so that whoever set it
// looks at the time again; it is not an answer that the time has come.
class PauseClock : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QDateTime now() const = 0;
    // Sets the alarm, replacing one set before; an invalid time clears it.
    virtual void wakeAt(const QDateTime& at) = 0;

    // The computer's own clock.
    static std::unique_ptr<PauseClock> system();

signals:
    void woke();
};
