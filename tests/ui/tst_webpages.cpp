#include "RecordingPrompt.h"
#include "core/Browser.h"
#include "core/Prompt.h"
#include "ui/WebPages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {
class RecordingBrowser : public Browser
{
public:
    QStringList opened;
    bool opens = true; // false: a desktop without a browser
    bool openUrl(const QUrl& url) override
    {
        opened.append(url.toString(QUrl::FullyEncoded));
        return opens;
    }
};
} // namespace

Q_DECLARE_METATYPE(std::function<void()>)

class TestWebPages : public QObject
{
    Q_OBJECT

private slots:
    void address_data();
    void address();
    void addressCanBeCopied_data();
    void addressCanBeCopied();
};

void TestWebPages::address_data()
{
    QTest::addColumn<std::function<void()>>("open");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("browserOpens"); // false: a desktop without a browser
    QTest::addColumn<bool>("told");

    struct Page
    {
        const char* name;
        void (*open)();
        const char* address;
        bool askedFor; // the user asked for it, so is told when no browser takes it
    };
    const Page pages[] = {
        {"help", &WebPages::OpenHelpPage, "https://zentrivo.example/zentrivo-help/", true},
        {"home, bare host", &WebPages::OpenHomePage, "https://zentrivo.example", true},
        {"update", &WebPages::OpenUpdatePage, "https://zentrivo.example/try-it-out-zentrivo.html",
         true},
        // Opened by itself on the way out, perhaps while the session ends: never a box then.
        {"thank you", &WebPages::OpenThankYouPage,
         "https://zentrivo.example/thankyou-for-using-zentrivo.php", false},
    };
    for (const Page& page : pages) {
        for (const bool opens : {true, false}) {
            QTest::addRow("%s%s", page.name, opens ? "" : ", no browser")
                << std::function<void()>(page.open) << page.address << opens
                << (!opens && page.askedFor);
        }
    }
}

void TestWebPages::address()
{
    QFETCH(std::function<void()>, open);
    QFETCH(QString, address);
    QFETCH(bool, browserOpens);
    QFETCH(bool, told);
    RecordingBrowser browser;
    browser.opens = browserOpens;
    RecordingPrompt prompt;
    Browser::set(&browser);
    Prompt::set(&prompt);
    open();
    Browser::set(nullptr);
    Prompt::set(nullptr);
    QCOMPARE(browser.opened, QStringList{address});
    if (!told) {
        QCOMPARE(prompt.shown.size(), 0);
        return;
    }
    QCOMPARE(prompt.shown.size(), 1);
    QCOMPARE(prompt.shown[0].text, "The web page could not be opened in a web browser. Its "
                                   "address is:\n\n" +
                                       address);
    QCOMPARE(prompt.shown[0].icon, Prompt::Icon::Exclamation);
    QCOMPARE(prompt.shown[0].buttons, Prompt::Buttons::Ok);
}

void TestWebPages::addressCanBeCopied_data()
{
    QTest::addColumn<QString>("style");
    // The Windows look leaves a message box's text unselectable unless told otherwise.
    for (const char* style : {"Fusion", "Windows"})
        QTest::newRow(style) << style;
}

void TestWebPages::addressCanBeCopied()
{
    QFETCH(QString, style);
    // The real message box: its caption is the program's title and its text can be selected.
    const QString before = QApplication::style()->name();
    QApplication::setStyle(style);
    RecordingBrowser browser;
    browser.opens = false;
    Browser::set(&browser);
    QString caption, text;
    Qt::TextInteractionFlags flags;
    QObject whileHere; // no box: the look never runs after this test
    QTimer::singleShot(0, &whileHere, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        caption = box->windowTitle();
        text = box->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            flags = label->textInteractionFlags();
        box->accept();
    });
    WebPages::OpenHelpPage();
    Browser::set(nullptr);
    QApplication::setStyle(before);
    QCOMPARE(caption, QStringLiteral("Zentrivo"));
    QVERIFY2(text.endsWith("https://zentrivo.example/zentrivo-help/"), qPrintable(text));
    QVERIFY(flags & Qt::TextSelectableByMouse);
}

QTEST_MAIN(TestWebPages)
#include "tst_webpages.moc"
