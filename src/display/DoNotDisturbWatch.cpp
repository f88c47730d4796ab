#include "display/DoNotDisturbWatch.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QProcess>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kInhibited = QStringLiteral("Inhibited");
const QString kSchema = QStringLiteral("org.gnome.desktop.notifications");
const QString kBanners = QStringLiteral("show-banners");
} // namespace

DoNotDisturbWatch::DoNotDisturbWatch(QDBusConnection bus, QString gsettings, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_gsettings(std::move(gsettings))
{
}

DoNotDisturbWatch::~DoNotDisturbWatch()
{
    follow(false);
}

void DoNotDisturbWatch::probe()
{
    if (m_source != Source::Unknown)
        return;
    if (m_bus.isConnected())
        askService(true);
    else
        probeGnome();
}

void DoNotDisturbWatch::askService(bool probing)
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    get << kService << kInhibited;
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, probing] {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        const QVariant value = reply.isValid() ? reply.value().variant() : QVariant();
        if (value.typeId() == QMetaType::Bool) {
            take(value.toBool());
            if (probing)
                found(Source::NotificationService);
        } else if (probing) {
            probeGnome();
        }
    });
}

void DoNotDisturbWatch::probeGnome()
{
    auto* get = new QProcess(this);
    connect(get, &QProcess::finished, this, [this, get](int code, QProcess::ExitStatus status) {
        get->deleteLater();
        const QByteArray out = get->readAllStandardOutput().trimmed();
        if (status == QProcess::NormalExit && code == 0 && (out == "true" || out == "false")) {
            take(out == "false");
            found(Source::GnomeBanners);
        } else {
            found(Source::None);
        }
    });
    connect(get, &QProcess::errorOccurred, this, [this, get](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        get->deleteLater();
        found(Source::None);
    });
    get->start(m_gsettings, {QStringLiteral("get"), kSchema, kBanners});
}

void DoNotDisturbWatch::found(Source source)
{
    m_source = source;
    follow(m_following);
    emit sourceFound();
}

void DoNotDisturbWatch::take(bool on)
{
    if (std::exchange(m_on, on) != on)
        emit changed(on);
}

void DoNotDisturbWatch::follow(bool on)
{
    m_following = on;
    const bool listen = on && m_source == Source::NotificationService;
    if (listen != m_listening) {
        m_listening = listen;
        const auto signal = QStringLiteral("PropertiesChanged");
        const char* slot = SLOT(propertiesChanged(QString, QVariantMap, QStringList));
        if (listen) {
            m_bus.connect(kService, kPath, kProperties, signal, this, slot);
            refresh();
        } else {
            m_bus.disconnect(kService, kPath, kProperties, signal, this, slot);
        }
    }
    const bool monitor = on && m_source == Source::GnomeBanners;
    if (monitor && !m_monitor) {
        // One line, "show-banners: false", at every change.
        m_monitor = new QProcess(this);
        connect(m_monitor, &QProcess::readyReadStandardOutput, this, [this] {
            while (m_monitor->canReadLine()) {
                const QByteArray line = m_monitor->readLine().trimmed();
                if (line.endsWith(": false") || line.endsWith(": true"))
                    take(line.endsWith(": false"));
            }
        });
        m_monitor->start(m_gsettings, {QStringLiteral("monitor"), kSchema, kBanners});
    } else if (!monitor && m_monitor) {
        m_monitor->kill();
        m_monitor->waitForFinished(1000);
        delete m_monitor;
        m_monitor = nullptr;
    }
}

void DoNotDisturbWatch::refresh()
{
    if (m_listening)
        askService(false);
}

void DoNotDisturbWatch::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                          const QStringList& invalidated)
{
    if (interface != kService)
        return;
    if (const auto it = changed.constFind(kInhibited); it != changed.constEnd())
        take(it->toBool());
    else if (invalidated.contains(kInhibited))
        refresh();
}
