// Runs a real window manager (openbox) on the test's X server while the object lives.
#include "support/windowmanager.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <X11/Xlib.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStartTimeoutMs = 10000;

// A window manager owns the screen's WM_S0 selection from the moment it manages it (ICCCM 2.8).
bool screenIsManaged()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Atom selection = XInternAtom(display, "WM_S0", False);
    const bool managed = XGetSelectionOwner(display, selection) != None;
    XCloseDisplay(display);
    return managed;
}

} // namespace

WindowManager::WindowManager()
{
    const QString openbox = QStandardPaths::findExecutable(u"openbox"_s);
    if (openbox.isEmpty()) {
        m_error = u"openbox is not installed (scripts/deps.sh --tests)"_s;
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(openbox, {u"--sm-disable"_s});
    QElapsedTimer clock;
    clock.start();
    while (!screenIsManaged()) {
        if (m_process.state() == QProcess::NotRunning || clock.elapsed() > kStartTimeoutMs) {
            m_error = u"openbox did not take the screen: %1"_s.arg(m_process.errorString());
            return;
        }
        QThread::msleep(20);
    }
}

WindowManager::~WindowManager()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished();
}

QString WindowManager::error() const
{
    return m_error;
}
