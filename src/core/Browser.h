#pragma once

#include <QUrl>

// Hands a web address to the user's default browser and returns at once.
class Browser
{
public:
    virtual ~Browser() = default;
    // False when the desktop had nothing to open the address with; true says only that the
    // address was handed on, not that a page appeared.
    virtual bool openUrl(const QUrl& url) = 0;

    static Browser& current();
    static void set(Browser* browser); // nullptr restores the desktop's browser
};
