#include "core/Browser.h"

#include <QDesktopServices>

namespace {
class DesktopBrowser : public Browser
{
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

Browser*& installed()
{
    static Browser* browser = nullptr;
    return browser;
}
} // namespace

Browser& Browser::current()
{
    static DesktopBrowser real;
    return installed() ? *installed() : real;
}

void Browser::set(Browser* browser)
{
    installed() = browser;
}
