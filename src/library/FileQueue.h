#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

// Reads and writes of the library's files that take long, run one after the other on a
// thread of their own, so the window keeps answering while a file of a hundred megabytes is
// written. They run in the order they were queued: a later write is never overtaken by an
// earlier one, and a read queued after a write sees what it wrote. The queue is not gone
// before everything queued is done, so a write still pending when the program ends is not
// lost.
class FileQueue
{
public:
    FileQueue();
    ~FileQueue();
    FileQueue(const FileQueue&) = delete;
    FileQueue& operator=(const FileQueue&) = delete;

    // Runs `job` once everything queued before it is done, then hands its result to `done`
    // on the thread of `context`, which must live as long as the queue.
    template <typename Result>
    void run(QObject* context, std::function<Result()> job, std::function<void(Result)> done)
    {
        m_pending.fetch_add(1);
        m_thread.start([this, context, job = std::move(job), done = std::move(done)] {
            auto result = std::make_shared<Result>(job());
            m_pending.fetch_sub(1);
            QMetaObject::invokeMethod(
                context, [done, result] { done(std::move(*result)); }, Qt::QueuedConnection);
        });
    }

    // Nothing queued or running: a file touched now is touched after every queued job.
    bool isIdle() const { return m_pending.load() == 0; }
    // Waits for every queued job; what they hand over comes later, as ever.
    void wait() { m_thread.waitForDone(); }
    // Waits for every queued job, then runs what they handed to `context` now.
    void finish(QObject* context);

private:
    QThreadPool m_thread;
    std::atomic<int> m_pending = 0;
};
