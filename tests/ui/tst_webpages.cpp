#include "core/Browser.h"
#include "ui/WebPages.h"

#include <QtTest>
#include <functional>

namespace {
class RecordingBrowser : public Browser
{
public:
    QStringList opened;
    void openUrl(const QUrl& url) override { opened.append(url.toString(QUrl::FullyEncoded)); }
};
} // namespace

Q_DECLARE_METATYPE(std::function<void()>)

class TestWebPages : public QObject
{
    Q_OBJECT

private slots:
    void address_data();
    void address();
};

void TestWebPages::address_data()
{
    QTest::addColumn<std::function<void()>>("open");
    QTest::addColumn<QString>("address");

    QTest::newRow("help") << std::function<void()>(&WebPages::OpenHelpPage)
                          << "https://zentrivo.example/zentrivo-help/";
    QTest::newRow("home, bare host")
        << std::function<void()>(&WebPages::OpenHomePage) << "https://zentrivo.example";
    QTest::newRow("update") << std::function<void()>(&WebPages::OpenUpdatePage)
                            << "https://zentrivo.example/try-it-out-zentrivo.html";
    QTest::newRow("thank you") << std::function<void()>(&WebPages::OpenThankYouPage)
                               << "https://zentrivo.example/thankyou-for-using-zentrivo.php";
}

void TestWebPages::address()
{
    QFETCH(std::function<void()>, open);
    QFETCH(QString, address);
    RecordingBrowser browser;
    Browser::set(&browser);
    open();
    Browser::set(nullptr);
    QCOMPARE(browser.opened, QStringList{address});
}

QTEST_MAIN(TestWebPages)
#include "tst_webpages.moc"
