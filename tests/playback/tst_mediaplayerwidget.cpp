// Tests of MediaPlayer as a widget: its context menu, its display and its repaints, its end.
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/paintcounter.h"
#include "support/testmain.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QMenu>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Long enough for anything on a machine however busy: the tests wait for what must happen, not a time.
constexpr int kGenerousMs = 60000;
// A strip redrawn by a clock of its own is never left alone this long.
constexpr int kQuietMs = 500;

} // namespace

class TestMediaPlayerWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void contextMenu();
    void repaintsOnlyWhilePlaying_data();
    void repaintsOnlyWhilePlaying();
    void displayStaysInItsRectangle();
    void destroyedWhilePlaying();

private:
    QMenu* rightClick();
    void choose(const QString& item);

    MediaFixtures m_fixtures;
    QString m_song;
    std::unique_ptr<MediaPlayer> m_player;
};

void TestMediaPlayerWidget::initTestCase()
{
    m_song = m_fixtures.tone(u"song.mp3"_s, 20);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestMediaPlayerWidget::init()
{
    m_player = std::make_unique<MediaPlayer>();
    m_player->setAudioDriver(u"null"_s);
    m_player->resize(480, 140);
    m_player->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_player.get()));
}

void TestMediaPlayerWidget::cleanup()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    m_player.reset();
}

// A right-click as the user makes it; the menu, if any, is the active popup.
QMenu* TestMediaPlayerWidget::rightClick()
{
    QTest::mouseClick(m_player->windowHandle(), Qt::RightButton, {}, QPoint(240, 70));
    QApplication::processEvents();
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Clicks the item with this text in a fresh menu, as the user does; the menu closes.
void TestMediaPlayerWidget::choose(const QString& item)
{
    QMenu* menu = rightClick();
    QVERIFY(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == item)
            return QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    QFAIL(qPrintable(u"no item %1"_s.arg(item)));
}

// The control the player replaces has the menu on; the program switches it off.
void TestMediaPlayerWidget::contextMenu()
{
    QVERIFY(m_player->enableContextMenu());
    QMenu* menu = rightClick();
    QVERIFY(menu);
    QStringList items;
    for (const QAction* action : menu->actions()) {
        items << action->text();
        QVERIFY2(!action->isEnabled(), "nothing is loaded");
    }
    QCOMPARE(items, (QStringList{u"播放"_s, u"暂停"_s, u"停止"_s}));
    menu->close();

    m_player->setURL(m_song);
    choose(u"暂停"_s);
    const double paused = m_player->controls().currentPosition();
    QVERIFY(paused > 0.0);
    QTest::qWait(100);
    QCOMPARE(m_player->controls().currentPosition(), paused);
    choose(u"停止"_s);
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    choose(u"播放"_s);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);

    m_player->setEnableContextMenu(false);
    QVERIFY(!m_player->enableContextMenu());
    QVERIFY(!rightClick());
    QVERIFY(!QApplication::activePopupWidget());
}

void TestMediaPlayerWidget::repaintsOnlyWhilePlaying_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<bool>("play");
    QTest::newRow("lyrics, playing") << u"[00:00.50]一\n[00:01.00]二\n"_s << true;
    QTest::newRow("lyrics, paused") << u"[00:00.50]一\n[00:01.00]二\n"_s << false;
    QTest::newRow("no tags, playing") << u"一\n二\n"_s << true;
    QTest::newRow("no tags, paused") << u"一\n二\n"_s << false;
}

// While a song plays the strip is redrawn, lyrics or not (its clock moves); paused, it comes to
// rest, lyrics or not: no clock of its own goes on redrawing a strip where nothing moves. How
// often it is redrawn is a figure of bench/lyric_bench, not a matter for this test.
void TestMediaPlayerWidget::repaintsOnlyWhilePlaying()
{
    QFETCH(QString, sheet);
    QFETCH(bool, play);
    m_player->setLyricTimeline(LyricTimeline(sheet));
    m_player->setURL(m_song);
    PaintCounter counter(m_player.get());
    QTRY_VERIFY_WITH_TIMEOUT(counter.count >= 10, kGenerousMs);
    if (play)
        return;

    m_player->controls().pause();
    // mpv's last position report comes a little after the pause and shows where playback halted;
    // then nothing moves. A strip still redrawn by a clock would never be quiet for this long.
    bool quiet = false;
    for (QDeadlineTimer deadline(kGenerousMs); !quiet && !deadline.hasExpired();) {
        counter.count = 0;
        QTest::qWait(kQuietMs);
        quiet = counter.count == 0;
    }
    QVERIFY2(quiet, "the strip was still being repainted while paused");
    // And it stays quiet.
    QTest::qWait(kQuietMs);
    QCOMPARE(counter.count, 0);
}

void TestMediaPlayerWidget::displayStaysInItsRectangle()
{
    QPalette palette = m_player->palette();
    palette.setColor(QPalette::Base, QColor(0xFF, 0xFB, 0xE6));
    m_player->setPalette(palette);
    QCOMPARE(m_player->displayRect(), m_player->rect());
    const QRect band(0, 20, 480, 60);
    m_player->setDisplayRect(band);
    QCOMPARE(m_player->displayRect(), band);
    m_player->setURL(m_song);
    m_player->controls().pause();

    const QImage image = m_player->grab().toImage();
    int paperInside = 0;
    int paperOutside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == palette.color(QPalette::Base))
                ++(band.contains(x, y) ? paperInside : paperOutside);
        }
    }
    QVERIFY(paperInside > band.width() * band.height() / 2);
    QCOMPARE(paperOutside, 0);
}

// mpv's wake-ups queue calls to the player; when it is gone before they run, they must not.
void TestMediaPlayerWidget::destroyedWhilePlaying()
{
    m_player->setURL(m_song);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
    m_player->controls().pause();
    m_player->controls().setCurrentPosition(3.0);
    m_player->controls().play();
    m_player.reset();
    QTest::qWait(100);
    // A new player starts from scratch afterwards: nothing of the old one is left behind.
    init();
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    m_player->setURL(m_song);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
}

LRC_TEST_MAIN(TestMediaPlayerWidget)
#include "tst_mediaplayerwidget.moc"
