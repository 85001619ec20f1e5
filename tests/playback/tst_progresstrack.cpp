// Seeking by the player's progress bar: clicks and a drag of the mouse on a real X server, the
// real player on an MP3, then the position, the readout and the display.
#include "playback/mediaplayer.h"
#include "playback/playerdisplay.h"
#include "playback/positionreadout.h"
#include "playback/progresstrack.h"
#include "support/mediafixtures.h"
#include "support/testmain.h"

#include <QAccessible>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A paused position is exact to the sample after a seek.
constexpr double kExact = 0.001;

} // namespace

class TestProgressTrack : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void nothingToSeekBeforeALoad();
    void clickWhilePaused_data();
    void clickWhilePaused();
    void clickWhilePlayingKeepsPlaying();
    void dragShowsThePlaceAndSeeksOnRelease();

private:
    // The point of the window at this fraction of the track, on the bar's middle row.
    QPoint trackPoint(double fraction) const;
    // The song's position a click at that point asks for.
    double positionAt(const QPoint& point) const;
    void loadStopped();
    // The player's accessible description at this position of the song.
    QString described(double position) const;

    MediaFixtures m_fixtures;
    QString m_song;
    std::unique_ptr<MediaPlayer> m_player;
};

void TestProgressTrack::initTestCase()
{
    m_song = m_fixtures.tone(u"track.mp3"_s, 20);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestProgressTrack::init()
{
    m_player = std::make_unique<MediaPlayer>();
    m_player->setAudioDriver(u"null"_s);
    m_player->resize(480, 140);
    m_player->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_player.get()));
}

void TestProgressTrack::cleanup()
{
    m_player.reset();
}

void TestProgressTrack::loadStopped()
{
    m_player->setURL(m_song);
    m_player->controls().stop();
    QVERIFY(m_player->progressTrack()->isSeekable());
}

QPoint TestProgressTrack::trackPoint(double fraction) const
{
    const QRect track = m_player->progressTrack()->geometry();
    return QPoint(track.left() + qRound(fraction * (track.width() - 1)), track.bottom() - 4);
}

double TestProgressTrack::positionAt(const QPoint& point) const
{
    const QRect track = m_player->progressTrack()->geometry();
    return ProgressTrack::fractionAt(point.x() - track.left(), track.width()) * m_player->duration();
}

QString TestProgressTrack::described(double position) const
{
    return u"位置 %1 / 时长 %2 / 音量 50"_s.arg(lrcClockText(position), lrcClockText(m_player->duration()));
}

// The band lies over the bar along the bottom of the display; with no song it takes no click
// and the pointer stays as it is.
void TestProgressTrack::nothingToSeekBeforeALoad()
{
    ProgressTrack* track = m_player->progressTrack();
    QCOMPARE(track->geometry(), progressTrackArea(m_player->displayRect()));
    QCOMPARE(track->geometry().bottom(), m_player->displayRect().bottom());
    QVERIFY(!track->isSeekable());
    QCOMPARE(track->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(m_player->windowHandle(), Qt::LeftButton, {}, trackPoint(0.5));
    QCOMPARE(m_player->accessibleDescription(), u"位置 00:00.00 / 时长 00:00.00 / 音量 50"_s);

    loadStopped();
    QCOMPARE(track->cursor().shape(), Qt::PointingHandCursor);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(track);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), u"进度条"_s);
    QVERIFY(face->text(QAccessible::Description).contains(u"单击或拖动进度条"_s));
}

void TestProgressTrack::clickWhilePaused_data()
{
    QTest::addColumn<double>("fraction");
    QTest::newRow("a quarter") << 0.25;
    QTest::newRow("the middle") << 0.5;
    QTest::newRow("the left edge: the start") << 0.0;
    QTest::newRow("the right edge: the end") << 1.0;
}

// Paused stays paused; the position, the readout a pause would show and the display are the
// clicked place of the song at once.
void TestProgressTrack::clickWhilePaused()
{
    QFETCH(double, fraction);
    loadStopped();
    const QPoint point = trackPoint(fraction);
    const double expected = positionAt(point);
    QTest::mouseClick(m_player->windowHandle(), Qt::LeftButton, {}, point);
    const double position = m_player->controls().currentPosition();
    QVERIFY2(qAbs(position - expected) <= kExact, qPrintable(u"%1, not %2"_s.arg(position).arg(expected)));
    QCOMPARE(positionReadout(position), positionReadout(expected));
    QCOMPARE(m_player->accessibleDescription(), described(position));
    QTest::qWait(100);
    QCOMPARE(m_player->controls().currentPosition(), position);
}

// Back from beyond 3 s to 1 s: what is read right after is from the clicked place on, long
// before the song could have played back to where it was, and it goes on playing.
void TestProgressTrack::clickWhilePlayingKeepsPlaying()
{
    m_player->setURL(m_song);
    QTRY_VERIFY(m_player->controls().currentPosition() > 3.0);
    const QPoint point = trackPoint(1.0 / m_player->duration());
    const double expected = positionAt(point);
    QTest::mouseClick(m_player->windowHandle(), Qt::LeftButton, {}, point);
    const double position = m_player->controls().currentPosition();
    QVERIFY2(position >= expected - kExact && position < 3.0, qPrintable(QString::number(position)));
    QTRY_VERIFY(m_player->controls().currentPosition() > position + 0.2);
}

// While the button is down the display shows the place under the pointer and the song stays
// where it was; where the button comes up, it goes.
void TestProgressTrack::dragShowsThePlaceAndSeeksOnRelease()
{
    loadStopped();
    m_player->controls().setCurrentPosition(2.0);
    QWindow* window = m_player->windowHandle();
    const QPoint from = trackPoint(0.1);
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    for (double fraction : {0.3, 0.6, 0.8}) {
        const QPoint at = trackPoint(fraction);
        QTest::mouseMove(window, at);
        QCOMPARE(m_player->accessibleDescription(), described(positionAt(at)));
        QCOMPARE(m_player->controls().currentPosition(), 2.0);
    }
    const QPoint to = trackPoint(0.8);
    QTest::mouseRelease(window, Qt::LeftButton, {}, to);
    const double position = m_player->controls().currentPosition();
    QVERIFY2(qAbs(position - positionAt(to)) <= kExact, qPrintable(QString::number(position)));
    QCOMPARE(m_player->accessibleDescription(), described(position));
}

LRC_TEST_MAIN(TestProgressTrack)
#include "tst_progresstrack.moc"
