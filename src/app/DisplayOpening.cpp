#include "app/DisplayOpening.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler g_previous = nullptr;
QList<HeldMessage>* g_held = nullptr;
QMutex g_mutex; // a thread the platform starts may report too

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // The only fatal message of the constructor: no platform plugin could start, that is,
        // there is nothing to show a window on.
        std::fputs("Zentrivo: no display could be opened.\n", stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    const QMutexLocker lock(&g_mutex);
    g_held->append({type, QByteArray(context.category), text});
}
} // namespace

void DisplayOpening::begin()
{
    g_held = new QList<HeldMessage>;
    g_previous = qInstallMessageHandler(holdOrEnd);
}

void DisplayOpening::end()
{
    qInstallMessageHandler(g_previous);
    const QMutexLocker lock(&g_mutex);
    for (const HeldMessage& message : std::as_const(*g_held)) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        g_previous(message.type, context, message.text);
    }
    delete g_held;
    g_held = nullptr;
}
