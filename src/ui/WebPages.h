#pragma once

#include <QString>

// The product's web pages, handed to the user's browser; the program never waits for the
// browser. When the desktop has nothing to open a page with, the user is told the address of
// each page they asked for.
class WebPages
{
public:
    static void OpenHelpPage();
    static void OpenHomePage();
    static void OpenUpdatePage();
    static void OpenThankYouPage();

    static QString baseAddress() { return QStringLiteral("https://zentrivo.example"); }
};
