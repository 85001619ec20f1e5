// Tests of MediaPlayer on a real libmpv: loading (titles of every tag kind, broken files, no media)
// and the transport (play, pause, stop, seeks and volume).
#include "common/usererror.h"
#include "playback/mediaplayer.h"
#include "playback/titlerepair.h"
#include "support/mediafixtures.h"
#include "support/testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <climits>
#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using Encoding = MediaFixtures::TextEncoding;

namespace {

// The 30 s tone as lame leaves it, its delay and padding included: 836 frames of 576 samples at 16 kHz.
constexpr double kSongLength = 30.096;
// Exact positions: mpv's hr-seek lands on the sample, a paused position never moves.
constexpr double kExact = 0.001;
// How far the readout after pause() may be past the time the wall clock ran.
constexpr double kPauseTolerance = 0.010;
const QString kUnrecognised = u"无法识别的文件格式，文件可能已损坏或不是音频文件"_s;
const QByteArray kGbkTestSong("\xB2\xE2\xCA\xD4\xB8\xE8\xC7\xFA"); // 测试歌曲 in GBK

double secondsOf(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void verifyNear(double actual, double expected)
{
    QVERIFY2(qAbs(actual - expected) <= kExact, qPrintable(u"%1 is not %2"_s.arg(actual, 0, 'f', 6).arg(expected)));
}

} // namespace

class TestMediaPlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void titles_data();
    void titles();
    void brokenFiles_data();
    void brokenFiles();
    void noMedia_data();
    void noMedia();
    void pauseAndStop_data();
    void pauseAndStop();
    void seeks_data();
    void seeks();
    void playAtTheEndStartsOver();
    void volume_data();
    void volume();

private:
    void loadStopped();

    MediaFixtures m_fixtures;
    QString m_song;
    std::unique_ptr<MediaPlayer> m_player;
};

void TestMediaPlayer::initTestCase()
{
    m_song = m_fixtures.withId3v2Title(u"三十 秒.mp3"_s, u"测试歌曲"_s, Encoding::Utf16, 30);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestMediaPlayer::init()
{
    m_player = std::make_unique<MediaPlayer>();
    m_player->setAudioDriver(u"null"_s);
}

void TestMediaPlayer::cleanup()
{
    m_player.reset();
}

// The transport cases start as the program leaves a song after loading it: stopped at the start.
void TestMediaPlayer::loadStopped()
{
    QCOMPARE(m_player->duration(), 0.0);
    m_player->setURL(m_song);
    m_player->controls().stop();
    QCOMPARE(m_player->duration(), kSongLength);
}

void TestMediaPlayer::titles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no tag: the file's name, in a folder with Chinese and blanks")
        << m_fixtures.tone(u"我的 歌曲/晚 风.v2.mp3"_s, 2) << u"晚 风.v2"_s;
    QTest::newRow("ID3v2 UTF-16") << m_song << u"测试歌曲"_s;
    QTest::newRow("ID3v2 Latin-1 frame holding GBK")
        << m_fixtures.withId3v2Title(u"latin1.mp3"_s, QString::fromLatin1(kGbkTestSong), Encoding::Latin1)
        << u"测试歌曲"_s;
    QTest::newRow("ID3v1 GBK") << m_fixtures.withId3v1Title(u"v1.mp3"_s, kGbkTestSong) << u"测试歌曲"_s;
    QTest::newRow("line breaks in the tag")
        << m_fixtures.withId3v2Title(u"lines.mp3"_s, u"第一行\r\n第二行"_s, Encoding::Utf8) << u"第一行  第二行"_s;
    QTest::newRow("FLAC, Vorbis comment") << m_fixtures.encoded(u"flac 歌.flac"_s, u"长江 之歌"_s) << u"长江 之歌"_s;
    QTest::newRow("Ogg Vorbis, Vorbis comment") << m_fixtures.encoded(u"ogg 歌.ogg"_s, u"黄河"_s) << u"黄河"_s;
    QTest::newRow("FLAC without tags: the file's name") << m_fixtures.encoded(u"无 标签.flac"_s, {}) << u"无 标签"_s;
    QTest::newRow("WAV: the file's name") << m_fixtures.encoded(u"波形.v1.wav"_s, {}) << u"波形.v1"_s;
    QTest::newRow("100,000 characters") << m_fixtures.withId3v2Title(u"long.mp3"_s, QString(100000, u'长'),
                                                                     Encoding::Utf8)
                                        << QString(kMaxTitleLength, u'长') + u'…';
}

void TestMediaPlayer::titles()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(path);
    QCOMPARE(m_player->URL(), path);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), expected);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"title"_s), expected);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Author"_s), QString());
}

// Root may open any file, so these fail for reasons that hold for root too.
void TestMediaPlayer::brokenFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");

    const QString random = m_fixtures.randomBytes(u"随机 字节.mp3"_s);
    const QString folder = QFileInfo(random).path();
    QDir(folder).mkdir(u"folder.mp3"_s);
    QTest::newRow("random bytes") << random << kUnrecognised;
    QTest::newRow("truncated header") << m_fixtures.truncatedHeader(u"truncated.mp3"_s) << kUnrecognised;
    QTest::newRow("missing file") << folder + u"/不存在 的歌.mp3"_s << u"文件不存在"_s;
    QTest::newRow("a folder") << folder + u"/folder.mp3"_s << u"这是一个文件夹，不是媒体文件"_s;
    const QString fifo = folder + u"/管道.mp3"_s;
    mkfifo(QFile::encodeName(fifo).constData(), 0644);
    QTest::newRow("a FIFO") << fifo << u"这不是普通文件（可能是管道或设备），不是媒体文件"_s;
    QTest::newRow("a device") << u"/dev/zero"_s << u"这不是普通文件（可能是管道或设备），不是媒体文件"_s;
}

// The broken file takes the place of the song before it, which stops; the next good one plays
// without being asked (autoStart), as with the control the player replaces.
void TestMediaPlayer::brokenFiles()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(m_song);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);

    try {
        m_player->setURL(path);
        QFAIL("setURL accepted a broken file");
    } catch (const UserError& error) {
        QCOMPARE(error.message(), u"无法打开媒体文件“%1”：%2"_s.arg(path, reason));
    }
    QCOMPARE(m_player->URL(), path);
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QVERIFY_THROWS_EXCEPTION(UserError, m_player->controls().play());
    QVERIFY_THROWS_EXCEPTION(UserError, m_player->controls().setCurrentPosition(1.0));
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), QFileInfo(path).completeBaseName());
    m_player->controls().pause();
    m_player->controls().stop();
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QCOMPARE(m_player->URL(), path);

    m_player->setURL(m_song);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), u"测试歌曲"_s);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
}

void TestMediaPlayer::noMedia_data()
{
    QTest::addColumn<bool>("unloaded");
    // The hotkey may press play before any song is loaded.
    QTest::newRow("nothing loaded yet") << false;
    QTest::newRow("unloaded by an empty address") << true;
}

// Nothing happens and nothing throws, but asking for the title; the volume is still set.
void TestMediaPlayer::noMedia()
{
    QFETCH(bool, unloaded);
    if (unloaded) {
        m_player->setURL(m_song);
        QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
        m_player->setURL(QString());
    }
    QCOMPARE(m_player->URL(), QString());
    m_player->controls().play();
    m_player->controls().pause();
    m_player->controls().stop();
    m_player->controls().setCurrentPosition(3.0);
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QCOMPARE(m_player->duration(), 0.0);
    QVERIFY_THROWS_EXCEPTION(UserError, m_player->currentMedia().getItemInfo(u"Title"_s));
    QCOMPARE(m_player->settings().volume(), 50);
    m_player->settings().setVolume(70);
    QCOMPARE(m_player->settings().volume(), 70);
}

// With ao=null mpv plays on the wall clock. play() and pause() each take effect somewhere
// within their call, so the time played is at most the time from calling the one to the other's return.
void TestMediaPlayer::pauseAndStop_data()
{
    QTest::addColumn<int>("playMs");
    QTest::newRow("a short phrase") << 150;
    QTest::newRow("more than a second") << 1130;
}

void TestMediaPlayer::pauseAndStop()
{
    QFETCH(int, playMs);
    loadStopped();
    QElapsedTimer sincePlayCalled;
    sincePlayCalled.start();
    m_player->controls().play();
    QTest::qWait(playMs);
    m_player->controls().pause();
    const double longest = secondsOf(sincePlayCalled);
    const double readout = m_player->controls().currentPosition();
    // The song cannot have played longer than the wall clock ran; how close the readout comes to
    // the time played is a figure of bench/pause_bench, which a busy machine may spoil.
    QVERIFY2(readout > 0.0 && readout <= longest + kPauseTolerance,
             qPrintable(u"read %1 s after playing at most %2 s"_s.arg(readout).arg(longest)));
    QTest::qWait(150);
    QCOMPARE(m_player->controls().currentPosition(), readout);

    // Stopped while playing: back at the start, and it stays there with the song kept.
    m_player->controls().play();
    QTRY_VERIFY(m_player->controls().currentPosition() > readout);
    m_player->controls().stop();
    verifyNear(m_player->controls().currentPosition(), 0.0);
    QTest::qWait(150);
    verifyNear(m_player->controls().currentPosition(), 0.0);
    QCOMPARE(m_player->URL(), m_song);
    m_player->controls().play();
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
}

void TestMediaPlayer::seeks_data()
{
    QTest::addColumn<bool>("playing");
    QTest::addColumn<double>("target");
    QTest::addColumn<double>("expected");

    QTest::newRow("paused, within") << false << 12.34 << 12.34;
    QTest::newRow("paused, before the start") << false << -0.6 << 0.0;
    QTest::newRow("paused, beyond the end") << false << 31.0 << kSongLength;
    QTest::newRow("playing, within") << true << 7.25 << 7.25;
    QTest::newRow("playing, before the start") << true << -0.6 << 0.0;
    QTest::newRow("playing, beyond the end") << true << 31.0 << kSongLength;
}

void TestMediaPlayer::seeks()
{
    QFETCH(bool, playing);
    QFETCH(double, target);
    QFETCH(double, expected);
    loadStopped();
    if (playing)
        m_player->controls().play();
    QElapsedTimer sinceSeek;
    sinceSeek.start();
    m_player->controls().setCurrentPosition(target);
    const double position = m_player->controls().currentPosition();
    // While playing the song moves on from the target as soon as mpv has applied the seek.
    const double playedSince = playing ? secondsOf(sinceSeek) : 0.0;
    QVERIFY2(position >= expected - kExact && position <= expected + playedSince + kExact,
             qPrintable(u"read %1 after seeking to %2"_s.arg(position).arg(target)));
    // A paused song stays put, and so does one held at its end (keep-open).
    if (!playing || target > kSongLength) {
        QTest::qWait(100);
        verifyNear(m_player->controls().currentPosition(), expected);
    }
    QCOMPARE(m_player->URL(), m_song);
}

void TestMediaPlayer::playAtTheEndStartsOver()
{
    loadStopped();
    m_player->controls().setCurrentPosition(kSongLength - 0.3);
    m_player->controls().play();
    QTRY_VERIFY(m_player->controls().currentPosition() >= kSongLength - kExact);
    QTest::qWait(100);
    verifyNear(m_player->controls().currentPosition(), kSongLength);
    m_player->controls().play();
    QVERIFY(m_player->controls().currentPosition() < 0.1);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.15);
}

void TestMediaPlayer::volume_data()
{
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("expected");

    QTest::newRow("within") << 35 << 35;
    QTest::newRow("one step above the top") << 105 << 100;
    QTest::newRow("one step below the bottom") << -5 << 0;
    QTest::newRow("largest int") << INT_MAX << 100;
    QTest::newRow("smallest int") << INT_MIN << 0;
}

void TestMediaPlayer::volume()
{
    QFETCH(int, volume);
    QFETCH(int, expected);
    loadStopped();
    m_player->settings().setVolume(volume);
    QCOMPARE(m_player->settings().volume(), expected);
}

LRC_TEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
