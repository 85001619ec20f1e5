// A session bus of the test's own (dbus-daemon), so that its names and portals never meet the user's desktop.
#include "support/privatebus.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

PrivateBus::~PrivateBus()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(10000))
        m_daemon.kill();
    m_daemon.waitForFinished(10000);
}

bool PrivateBus::start(const QProcessEnvironment& environment)
{
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty()) {
        m_error = u"dbus-daemon is not installed (package dbus)"_s;
        return false;
    }
    m_daemon.setProcessEnvironment(environment);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.start(daemon, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    // The address is the daemon's first line, written once it listens.
    while (m_daemon.state() != QProcess::NotRunning && !m_daemon.canReadLine())
        m_daemon.waitForReadyRead(30000);
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty()) {
        m_error = u"dbus-daemon did not start: "_s + m_daemon.errorString();
        return false;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
    return true;
}

QString PrivateBus::address() const
{
    return m_address;
}

QString PrivateBus::error() const
{
    return m_error;
}
