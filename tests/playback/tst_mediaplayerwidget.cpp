// Tests of MediaPlayer as a widget: its context menu, its display and its repaints, its end.
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/paintcounter.h"
#include "support/testmain.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

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
    QTest::addColumn<double>("fewestPerSecond");
    QTest::addColumn<double>("mostPerSecond");
    QTest::newRow("clock only") << QString() << 2.0 << 22.0;
    // More than the clock alone gets; the screen's rate itself is measured by bench/lyric_bench.
    QTest::newRow("lyrics") << u"[00:00.50]一\n[00:01.00]二\n"_s << 23.0 << 1000.0;
}

// The clock follows the position at most about 20 times a second; lyrics, at the screen's frame
// rate. Either is left alone while nothing moves.
void TestMediaPlayerWidget::repaintsOnlyWhilePlaying()
{
    QFETCH(QString, sheet);
    QFETCH(double, fewestPerSecond);
    QFETCH(double, mostPerSecond);
    m_player->setLyricTimeline(LyricTimeline(sheet));
    m_player->setURL(m_song);
    PaintCounter counter(m_player.get());
    QElapsedTimer playing;
    playing.start();
    QTest::qWait(1000);
    const double seconds = double(playing.elapsed()) / 1000.0;
    QVERIFY2(counter.count >= fewestPerSecond * seconds && counter.count <= mostPerSecond * seconds,
             qPrintable(u"%1 paints in %2 s"_s.arg(counter.count).arg(seconds)));

    m_player->controls().pause();
    // mpv sends its last position report a little after the pause; that repaint shows where
    // playback halted. From then on nothing moves.
    QTest::qWait(300);
    counter.count = 0;
    QTest::qWait(500);
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
