#pragma once

// Acting on a modal window from a test that opened it.
#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `step` on the next modal window of type T once it is open, without blocking the test.
template <typename T> void whenOpen(std::function<void(T*)> step)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            step(w);
        }
    });
    poll->start();
}
