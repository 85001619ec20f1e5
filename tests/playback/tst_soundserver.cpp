// The player through a real sound server: a private PulseAudio with a null sink, started here
// with its own runtime folder. The song plays through the server and pauses; the position read
// again while paused is the one the pause gave, a seek step moves it by the step, and a resume
// with an immediate pause never takes it back.
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
// mpv's exact seeks land on the sample.
constexpr double kExact = 0.001;

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
    QVERIFY(readout > 0.3);
    QTest::qWait(300);
    QCOMPARE(player.controls().currentPosition(), readout);

    // A seek step while paused moves the position the readout shows by exactly that step: the
    // clock of what was heard does not get in the way of a position the user set.
    player.controls().setCurrentPosition(player.controls().currentPosition() + 1.0);
    const double stepped = player.controls().currentPosition();
    QVERIFY2(qAbs(stepped - (readout + 1.0)) <= kExact,
             qPrintable(u"%1 s after a step of 1 s from %2 s"_s.arg(stepped).arg(readout)));

    // Resumed and paused again at once: the position goes on from there, never back to what the
    // server had played before the step.
    player.controls().play();
    player.controls().pause();
    const double again = player.controls().currentPosition();
    QVERIFY2(again >= stepped - kExact, qPrintable(u"%1 s after resuming at %2 s"_s.arg(again).arg(stepped)));
    QTest::qWait(300);
    QCOMPARE(player.controls().currentPosition(), again);

    player.controls().play();
    QTRY_VERIFY(player.controls().currentPosition() > again + 0.1);
}

LRC_TEST_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
