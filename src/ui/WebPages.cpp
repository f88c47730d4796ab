#include "ui/WebPages.h"

#include "core/Browser.h"

#include <QUrl>

namespace {
// Fixed addresses: nothing about the user or the installation is ever added to them.
void open(const QString& path)
{
    Browser::current().openUrl(QUrl(WebPages::baseAddress() + path));
}
} // namespace

void WebPages::OpenHelpPage()
{
    open(QStringLiteral("/zentrivo-help/"));
}

void WebPages::OpenHomePage()
{
    open(QString());
}

void WebPages::OpenUpdatePage()
{
    open(QStringLiteral("/try-it-out-zentrivo.html"));
}

void WebPages::OpenThankYouPage()
{
    open(QStringLiteral("/thankyou-for-using-zentrivo.php"));
}
