#include "library/FileQueue.h"

#include <QMutex>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <atomic>

class TestFileQueue : public QObject
{
    Q_OBJECT
private slots:
    void jobsRunAndHandOverInTheOrderQueued();
    void queueIsNotGoneBeforeItsJobsAreDone();
};

// The first job is held until every job is queued: a later one must still wait for it.
void TestFileQueue::jobsRunAndHandOverInTheOrderQueued()
{
    QObject context;
    FileQueue queue;
    QVERIFY(queue.isIdle());
    QSemaphore gate;
    QMutex lock;
    QList<int> ran;
    QList<int> handed;
    for (int job = 0; job < 5; ++job) {
        queue.run<int>(
            &context,
            [&, job] {
                if (job == 0)
                    gate.acquire();
                const QMutexLocker locked(&lock);
                ran << job;
                return job * 10;
            },
            [&](int result) {
                QCOMPARE(QThread::currentThread(), context.thread());
                handed << result;
            });
    }
    QVERIFY(!queue.isIdle());
    gate.release();
    queue.finish(&context);
    QVERIFY(queue.isIdle());
    QCOMPARE(ran, (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(handed, (QList<int>{0, 10, 20, 30, 40}));
}

void TestFileQueue::queueIsNotGoneBeforeItsJobsAreDone()
{
    QObject context;
    std::atomic<bool> done = false;
    QSemaphore started;
    {
        FileQueue queue;
        queue.run<bool>(
            &context,
            [&] {
                started.release();
                // Long enough that a queue which did not wait would be gone first.
                QThread::msleep(200);
                done = true;
                return true;
            },
            [](bool) {});
        started.acquire();
    }
    QVERIFY(done);
}

QTEST_GUILESS_MAIN(TestFileQueue)
#include "tst_filequeue.moc"
