// Tests of MediaPlayer's transport on a real libmpv: play, pause, stop, seeks and volume.
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/numericlocale.h"

#include <QElapsedTimer>
#include <QTest>

#include <climits>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr double kSongSeconds = 30.0;
// Exact positions: mpv's hr-seek lands on the sample, a paused position never moves.
constexpr double kExact = 0.001;
// How far the readout after pause() may be from the time really played.
constexpr double kPauseTolerance = 0.010;

void addPausedAndPlayingRows()
{
    QTest::addColumn<bool>("playing");
    QTest::newRow("paused") << false;
    QTest::newRow("playing") << true;
}

double secondsOf(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

class TestMediaPlayerTransport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void designDefaults();
    void pauseReadsWherePlaybackHalted_data();
    void pauseReadsWherePlaybackHalted();
    void pauseKeepsThePosition();
    void stopReturnsToTheStart();
    void seeks_data();
    void seeks();
    void seekBeyondTheEnd_data();
    void seekBeyondTheEnd();
    void tenStepsForward_data();
    void tenStepsForward();
    void playAtTheEndStartsOver();
    void volume_data();
    void volume();
    void volumeWithoutMedia();
    void loadingAnotherSongWhilePlaying();

private:
    void startPlaying(bool playing);
    void verifyNear(double actual, double expected, double tolerance);

    MediaFixtures m_fixtures;
    QString m_song;
    std::unique_ptr<MediaPlayer> m_player;
};

void TestMediaPlayerTransport::initTestCase()
{
    useCNumericLocale();
    m_song = m_fixtures.tone(u"三十 秒.mp3"_s, int(kSongSeconds));
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

// Every case starts as the program leaves a song after loading it: stopped at the start.
void TestMediaPlayerTransport::init()
{
    m_player = std::make_unique<MediaPlayer>();
    m_player->setAudioDriver(u"null"_s);
    m_player->setURL(m_song);
    m_player->controls().stop();
}

void TestMediaPlayerTransport::cleanup()
{
    m_player.reset();
}

void TestMediaPlayerTransport::startPlaying(bool playing)
{
    if (playing)
        m_player->controls().play();
}

void TestMediaPlayerTransport::verifyNear(double actual, double expected, double tolerance)
{
    QVERIFY2(qAbs(actual - expected) <= tolerance,
             qPrintable(u"%1 is not within %2 of %3"_s.arg(actual, 0, 'f', 6).arg(tolerance).arg(expected, 0, 'f', 6)));
}

void TestMediaPlayerTransport::designDefaults()
{
    QCOMPARE(m_player->settings().volume(), 50);
    QVERIFY(m_player->enableContextMenu());
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
}

// With ao=null mpv plays on the wall clock. play() and pause() each take effect somewhere
// within their call, so the time played lies between the two windows the timers measure.
void TestMediaPlayerTransport::pauseReadsWherePlaybackHalted_data()
{
    QTest::addColumn<int>("playMs");
    QTest::newRow("a short phrase") << 150;
    QTest::newRow("less than half a second") << 420;
    QTest::newRow("more than a second") << 1130;
}

void TestMediaPlayerTransport::pauseReadsWherePlaybackHalted()
{
    QFETCH(int, playMs);
    QElapsedTimer sincePlayCalled;
    sincePlayCalled.start();
    m_player->controls().play();
    QElapsedTimer sincePlayReturned;
    sincePlayReturned.start();
    QTest::qWait(playMs);
    const double shortest = secondsOf(sincePlayReturned);
    m_player->controls().pause();
    const double longest = secondsOf(sincePlayCalled);
    const double readout = m_player->controls().currentPosition();
    QVERIFY2(readout >= shortest - kPauseTolerance && readout <= longest + kPauseTolerance,
             qPrintable(u"read %1 s after playing between %2 s and %3 s"_s.arg(readout).arg(shortest).arg(longest)));
}

void TestMediaPlayerTransport::pauseKeepsThePosition()
{
    m_player->controls().play();
    QTest::qWait(300);
    m_player->controls().pause();
    const double paused = m_player->controls().currentPosition();
    QTest::qWait(200);
    QCOMPARE(m_player->controls().currentPosition(), paused);
    m_player->controls().pause();
    QCOMPARE(m_player->controls().currentPosition(), paused);
    m_player->controls().play();
    QTest::qWait(100);
    m_player->controls().pause();
    QVERIFY(m_player->controls().currentPosition() > paused);
}

void TestMediaPlayerTransport::stopReturnsToTheStart()
{
    m_player->controls().play();
    QTest::qWait(300);
    m_player->controls().stop();
    verifyNear(m_player->controls().currentPosition(), 0.0, kExact);
    QCOMPARE(m_player->URL(), m_song);
    QTest::qWait(150);
    verifyNear(m_player->controls().currentPosition(), 0.0, kExact);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), u"三十 秒"_s);
    m_player->controls().play();
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
}

void TestMediaPlayerTransport::seeks_data()
{
    QTest::addColumn<bool>("playing");
    QTest::addColumn<double>("target");
    QTest::addColumn<double>("expected");

    QTest::newRow("paused, within") << false << 2.5 << 2.5;
    QTest::newRow("paused, before the start") << false << -0.6 << 0.0;
    QTest::newRow("paused, to the start") << false << 0.0 << 0.0;
    QTest::newRow("paused, fraction") << false << 12.34 << 12.34;
    QTest::newRow("playing, within") << true << 7.25 << 7.25;
    QTest::newRow("playing, before the start") << true << -0.6 << 0.0;
}

void TestMediaPlayerTransport::seeks()
{
    QFETCH(bool, playing);
    QFETCH(double, target);
    QFETCH(double, expected);

    startPlaying(playing);
    QElapsedTimer sinceSeek;
    sinceSeek.start();
    m_player->controls().setCurrentPosition(target);
    const double position = m_player->controls().currentPosition();
    // While playing the song moves on from the target as soon as mpv has applied the seek.
    const double playedSince = playing ? secondsOf(sinceSeek) : 0.0;
    QVERIFY2(position >= expected - kExact && position <= expected + playedSince + kExact,
             qPrintable(u"read %1 after seeking to %2"_s.arg(position).arg(target)));
    if (!playing) {
        QTest::qWait(100);
        verifyNear(m_player->controls().currentPosition(), expected, kExact);
    }
}

void TestMediaPlayerTransport::seekBeyondTheEnd_data()
{
    addPausedAndPlayingRows();
}

// The end stays loaded (keep-open): the position reads the media's length and stays there.
void TestMediaPlayerTransport::seekBeyondTheEnd()
{
    QFETCH(bool, playing);
    startPlaying(playing);
    const double length = m_player->currentMedia().duration();
    QVERIFY2(length >= kSongSeconds && length < kSongSeconds + 0.2, qPrintable(QString::number(length)));
    m_player->controls().setCurrentPosition(length + 0.4);
    verifyNear(m_player->controls().currentPosition(), length, kExact);
    QTest::qWait(150);
    verifyNear(m_player->controls().currentPosition(), length, kExact);
    QCOMPARE(m_player->URL(), m_song);
}

// Seek steps of one second each, every one from the position the player has just reported.
void TestMediaPlayerTransport::tenStepsForward_data()
{
    addPausedAndPlayingRows();
}

void TestMediaPlayerTransport::tenStepsForward()
{
    QFETCH(bool, playing);
    startPlaying(playing);
    for (int step = 1; step <= 10; ++step) {
        const double before = m_player->controls().currentPosition();
        QElapsedTimer sinceSeek;
        sinceSeek.start();
        m_player->controls().setCurrentPosition(before + 1.0);
        const double after = m_player->controls().currentPosition();
        const double playedSince = playing ? secondsOf(sinceSeek) : 0.0;
        QVERIFY2(after >= before + 1.0 - kExact && after <= before + 1.0 + playedSince + kExact,
                 qPrintable(u"step %1: %2 after %3"_s.arg(step).arg(after).arg(before)));
    }
    if (!playing)
        verifyNear(m_player->controls().currentPosition(), 10.0, kExact);
}

void TestMediaPlayerTransport::playAtTheEndStartsOver()
{
    const double length = m_player->currentMedia().duration();
    m_player->controls().setCurrentPosition(length - 0.3);
    m_player->controls().play();
    QTRY_VERIFY(m_player->controls().currentPosition() >= length - kExact);
    QTest::qWait(100);
    verifyNear(m_player->controls().currentPosition(), length, kExact);
    m_player->controls().play();
    QVERIFY(m_player->controls().currentPosition() < 0.1);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.15);
}

void TestMediaPlayerTransport::volume_data()
{
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("expected");

    QTest::newRow("within") << 35 << 35;
    QTest::newRow("top") << 100 << 100;
    QTest::newRow("bottom") << 0 << 0;
    QTest::newRow("one step above the top") << 105 << 100;
    QTest::newRow("one step below the bottom") << -5 << 0;
    QTest::newRow("largest int") << INT_MAX << 100;
    QTest::newRow("smallest int") << INT_MIN << 0;
}

void TestMediaPlayerTransport::volume()
{
    QFETCH(int, volume);
    QFETCH(int, expected);
    m_player->settings().setVolume(volume);
    QCOMPARE(m_player->settings().volume(), expected);
}

void TestMediaPlayerTransport::volumeWithoutMedia()
{
    MediaPlayer player;
    player.settings().setVolume(70);
    QCOMPARE(player.settings().volume(), 70);
}

void TestMediaPlayerTransport::loadingAnotherSongWhilePlaying()
{
    const QString other = m_fixtures.withId3v2Title(u"other.mp3"_s, u"另一首"_s, MediaFixtures::TextEncoding::Utf16, 5);
    QVERIFY2(!other.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->controls().play();
    QTest::qWait(400);
    m_player->setURL(other);
    m_player->controls().stop();
    verifyNear(m_player->controls().currentPosition(), 0.0, kExact);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), u"另一首"_s);
    QVERIFY2(m_player->currentMedia().duration() < 5.2, "still the first song");
}

QTEST_MAIN(TestMediaPlayerTransport)
#include "tst_mediaplayertransport.moc"
