// SIGTERM and SIGHUP turned into a signal of the GUI thread, so that the program can save and end in order.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; one object per process. Destroying it puts the defaults back.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    // The number of the signal that arrived (SIGTERM or SIGHUP).
    void received(int signal);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
