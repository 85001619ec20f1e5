// The player through a real sound server: a private PulseAudio with a null sink, started here
// with its own runtime folder, and its monitor recorded. Loading is silent until play; a pause
// holds the position it gave, at the song's own rate and slowed down, a seek step moves it by the
// step, a resume with an immediate pause never takes it back, and slowed down the song keeps its
// pitch.
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/pulseserver.h"
#include "support/testmain.h"

#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kBytesPerSecond = PulseServer::kRecordingRate * 2;
// The tone of the fixtures; its pitch must not follow the rate.
constexpr double kToneHz = 440.0;
// Far above the server's rounding and far below the tone at the player's volume of 50.
constexpr int kSilence = 8;
// mpv's exact seeks land on the sample.
constexpr double kExact = 0.001;

int loudest(const std::vector<qint16>& samples)
{
    int most = 0;
    for (qint16 sample : samples)
        most = std::max(most, std::abs(int(sample)));
    return most;
}

// The tone's frequency from its zero crossings, over the part of the recording it sounds in.
double toneFrequency(const std::vector<qint16>& samples)
{
    const auto sounding = [](qint16 sample) { return std::abs(int(sample)) > 100; };
    const auto first = std::find_if(samples.begin(), samples.end(), sounding);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), sounding).base();
    if (first >= last)
        return 0.0;
    int crossings = 0;
    for (auto it = first + 1; it < last; ++it)
        crossings += (*(it - 1) < 0) != (*it < 0);
    return crossings / 2.0 / (double(last - first) / PulseServer::kRecordingRate);
}

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void pauseHoldsWhatWasHeard();
    void loadingIsSilentUntilPlay();
    void halfSpeedKeepsPitchAndTheReadout();

private:
    QString pactl(const QStringList& arguments);
    // Records until the monitor has delivered this much more after the moment of the call.
    void recordOn(PulseServer::Recording& recording, double seconds);

    PulseServer m_server;
    MediaFixtures m_fixtures;
};

void TestSoundServer::initTestCase()
{
    const QString why = m_server.start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestSoundServer::cleanupTestCase()
{
    m_server.stop();
}

QString TestSoundServer::pactl(const QStringList& arguments)
{
    QProcess process;
    process.start(u"pactl"_s, arguments);
    process.waitForFinished();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

void TestSoundServer::recordOn(PulseServer::Recording& recording, double seconds)
{
    const qsizetype now = recording.take();
    QTRY_VERIFY_WITH_TIMEOUT(recording.take() >= now + qsizetype(seconds * kBytesPerSecond), 20000);
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

// Loading as the window's 载入歌曲 does (address, stop, title), songs after songs, one of them
// a second time: not one sample reaches the sink until play is asked for.
void TestSoundServer::loadingIsSilentUntilPlay()
{
    const QString first = m_fixtures.tone(u"first.mp3"_s, 5);
    const QString second
        = m_fixtures.withId3v2Title(u"second.mp3"_s, u"第二首"_s, MediaFixtures::TextEncoding::Utf8, 5);
    QVERIFY2(!first.isEmpty() && !second.isEmpty(), qPrintable(m_fixtures.error()));
    MediaPlayer player;
    PulseServer::Recording recording;
    const QString why = recording.begin();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    recordOn(recording, 0.2);

    for (int load = 0; load < 8; ++load) {
        player.setURL(load % 2 ? second : first);
        player.controls().stop();
        QCOMPARE(player.currentMedia().getItemInfo(u"Title"_s), load % 2 ? u"第二首"_s : u"first"_s);
    }
    // What a load had sent would have left the sink long before half a second more of it.
    recordOn(recording, 0.5);
    QCOMPARE(loudest(recording.samples()), 0);

    player.controls().play();
    QTRY_VERIFY(player.controls().currentPosition() > 0.3);
    recordOn(recording, 0.2);
    QVERIFY2(loudest(recording.samples()) > 100 * kSilence, "the recording does not hear the player");
}

// At half speed the readout after a pause stays what it was; the tone sounds at its own pitch,
// not an octave lower; the rate stays for the next song.
void TestSoundServer::halfSpeedKeepsPitchAndTheReadout()
{
    const QString song = m_fixtures.tone(u"slow.mp3"_s, 10);
    const QString next = m_fixtures.tone(u"next.mp3"_s, 4);
    QVERIFY2(!song.isEmpty() && !next.isEmpty(), qPrintable(m_fixtures.error()));
    MediaPlayer player;
    player.settings().setRate(0.5);
    player.setURL(song);
    player.controls().stop();
    QCOMPARE(player.settings().rate(), 0.5);

    PulseServer::Recording recording;
    const QString why = recording.begin();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    recordOn(recording, 0.1);
    player.controls().play();
    // Two seconds of sound at half speed, however long a busy machine takes to start it.
    QTRY_VERIFY_WITH_TIMEOUT(player.controls().currentPosition() > 1.0, 20000);
    player.controls().pause();
    const double readout = player.controls().currentPosition();
    recordOn(recording, 0.3);
    QCOMPARE(player.controls().currentPosition(), readout);
    recording.end();
    const double frequency = toneFrequency(recording.samples());
    QVERIFY2(qAbs(frequency - kToneHz) < kToneHz * 0.05, qPrintable(u"the tone sounded at %1 Hz"_s.arg(frequency)));

    player.setURL(next);
    player.controls().stop();
    QCOMPARE(player.settings().rate(), 0.5);
    player.settings().setRate(1.0);
    QCOMPARE(player.settings().rate(), 1.0);
}

LRC_TEST_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
