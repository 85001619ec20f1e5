// A session bus of the test's own (dbus-daemon), so that its names and portals never meet the user's desktop.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

class PrivateBus
{
public:
    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus();

    // Starts the bus with this environment, which the services it starts on demand (the desktop
    // portal) inherit, and points this process's DBUS_SESSION_BUS_ADDRESS at it. Call before the
    // application object exists: Qt keeps the first session bus it connects to.
    bool start(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    QString address() const;
    QString error() const;

private:
    QProcess m_daemon;
    QString m_address;
    QString m_error;
};
