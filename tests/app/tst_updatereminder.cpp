#include "app/UpdateReminder.h"
#include "core/Browser.h"
#include "core/Clock.h"
#include "core/Prompt.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
class FixedClock : public Clock
{
public:
    QDate date;
    QDate today() const override { return date; }
};

class AnsweringPrompt : public Prompt
{
public:
    Answer answer = Answer::No;
    QStringList texts;
    QList<Icon> icons;
    QList<Buttons> buttons;
    Answer ask(const QString& text, Icon icon, Buttons shownButtons) override
    {
        texts.append(text);
        icons.append(icon);
        buttons.append(shownButtons);
        return answer;
    }
};

class RecordingBrowser : public Browser
{
public:
    QStringList opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url.toString());
        return true;
    }
};

// How the date sits in the store: section "Update", key and value base64url without padding.
const QString storedKey = QStringLiteral("TGFzdFVwZGF0ZQ");

QString encoded(const QString& text)
{
    return QString::fromLatin1(
        text.toUtf8().toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString decoded(const QString& text)
{
    return QString::fromUtf8(QByteArray::fromBase64(
        text.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

const QDate today(2026, 3, 1);
QString encodedDate(int daysFromToday)
{
    return encoded(today.addDays(daysFromToday).toString(QStringLiteral("yyyy-MM-dd")));
}
} // namespace

class TestUpdateReminder : public QObject
{
    Q_OBJECT

private slots:
    void remind_data();
    void remind();
};

void TestUpdateReminder::remind_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("after"); // the decoded stored text afterwards

    const QString todayText = today.toString(QStringLiteral("yyyy-MM-dd"));
    QTest::newRow("first launch") << false << QString() << false << false << todayText;
    QTest::newRow("empty text counts as first launch") << true << "" << false << false << todayText;
    QTest::newRow("14 days ago: unchanged")
        << true << encodedDate(-14) << false << false
        << today.addDays(-14).toString(QStringLiteral("yyyy-MM-dd"));
    QTest::newRow("14 days ahead: unchanged")
        << true << encodedDate(14) << false << false
        << today.addDays(14).toString(QStringLiteral("yyyy-MM-dd"));
    QTest::newRow("15 days ago, Yes") << true << encodedDate(-15) << true << true << todayText;
    QTest::newRow("15 days ago, No") << true << encodedDate(-15) << false << true << todayText;
    QTest::newRow("20 days ahead (clock set back)")
        << true << encodedDate(20) << false << true << todayText;
    QTest::newRow("unreadable stored text") << true << "not a date!" << true << true << todayText;
    QTest::newRow("encoded text that is no date")
        << true << encoded(QStringLiteral("yesterday")) << false << true << todayText;
    QTest::newRow("plain date without the encoding")
        << true << today.addDays(-1).toString(QStringLiteral("yyyy-MM-dd")) << false << true
        << todayText;
}

void TestUpdateReminder::remind()
{
    QFETCH(bool, present);
    QFETCH(QString, stored);
    QFETCH(bool, answerYes);
    QFETCH(bool, asked);
    QFETCH(QString, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto store = SettingsStore::atIniFile(dir.filePath(QStringLiteral("zentrivo.ini")));
    if (present)
        QVERIFY(store->SaveSetting(QStringLiteral("Update"), storedKey, stored).ok());

    FixedClock clock;
    clock.date = today;
    AnsweringPrompt prompt;
    prompt.answer = answerYes ? Prompt::Answer::Yes : Prompt::Answer::No;
    RecordingBrowser browser;
    Clock::set(&clock);
    Prompt::set(&prompt);
    Browser::set(&browser);
    UpdateReminder::RemindToUpdate(*store);
    Clock::set(nullptr);
    Prompt::set(nullptr);
    Browser::set(nullptr);

    if (asked) {
        QCOMPARE(prompt.texts, QStringList{QStringLiteral("Do You Wish To Update The Software ?")});
        QCOMPARE(prompt.icons.at(0), Prompt::Icon::Exclamation);
        QCOMPARE(prompt.buttons.at(0), Prompt::Buttons::YesNo);
    } else {
        QVERIFY(prompt.texts.isEmpty());
    }
    const QStringList expectedPages =
        asked && answerYes
            ? QStringList{QStringLiteral("https://zentrivo.example/try-it-out-zentrivo.html")}
            : QStringList{};
    QCOMPARE(browser.opened, expectedPages);

    const auto reread = SettingsStore::atIniFile(dir.filePath(QStringLiteral("zentrivo.ini")));
    QCOMPARE(decoded(reread->GetSetting(QStringLiteral("Update"), storedKey)), after);
    // Nothing lands in the section of the other settings.
    QCOMPARE(reread->GetSetting(QStringLiteral("Settings"), QStringLiteral("LastUpdate"),
                                QStringLiteral("absent")),
             QStringLiteral("absent"));
}

QTEST_MAIN(TestUpdateReminder)
#include "tst_updatereminder.moc"
