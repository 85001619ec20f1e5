// A program started for one measurement and read from outside through /proc; killed when the
// measurement is done.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

class ChildProcess
{
public:
    // folder: the working folder, where the program's Open box opens; "" keeps the benchmark's.
    explicit ChildProcess(const QByteArray& program, const QStringList& arguments = {}, const QString& folder = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool isRunning() const;
    // A figure of /proc/<pid>/status in KiB, such as "VmHWM" (the peak resident memory so far).
    long statusKiB(const QByteArray& field) const;
    // The processor time the program has used so far, its own and the kernel's for it.
    double cpuSeconds() const;
    bool hasThread(const QByteArray& name) const;
    bool hasOpen(const QString& path) const;

private:
    QString procPath(const QString& name) const;

    pid_t m_pid = 0;
};
