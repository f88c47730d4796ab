#include "display/PauseClock.h"

#include <QTimer>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace {

// Elsewhere a plain timer towards the time: it may wake late after a suspend, and the holder
// then looks at the clock again.
class TimerClock : public PauseClock
{
public:
    TimerClock()
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::VeryCoarseTimer);
        connect(&m_timer, &QTimer::timeout, this, &PauseClock::woke);
    }
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    void wakeAt(const QDateTime& at) override
    {
        m_timer.stop();
        if (at.isValid())
            m_timer.start(int(std::clamp<qint64>(now().msecsTo(at), 0, 60 * 60 * 1000)));
    }

private:
    QTimer m_timer;
};

#ifdef Q_OS_LINUX
// A timer on the real-time clock for an absolute time: the kernel lets it expire as soon as
// the clock reaches that time, also when the clock gets there by being set or by the time a
// suspend lasted, and cancels it whenever the clock is set.
class TimerFdClock : public PauseClock
{
public:
    explicit TimerFdClock(int fd) : m_fd(fd), m_notifier(fd, QSocketNotifier::Read)
    {
        m_notifier.setEnabled(false);
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            // Either it expired, or (ECANCELED) the clock was set: both are a reason to look.
            if (::read(m_fd, &expirations, sizeof expirations) < 0 && errno == EAGAIN)
                return;
            m_notifier.setEnabled(false);
            emit woke();
        });
    }
    ~TimerFdClock() override { ::close(m_fd); }
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    void wakeAt(const QDateTime& at) override
    {
        itimerspec due{};
        if (at.isValid()) {
            const qint64 ms = std::max<qint64>(at.toMSecsSinceEpoch(), 1);
            due.it_value.tv_sec = time_t(ms / 1000);
            due.it_value.tv_nsec = long(ms % 1000) * 1000000L;
        }
        ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &due, nullptr);
        m_notifier.setEnabled(at.isValid());
    }

private:
    int m_fd;
    QSocketNotifier m_notifier;
};
#endif

} // namespace

std::unique_ptr<PauseClock> PauseClock::system()
{
#ifdef Q_OS_LINUX
    const int fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd >= 0)
        return std::make_unique<TimerFdClock>(fd);
#endif
    return std::make_unique<TimerClock>();
}
