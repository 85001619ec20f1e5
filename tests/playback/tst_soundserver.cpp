// The player through a real sound server: a private PulseAudio with a null sink, started here
// with its own runtime folder. The song plays through the server, pauses, and the position
// read again while paused is the one the pause gave.
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kServerStartMs = 10000;

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void pauseHoldsWhatWasHeard();

private:
    QString pactl(const QStringList& arguments);

    QTemporaryDir m_home;
    QProcess m_server;
    MediaFixtures m_fixtures;
};

void TestSoundServer::initTestCase()
{
    const QString pulseaudio = QStandardPaths::findExecutable(u"pulseaudio"_s);
    QVERIFY2(!pulseaudio.isEmpty(), "pulseaudio was not found; install it (bash scripts/deps.sh --tests)");
    // The server and libmpv's client find each other, and nothing else, through these.
    const QString runtime = m_home.filePath(u"run"_s);
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("PULSE_SERVER");
    const QString script = m_home.filePath(u"server.pa"_s);
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("load-module module-native-protocol-unix\n"
               "load-module module-null-sink sink_name=test rate=48000\n"
               "set-default-sink test\n");
    file.close();
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(pulseaudio,
                   {u"-n"_s, u"-F"_s, script, u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"--use-pid-file=no"_s,
                    u"--log-target=stderr"_s, u"--log-level=error"_s});
    QVERIFY2(m_server.waitForStarted(), qPrintable(m_server.errorString()));
    const QString socket = runtime + u"/pulse/native"_s;
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), kServerStartMs);
}

void TestSoundServer::cleanupTestCase()
{
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
}

QString TestSoundServer::pactl(const QStringList& arguments)
{
    QProcess process;
    process.start(u"pactl"_s, arguments);
    process.waitForFinished();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

void TestSoundServer::pauseHoldsWhatWasHeard()
{
    const QString song = m_fixtures.tone(u"server.mp3"_s, 10);
    QVERIFY2(!song.isEmpty(), qPrintable(m_fixtures.error()));
    MediaPlayer player;
    // The program's own choice of audio output: with this server the only one up, its.
    player.setURL(song);
    QTRY_VERIFY(player.controls().currentPosition() > 0.3);
    QVERIFY2(!pactl({u"list"_s, u"short"_s, u"sink-inputs"_s}).trimmed().isEmpty(),
             "the song did not play through the sound server");
    player.controls().pause();
    const double readout = player.controls().currentPosition();
    QTest::qWait(300);
    QCOMPARE(player.controls().currentPosition(), readout);
    player.controls().play();
    QTRY_VERIFY(player.controls().currentPosition() > readout + 0.1);
}

LRC_TEST_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
