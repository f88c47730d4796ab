#pragma once

#include <QDate>

// Today's date, for the update reminder.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;

    static const Clock& current();
    static void set(const Clock* clock); // nullptr restores the system clock
};
