// A private KDE Wayland desktop for tests: a session bus, KWin in its virtual mode with Xwayland, and
// the desktop portal with its KDE backend, which the bus starts on the first call.
#pragma once

#include "support/privatebus.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

class WaylandDesktop
{
public:
    WaylandDesktop() = default;
    WaylandDesktop(const WaylandDesktop&) = delete;
    WaylandDesktop& operator=(const WaylandDesktop&) = delete;
    ~WaylandDesktop();

    // Starts everything and sets this process's environment to join it (WAYLAND_DISPLAY, DISPLAY of
    // Xwayland, the bus, the runtime and config folders). Call before the application object exists.
    // False with missing() set when a package is not installed, with error() set when a part failed.
    bool start();
    QString missing() const;
    QString error() const;
    // For programs the test starts on this desktop.
    QProcessEnvironment environment() const;

private:
    bool fail(const QString& why);
    QString m_missing;
    QString m_error;
    QTemporaryDir m_folder;
    PrivateBus m_bus;
    QProcess m_kwin;
    QProcessEnvironment m_environment;
};
