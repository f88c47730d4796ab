#include "ui/WebPages.h"

#include "core/Browser.h"
#include "core/Prompt.h"

#include <QUrl>

namespace {
// Fixed addresses: nothing about the user or the installation is ever added to them.
// A page the user asked for that no browser took is told, with its address to copy, so Help
// never does nothing in silence.
void open(const QString& path, bool askedFor = true)
{
    const QUrl url(WebPages::baseAddress() + path);
    if (Browser::current().openUrl(url) || !askedFor)
        return;
    Prompt::current().ask(QStringLiteral("The web page could not be opened in a web browser. "
                                         "Its address is:\n\n%1")
                              .arg(url.toString()),
                          Prompt::Icon::Exclamation, Prompt::Buttons::Ok);
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

// Opened on the way out, unasked and perhaps while the desktop session ends: a page that
// cannot be opened must not hold the end up with a message box.
void WebPages::OpenThankYouPage()
{
    open(QStringLiteral("/thankyou-for-using-zentrivo.php"), false);
}
