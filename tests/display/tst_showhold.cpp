// Pauses on a clock the test moves: each length, resuming by hand and by time, the clock
// jumping under a pause, and the words that tell a pause's end.
#include "PauseRig.h"

#include <chrono>

using std::chrono::minutes;

namespace {
// A local time; the tip tells its hours and minutes.
QDateTime at(int h, int m, int s = 0)
{
    return QDateTime(QDate(2026, 3, 2), QTime(h, m, s));
}
} // namespace

class TestShowHold : public QObject
{
    Q_OBJECT
private slots:
    void pauseHoldsUntilItsEnd_data();
    void pauseHoldsUntilItsEnd();
    void resumeByHand_data();
    void resumeByHand();
    void clockMovesUnderAPause_data();
    void clockMovesUnderAPause();
    void stopEndsAPauseAndAStoppedShowDoesNotPause();
    void computersClockWakesAtTheTime_data();
    void computersClockWakesAtTheTime();
};

void TestShowHold::pauseHoldsUntilItsEnd_data()
{
    QTest::addColumn<int>("length"); // minutes; 0: until resumed
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QString>("words");
    QTest::newRow("15 minutes") << 15 << at(14, 20, 30) << at(14, 35, 30) << "paused until 14:35";
    QTest::newRow("1 hour") << 60 << at(9, 5) << at(10, 5) << "paused until 10:05";
    QTest::newRow("1 hour, past midnight")
        << 60 << at(23, 30) << at(23, 30).addSecs(3600) << "paused until 00:30";
    QTest::newRow("until I resume") << 0 << at(14, 20) << QDateTime() << "paused until I resume";
}

void TestShowHold::pauseHoldsUntilItsEnd()
{
    QFETCH(int, length);
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, end);
    QFETCH(QString, words);
    PauseRig rig(start);
    rig.start();
    // Paused while a message is on the screen: it goes at its time, and no beat follows.
    rig.cycle->Timer1_Timer();
    QVERIFY(rig.cycle->displayWindow()->isVisible());
    QSignalSpy told(rig.hold.get(), &ShowHold::pauseChanged);
    if (length)
        rig.hold->pauseFor(minutes(length));
    else
        rig.hold->pauseUntilResumed();
    rig.cycle->displayWindow()->Timer1_Timer();
    QVERIFY(!rig.cycle->displayWindow()->isVisible());
    QCOMPARE(told.count(), 1);
    QVERIFY(rig.hold->isPaused());
    QCOMPARE(rig.hold->pausedUntil(), end);
    QCOMPARE(rig.clock->alarm, end);
    QCOMPARE(rig.hold->pauseWords(), words);
    // Held with the clock stopped; a beat that comes all the same shows nothing. The show is
    // still on.
    QVERIFY(!rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.beat(), QString());
    QVERIFY(rig.cycle->isShowing());
    QVERIFY(rig.settings.AutoDisplay);

    rig.clock->pass(start.addSecs(length * 60 - 1));
    QVERIFY(rig.hold->isPaused());
    rig.clock->pass(start.addDays(1));
    QCOMPARE(rig.hold->isPaused(), length == 0);
    if (length == 0)
        return;
    QVERIFY(rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.hold->pauseWords(), QString());
    QCOMPARE(rig.beat(), "b");
}

void TestShowHold::resumeByHand_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("15 minutes") << 15;
    QTest::newRow("until I resume") << 0;
}

void TestShowHold::resumeByHand()
{
    QFETCH(int, length);
    PauseRig rig(at(12, 0));
    rig.start();
    length ? rig.hold->pauseFor(minutes(length)) : rig.hold->pauseUntilResumed();
    rig.clock->pass(at(12, 1));
    rig.hold->resume();
    QVERIFY(!rig.hold->isPaused());
    QVERIFY(!rig.hold->pausedUntil().isValid());
    QVERIFY(!rig.clock->alarm.isValid()); // nothing left to wake for
    QVERIFY(rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.beat(), "a");
    // A new pause replaces the old one.
    rig.hold->pauseFor(minutes(60));
    rig.hold->pauseFor(minutes(15));
    QCOMPARE(rig.hold->pausedUntil(), at(12, 16));
}

void TestShowHold::clockMovesUnderAPause_data()
{
    // A pause of 15 minutes from 14:20 ends at 14:35 of the wall clock, however the clock gets
    // there: by passing time, by a suspend (the clock is later when the machine wakes), or by
    // being set.
    QTest::addColumn<bool>("set"); // the clock is set, rather than reaching the time
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<bool>("paused");
    QTest::newRow("a minute short") << false << at(14, 34) << true;
    QTest::newRow("time is up") << false << at(14, 35) << false;
    QTest::newRow("woken from a suspend after the end") << false << at(17, 2) << false;
    QTest::newRow("clock set back an hour") << true << at(13, 20) << true;
    QTest::newRow("clock set forward, short of the end") << true << at(14, 30) << true;
    QTest::newRow("clock set past the end") << true << at(14, 50) << false;
}

void TestShowHold::clockMovesUnderAPause()
{
    QFETCH(bool, set);
    QFETCH(QDateTime, to);
    QFETCH(bool, paused);
    PauseRig rig(at(14, 20));
    rig.start();
    rig.hold->pauseFor(minutes(15));
    set ? rig.clock->set(to) : rig.clock->pass(to);
    QCOMPARE(rig.hold->isPaused(), paused);
    QCOMPARE(rig.cycle->pacingClock().isActive(), !paused);
    // Still paused: towards the same time, which the clock's alarm is set to again.
    QCOMPARE(rig.clock->alarm, paused ? at(14, 35) : QDateTime());
    if (!paused)
        return;
    rig.clock->pass(at(14, 35));
    QVERIFY(!rig.hold->isPaused());
}

void TestShowHold::stopEndsAPauseAndAStoppedShowDoesNotPause()
{
    PauseRig rig(at(8, 0));
    rig.hold->pauseFor(minutes(15));
    QVERIFY(!rig.hold->isPaused());
    QVERIFY(!rig.clock->alarm.isValid());

    rig.start();
    rig.hold->pauseFor(minutes(15));
    rig.cycle->cmdStart_Click(); // stop
    QVERIFY(!rig.cycle->isShowing());
    QVERIFY(!rig.hold->isPaused());
    QVERIFY(!rig.clock->alarm.isValid());
    rig.start();
    QVERIFY(rig.cycle->pacingClock().isActive());
    QCOMPARE(rig.beat(), "a");
}

void TestShowHold::computersClockWakesAtTheTime_data()
{
    QTest::addColumn<int>("ms"); // from now
    QTest::newRow("passed") << -1000;
    QTest::newRow("now") << 0;
    QTest::newRow("soon") << 300;
}

void TestShowHold::computersClockWakesAtTheTime()
{
    QFETCH(int, ms);
    const std::unique_ptr<PauseClock> clock = PauseClock::system();
    QSignalSpy woke(clock.get(), &PauseClock::woke);
    const QDateTime when = clock->now().addMSecs(ms);
    clock->wakeAt(when);
    QVERIFY(woke.wait(60000));
    QVERIFY(clock->now() >= when); // never early
    // Cleared, it stays quiet.
    clock->wakeAt(clock->now().addMSecs(ms));
    clock->wakeAt({});
    QCoreApplication::processEvents();
    QVERIFY(!woke.wait(std::max(ms, 0) + 500));
    QCOMPARE(woke.count(), 1);
}

QTEST_MAIN(TestShowHold)
#include "tst_showhold.moc"
