// A private KDE Wayland desktop for tests: a session bus, KWin in its virtual mode with Xwayland, and
// the desktop portal with its KDE backend, which the bus starts on the first call.
#include "support/waylanddesktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStartMs = 60000;

QString firstExisting(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

// Waits for a file that a starting program makes; false if the program ended first or never made it.
bool waitForFile(const QString& path, const QProcess& maker)
{
    const QDeadlineTimer deadline(kStartMs);
    while (!QFileInfo::exists(path)) {
        if (maker.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace

WaylandDesktop::~WaylandDesktop()
{
    if (m_kwin.state() != QProcess::NotRunning) {
        m_kwin.terminate();
        if (!m_kwin.waitForFinished(15000))
            m_kwin.kill();
        m_kwin.waitForFinished(15000);
    }
}

bool WaylandDesktop::start()
{
    const QString kwin = QStandardPaths::findExecutable(u"kwin_wayland"_s);
    const QString portal = firstExisting({u"/usr/libexec/xdg-desktop-portal"_s});
    const QString kdePortal = firstExisting({u"/usr/libexec/xdg-desktop-portal-kde"_s,
                                             u"/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"_s,
                                             u"/usr/lib/aarch64-linux-gnu/libexec/xdg-desktop-portal-kde"_s});
    // The KDE backend is a Qt 5 program and aborts without Qt 5's Wayland plugin.
    const QString qt5Wayland
        = firstExisting({u"/usr/lib/x86_64-linux-gnu/qt5/plugins/platforms/libqwayland-generic.so"_s,
                         u"/usr/lib/aarch64-linux-gnu/qt5/plugins/platforms/libqwayland-generic.so"_s});
    const QString qt6Wayland = QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforms/libqwayland-generic.so"_s;
    QStringList absent;
    if (kwin.isEmpty())
        absent << u"kwin-wayland"_s;
    if (portal.isEmpty())
        absent << u"xdg-desktop-portal"_s;
    if (kdePortal.isEmpty())
        absent << u"xdg-desktop-portal-kde"_s;
    if (qt5Wayland.isEmpty())
        absent << u"qtwayland5"_s;
    if (!QFileInfo::exists(qt6Wayland))
        absent << u"qt6-wayland"_s;
    if (QStandardPaths::findExecutable(u"Xwayland"_s).isEmpty())
        absent << u"xwayland"_s;
    if (!absent.isEmpty()) {
        m_missing = u"needs the packages "_s + absent.join(u' ') + u" (bash scripts/deps.sh --tests)"_s;
        return false;
    }
    if (!m_folder.isValid())
        return fail(u"no temporary folder"_s);

    // mkdtemp makes the folder 0700, as a runtime folder must be. Config and data folders of its
    // own keep KWin's shortcut settings away from the user's.
    const QString root = m_folder.path();
    for (const QString& sub : {u"config"_s, u"data"_s, u"cache"_s, u"bin"_s})
        QDir(root).mkpath(sub);
    const QString socket = u"lrc-test-%1"_s.arg(QCoreApplication::applicationPid());
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.remove(u"DISPLAY"_s);
    m_environment.insert(u"XDG_RUNTIME_DIR"_s, root);
    m_environment.insert(u"XDG_CONFIG_HOME"_s, root + u"/config"_s);
    m_environment.insert(u"XDG_DATA_HOME"_s, root + u"/data"_s);
    m_environment.insert(u"XDG_CACHE_HOME"_s, root + u"/cache"_s);
    m_environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    m_environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"KDE"_s); // picks the portal's KDE backend
    m_environment.insert(u"WAYLAND_DISPLAY"_s, socket);
    m_environment.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
    // Lets the tests' key presser use KWin's fake input without a desktop file of its own.
    m_environment.insert(u"KWIN_WAYLAND_NO_PERMISSION_CHECKS"_s, u"1"_s);
    if (!m_bus.start(m_environment))
        return fail(m_bus.error());
    m_environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_bus.address());

    // The packaged binary carries a file capability a container may not grant; a copy has none. It
    // must still be named kwin_wayland: KWin's own Qt platform plugin refuses any other program.
    const QString kwinCopy = root + u"/bin/kwin_wayland"_s;
    if (!QFile::copy(kwin, kwinCopy))
        return fail(u"cannot copy kwin_wayland"_s);
    // KWin starts the program it is given once Xwayland is up, with DISPLAY set: it tells us that.
    const QString displayFile = root + u"/display"_s;
    const QString reporter = root + u"/bin/report-display"_s;
    QFile script(reporter);
    if (!script.open(QIODevice::WriteOnly))
        return fail(u"cannot write "_s + reporter);
    script.write(("#!/bin/sh\nprintf '%s' \"$DISPLAY\" > " + displayFile.toLocal8Bit() + ".part && mv "
                  + displayFile.toLocal8Bit() + ".part " + displayFile.toLocal8Bit() + "\n"));
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    m_kwin.setProcessEnvironment(m_environment);
    m_kwin.setStandardOutputFile(root + u"/kwin.log"_s);
    m_kwin.setStandardErrorFile(root + u"/kwin.log"_s);
    m_kwin.start(kwinCopy,
                 {u"--virtual"_s, u"--xwayland"_s, u"--width"_s, u"1280"_s, u"--height"_s, u"1024"_s, u"--socket"_s,
                  socket, u"--no-lockscreen"_s, u"--no-kactivities"_s, reporter});
    if (!waitForFile(displayFile, m_kwin))
        return fail(u"KWin did not start Xwayland and its session; its log is in "_s + root + u"/kwin.log"_s);
    QFile display(displayFile);
    display.open(QIODevice::ReadOnly);
    m_environment.insert(u"DISPLAY"_s, QString::fromLocal8Bit(display.readAll()));

    for (const QString& name : m_environment.keys())
        qputenv(name.toLocal8Bit().constData(), m_environment.value(name).toLocal8Bit());
    return true;
}

bool WaylandDesktop::fail(const QString& why)
{
    m_error = why;
    return false;
}

QString WaylandDesktop::missing() const
{
    return m_missing;
}

QString WaylandDesktop::error() const
{
    return m_error;
}

QProcessEnvironment WaylandDesktop::environment() const
{
    return m_environment;
}
