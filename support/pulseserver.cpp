// A private PulseAudio server for a test, with a null sink "test", and recordings of its monitor.
#include "support/pulseserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr int kServerStartMs = 10000;
constexpr int kStopMs = 5000;

} // namespace

PulseServer::~PulseServer()
{
    stop();
}

QString PulseServer::start()
{
    const QString pulseaudio = QStandardPaths::findExecutable(u"pulseaudio"_s);
    if (pulseaudio.isEmpty())
        return u"pulseaudio was not found; install it (bash scripts/deps.sh --tests)"_s;
    const QString runtime = m_home.filePath(u"run"_s);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("PULSE_SERVER");
    const QString script = m_home.filePath(u"server.pa"_s);
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write("load-module module-native-protocol-unix\n"
               "load-module module-null-sink sink_name=test rate=48000 norewinds=1\n"
               "set-default-sink test\n");
    file.close();
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(pulseaudio,
                   {u"-n"_s, u"-F"_s, script, u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"--use-pid-file=no"_s,
                    u"--log-target=stderr"_s, u"--log-level=error"_s});
    if (!m_server.waitForStarted())
        return m_server.errorString();
    const QString socket = runtime + u"/pulse/native"_s;
    const QDeadlineTimer deadline(kServerStartMs);
    while (!QFile::exists(socket)) {
        if (deadline.hasExpired())
            return u"the PulseAudio server made no socket"_s;
        QThread::msleep(20);
    }
    return {};
}

void PulseServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(kStopMs))
        m_server.kill();
    m_server.waitForFinished(kStopMs);
}

PulseServer::Recording::~Recording()
{
    end();
}

QString PulseServer::Recording::begin()
{
    const QString parec = QStandardPaths::findExecutable(u"parec"_s);
    if (parec.isEmpty())
        return u"parec was not found; install pulseaudio-utils (bash scripts/deps.sh --tests)"_s;
    m_recorder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_recorder.start(parec,
                     {u"--device=test.monitor"_s, u"--format=s16le"_s, u"--rate=%1"_s.arg(kRecordingRate),
                      u"--channels=1"_s, u"--raw"_s, u"--latency-msec=10"_s});
    if (!m_recorder.waitForStarted())
        return m_recorder.errorString();
    return {};
}

qsizetype PulseServer::Recording::take()
{
    m_bytes += m_recorder.readAllStandardOutput();
    return m_bytes.size();
}

void PulseServer::Recording::end()
{
    if (m_recorder.state() == QProcess::NotRunning)
        return;
    take();
    m_recorder.terminate();
    if (!m_recorder.waitForFinished(kStopMs))
        m_recorder.kill();
    m_recorder.waitForFinished(kStopMs);
    take();
}

std::vector<qint16> PulseServer::Recording::samples() const
{
    std::vector<qint16> samples(size_t(m_bytes.size() / 2));
    std::memcpy(samples.data(), m_bytes.constData(), samples.size() * 2);
    return samples;
}
