// Runs a real window manager (openbox) on the test's X server while the object lives.
#pragma once

#include <QProcess>
#include <QString>

class WindowManager {
public:
    // Starts openbox and returns once it manages the screen, or after giving up (see error).
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Empty while it runs; else why it does not.
    QString error() const;

private:
    QProcess m_process;
    QString m_error;
};
