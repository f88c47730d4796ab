#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QProcess;

// Whether the desktop is in Do Not Disturb: the notification service's `Inhibited` property
// (org.freedesktop.Notifications on the session bus) where it has one, else GNOME's
// notification banners switched off (org.gnome.desktop.notifications show-banners, read with
// the `gsettings` program). The value is kept here and follows the desktop's change signals, so
// asking costs nothing.
class DoNotDisturbWatch : public QObject
{
    Q_OBJECT
public:
    enum class Source { Unknown, None, NotificationService, GnomeBanners };

    explicit DoNotDisturbWatch(QDBusConnection bus = QDBusConnection::sessionBus(),
                               QString gsettings = QStringLiteral("gsettings"),
                               QObject* parent = nullptr);
    ~DoNotDisturbWatch() override;

    // Looks once for a source; sourceFound() tells the outcome.
    void probe();
    Source source() const { return m_source; }
    // Follows the source's changes while `on`; a watch that does not follow keeps its last
    // value.
    void follow(bool on);
    bool isOn() const { return m_on; }

signals:
    void sourceFound();
    void changed(bool on);

private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);

private:
    void askService(bool probing);
    // Asks the notification service again, in the background.
    void refresh();
    void probeGnome();
    void take(bool on);
    void found(Source source);

    QDBusConnection m_bus;
    QString m_gsettings;
    Source m_source = Source::Unknown;
    bool m_on = false;
    bool m_following = false;
    bool m_listening = false;      // to the notification service's change signal
    QProcess* m_monitor = nullptr; // GNOME's changes, while followed
};
