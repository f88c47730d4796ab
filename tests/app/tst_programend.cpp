// A termination signal that arrives while a box or a dialog waits for the user: the real box
// closes at once and answers as if declined, and from then on no box is ever shown, whoever
// asks (the program's own boxes, a test's stand-in, a box the end itself would raise).
#include "RecordingPrompt.h"
#include "app/SessionEnd.h"
#include "core/ProgramEnd.h"
#include "core/Prompt.h"
#include "settings/DisplaySettings.h"
#include "settings/MessageFontDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>

namespace {
// Once the window `wanted` is the modal one in front, runs `act` (from the event loop that
// the dialog runs). Stops with `owner`.
void whenModal(QObject* owner, const std::function<bool(QWidget*)>& wanted,
               const std::function<void()>& act)
{
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, wanted, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && wanted(modal)) {
            poll->stop();
            poll->deleteLater();
            act();
        }
    });
    poll->start(10);
}

// A dialog the end failed to close would wait forever: close it for the test to report.
struct Watchdog
{
    bool fired = false;
    QTimer timer;
    Watchdog()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            fired = true;
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close(), modal->hide();
        });
        timer.start(10000);
    }
};

bool anyDialogVisible()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(w) && w->isVisible())
            return true;
    }
    return false;
}
} // namespace

class TestProgramEnd : public QObject
{
    Q_OBJECT
private slots:
    void init() { ProgramEnd::reset(); }
    void cleanup()
    {
        Prompt::set(nullptr);
        ProgramEnd::reset();
    }
    void signalClosesWhatIsOpen_data();
    void signalClosesWhatIsOpen();
    void noBoxOnceEnding_data();
    void noBoxOnceEnding();
};

void TestProgramEnd::signalClosesWhatIsOpen_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("open");
    for (const auto& [sig, name] : {std::pair{SIGTERM, "TERM"}, {SIGHUP, "HUP"}, {SIGINT, "INT"}}) {
        for (const char* open : {"question", "OK box", "font dialog", "colour dialog"})
            QTest::addRow("SIG%s, %s", name, open) << sig << QString::fromLatin1(open);
    }
}

void TestProgramEnd::signalClosesWhatIsOpen()
{
    QFETCH(int, signalNumber);
    QFETCH(QString, open);
    // As the program wires it: the signal's byte is read in whatever event loop runs.
    SessionEnd sessionEnd;
    connect(&sessionEnd, &SessionEnd::endRequested, this, [] { ProgramEnd::begin(); });
    const auto raiseSignal = [signalNumber] { ::raise(signalNumber); };
    Watchdog watchdog;
    QObject polls;
    MessageFontDialog fontDialog;

    if (open == QLatin1String("question") || open == QLatin1String("OK box")) {
        const bool question = open == QLatin1String("question");
        whenModal(
            &polls, [](QWidget* w) { return w->inherits("QMessageBox"); }, raiseSignal);
        const Prompt::Answer answer = Prompt::current().ask(
            QStringLiteral("Do You Wish To Update The Software ?"), Prompt::Icon::Exclamation,
            question ? Prompt::Buttons::YesNo : Prompt::Buttons::Ok);
        QCOMPARE(answer, question ? Prompt::Answer::No : Prompt::Answer::Ok);
    } else {
        DisplaySettings settings;
        settings.FontName = QStringLiteral("Verdana");
        settings.FontColor = 0x0000FF;
        const DisplaySettings before = settings;
        if (open == QLatin1String("colour dialog")) {
            whenModal(
                &polls, [&](QWidget* w) { return w == &fontDialog; },
                [&] {
                    whenModal(
                        &polls, [](QWidget* w) { return w->inherits("QColorDialog"); },
                        raiseSignal);
                    fontDialog.cmdColor->click();
                });
        } else {
            whenModal(
                &polls, [&](QWidget* w) { return w == &fontDialog; }, raiseSignal);
        }
        QVERIFY(!fontDialog.chooseFor(settings));
        QCOMPARE(settings.FontName, before.FontName);
        QCOMPARE(settings.FontColor, before.FontColor);
    }
    QVERIFY2(!watchdog.fired, "the open dialog stayed open after the signal");
    QVERIFY(ProgramEnd::begun());
    QVERIFY(!anyDialogVisible());
}

void TestProgramEnd::noBoxOnceEnding_data()
{
    QTest::addColumn<bool>("standIn");
    QTest::newRow("the program's own boxes") << false;
    QTest::newRow("a stand-in installed") << true;
}

void TestProgramEnd::noBoxOnceEnding()
{
    QFETCH(bool, standIn);
    RecordingPrompt recording;
    if (standIn)
        Prompt::set(&recording);
    Watchdog watchdog;
    ProgramEnd::begin();
    // Any box that would be shown now is reported, then closed so the test goes on.
    bool shown = false;
    QObject polls;
    whenModal(
        &polls, [](QWidget*) { return true; },
        [&] {
            shown = true;
            QApplication::activeModalWidget()->close();
        });
    QCOMPARE(Prompt::current().ask(QStringLiteral("Are You Sure You Want To Exit Zentrivo?"),
                                   Prompt::Icon::Exclamation, Prompt::Buttons::YesNo),
             Prompt::Answer::No);
    QCOMPARE(Prompt::current().ask(QStringLiteral("Enter Message and Click on Add New"),
                                   Prompt::Icon::Critical, Prompt::Buttons::Ok),
             Prompt::Answer::Ok);
    QVERIFY(!shown);
    QVERIFY(!watchdog.fired);
    QVERIFY(recording.shown.isEmpty());
}

QTEST_MAIN(TestProgramEnd)
#include "tst_programend.moc"
