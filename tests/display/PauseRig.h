#pragma once

// A running show over a temporary application folder, with its hold on a clock the test moves
// and a Do Not Disturb watch on the bus the test gives (none by default).
#include "TestFiles.h"
#include "display/DoNotDisturbWatch.h"
#include "display/FrmDisp.h"
#include "display/PauseClock.h"
#include "display/ShowCycle.h"
#include "display/ShowHold.h"
#include "settings/DisplaySettings.h"
#include "settings/SettingsStore.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The wall clock at the test's command. As the kernel's real-time timer does, its alarm goes
// off when the time reaches it (by passing, or by the jump a suspend makes), and whenever the
// clock is set.
class FakeClock : public PauseClock
{
public:
    QDateTime time;
    QDateTime alarm;

    QDateTime now() const override { return time; }
    void wakeAt(const QDateTime& at) override { alarm = at; }
    void pass(const QDateTime& to)
    {
        time = to;
        if (alarm.isValid() && time >= alarm) {
            alarm = {};
            emit woke();
        }
    }
    void set(const QDateTime& to)
    {
        time = to;
        if (alarm.isValid()) {
            alarm = {};
            emit woke();
        }
    }
};

struct PauseRig
{
    QTemporaryDir dir;
    DisplaySettings settings;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<ShowCycle> cycle;
    FakeClock* clock = nullptr;
    DoNotDisturbWatch* doNotDisturb = nullptr;
    std::unique_ptr<ShowHold> hold;

    explicit PauseRig(const QDateTime& start,
                      const QDBusConnection& bus = QDBusConnection(QStringLiteral("none")))
    {
        TestFiles::writeFiles(dir.path(), {{"FileNames.txt", "\"p\",#TRUE#\r\n"},
                                           {"plugins/p.txt", "\"a\",#TRUE#\r\n\"b\",#TRUE#\r\n"}});
        store = SettingsStore::atIniFile(dir.filePath("settings.ini"));
        settings.RandomMessage = 1; // "As Written"
        settings.RandomLocation = 1;
        cycle = std::make_unique<ShowCycle>(settings, *store, dir.path());
        auto fake = std::make_unique<FakeClock>();
        fake->time = start;
        clock = fake.get();
        // No gsettings program: where the bus has no notification service there is no source.
        auto watch = std::make_unique<DoNotDisturbWatch>(bus, dir.filePath("no-gsettings"));
        doNotDisturb = watch.get();
        hold = std::make_unique<ShowHold>(*cycle, *store, std::move(fake), std::move(watch));
    }
    ~PauseRig()
    {
        hold.reset();
        if (cycle)
            delete cycle->displayWindow();
        cycle.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void start()
    {
        cycle->cmdStart_Click();
        if (cycle->isGathering()) {
            QSignalSpy ready(cycle.get(), &ShowCycle::poolReady);
            QVERIFY(ready.wait(60000));
        }
    }
    // One beat: the text it put on the screen, or nothing; the message then goes.
    QString beat()
    {
        cycle->Timer1_Timer();
        FrmDisp* w = cycle->displayWindow();
        if (!w || !w->isVisible())
            return {};
        const QString text = w->LblDisp()->text();
        w->Timer1_Timer();
        return text;
    }
};
