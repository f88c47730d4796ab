#include "library/FileQueue.h"

#include <QEvent>

FileQueue::FileQueue()
{
    // One thread: the jobs then run strictly in the order they were queued.
    m_thread.setMaxThreadCount(1);
}

FileQueue::~FileQueue()
{
    m_thread.waitForDone();
}

void FileQueue::finish(QObject* context)
{
    m_thread.waitForDone();
    QCoreApplication::sendPostedEvents(context, QEvent::MetaCall);
}
