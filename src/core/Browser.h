#pragma once

#include <QUrl>

// Hands a web address to the user's default browser and returns at once.
class Browser
{
public:
    virtual ~Browser() = default;
    virtual void openUrl(const QUrl& url) = 0;

    static Browser& current();
    static void set(Browser* browser); // nullptr restores the desktop's browser
};
