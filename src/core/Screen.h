#pragma once

#include <QSize>

// The primary screen's size in device-independent pixels, for placing a message.
class Screen
{
public:
    virtual ~Screen() = default;
    virtual QSize size() const = 0;

    static const Screen& current();
    static void set(const Screen* screen); // nullptr restores the real primary screen
};
