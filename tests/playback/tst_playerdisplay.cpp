// Tests of the player's own display: the LRC-form clock and the painted progress bar.
#include "playback/playerdisplay.h"
#include "support/testmain.h"

#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestPlayerDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clock_data();
    void clock();
    void progress_data();
    void progress();
};

void TestPlayerDisplay::clock_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("expected");

    QTest::newRow("start") << 0.0 << u"00:00.00"_s;
    QTest::newRow("one decimal is filled") << 5.5 << u"00:05.50"_s;
    QTest::newRow("minutes and seconds") << 65.34 << u"01:05.34"_s;
    QTest::newRow("hundredths are cut") << 125.678 << u"02:05.67"_s;
    QTest::newRow("cut just below a minute") << 59.999 << u"00:59.99"_s;
    QTest::newRow("no hours") << 3600.75 << u"60:00.75"_s;
    QTest::newRow("three-digit minutes") << 6000.0 << u"100:00.00"_s;
    QTest::newRow("binary noise hidden, as in the readout") << 0.1 + 0.2 << u"00:00.30"_s;
    QTest::newRow("below zero") << -0.5 << u"00:00.00"_s;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << u"00:00.00"_s;
}

void TestPlayerDisplay::clock()
{
    QFETCH(double, seconds);
    QFETCH(QString, expected);
    QCOMPARE(lrcClockText(seconds), expected);
}

// The bar runs along the bottom of the area: done part in Highlight, the rest in Midlight.
void TestPlayerDisplay::progress_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("duration");
    QTest::addColumn<bool>("quarterDone");
    QTest::addColumn<bool>("threeQuartersDone");

    QTest::newRow("half way") << 30.0 << 60.0 << true << false;
    QTest::newRow("nearly done") << 59.0 << 60.0 << true << true;
    QTest::newRow("at the start") << 0.0 << 60.0 << false << false;
    QTest::newRow("no media") << 0.0 << 0.0 << false << false;
    QTest::newRow("position past the length") << 90.0 << 60.0 << true << true;
}

void TestPlayerDisplay::progress()
{
    QFETCH(double, position);
    QFETCH(double, duration);
    QFETCH(bool, quarterDone);
    QFETCH(bool, threeQuartersDone);

    QPalette palette;
    palette.setColor(QPalette::Base, QColor(0xFF, 0xFB, 0xE6));
    palette.setColor(QPalette::Highlight, QColor(0x20, 0x60, 0xC0));
    palette.setColor(QPalette::Midlight, QColor(0xD0, 0xD0, 0xD0));
    QImage image(400, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        paintPlayerDisplay(painter, image.rect(), palette, {u"测试歌曲"_s, u"已暂停"_s, position, duration});
    }
    // The bar is 8 px high and ends 6 px above the bottom edge; its middle row is at y = 49.
    const auto colourAt = [&](int x) { return image.pixelColor(x, 49); };
    QCOMPARE(colourAt(100) == palette.color(QPalette::Highlight), quarterDone);
    QCOMPARE(colourAt(300) == palette.color(QPalette::Highlight), threeQuartersDone);
    QCOMPARE(colourAt(300) == palette.color(QPalette::Midlight), !threeQuartersDone);
    QCOMPARE(image.pixelColor(200, 8), palette.color(QPalette::Base));
}

LRC_TEST_MAIN(TestPlayerDisplay)
#include "tst_playerdisplay.moc"
