#pragma once

#include <QString>

// The product's web pages, handed to the user's browser; the program never waits for the
// browser nor learns whether a page opened.
class WebPages
{
public:
    static void OpenHelpPage();
    static void OpenHomePage();
    static void OpenUpdatePage();
    static void OpenThankYouPage();

    static QString baseAddress() { return QStringLiteral("https://zentrivo.example"); }
};
