// A private PulseAudio server for a test, with a null sink "test", and recordings of its monitor.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <vector>

class PulseServer
{
public:
    // Stops the server if it runs.
    ~PulseServer();

    // Starts it with its own runtime folder and HOME, which this process takes over, so that
    // libmpv's client finds it and nothing else. Returns why not when it cannot; "" when it runs.
    QString start();
    void stop();

    // The samples leaving the sink, mono 16-bit at 48 kHz, from begin() until end().
    class Recording
    {
    public:
        ~Recording();
        // Returns why not when the recorder cannot start.
        QString begin();
        // Takes what has arrived so far; call it while waiting (QTRY_VERIFY(..., recording.take())).
        qsizetype take();
        void end();
        std::vector<qint16> samples() const;

    private:
        QProcess m_recorder;
        QByteArray m_bytes;
    };

    static constexpr int kRecordingRate = 48000;

private:
    QTemporaryDir m_home;
    QProcess m_server;
};
