// The pause readout: what the user copies into the time tags, so every digit matters.
#include "playback/positionreadout.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPositionReadout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readout_data();
    void readout();
    void positionText_data();
    void positionText();
    void cutToHundredths_data();
    void cutToHundredths();
};

void TestPositionReadout::readout_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("65.34") << 65.34 << u"1:5:34"_s;
    QTest::newRow("long fraction is cut") << 65.3423583 << u"1:5:34"_s;
    QTest::newRow("one digit stays one") << 5.5 << u"0:5:5"_s;
    QTest::newRow("below one second") << 0.25 << u"0:0:25"_s;
    QTest::newRow("45.2") << 45.2 << u"0:45:2"_s;
    QTest::newRow("90.25") << 90.25 << u"1:30:25"_s;
    QTest::newRow("cut, not rounded") << 125.678 << u"2:5:67"_s;
    QTest::newRow("leading zero of fraction kept") << 600.05 << u"10:0:05"_s;
    QTest::newRow("no hours") << 3600.75 << u"60:0:75"_s;
    QTest::newRow("59.999") << 59.999 << u"0:59:99"_s;
    QTest::newRow("60.5") << 60.5 << u"1:0:5"_s;
    QTest::newRow("zero") << 0.0 << u"0:0:0"_s;
    QTest::newRow("whole 12") << 12.0 << u"0:12:0"_s;
    QTest::newRow("whole 60") << 60.0 << u"1:0:0"_s;
    QTest::newRow("tiny") << 0.00001 << u"0:0:00"_s;
    QTest::newRow("547 minutes") << 547.0 * 60 + 1.5 << u"547:1:5"_s;
    QTest::newRow("1000 minutes") << 60000.25 << u"1000:0:25"_s;
    QTest::newRow("binary noise hidden") << 0.1 + 0.2 << u"0:0:3"_s;
}

void TestPositionReadout::readout()
{
    QFETCH(double, seconds);
    QFETCH(QString, expected);
    QCOMPARE(positionReadout(seconds), expected);
}

void TestPositionReadout::positionText_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("65.34") << 65.34 << u"65.34"_s;
    QTest::newRow("5.5") << 5.5 << u"5.5"_s;
    QTest::newRow("0.25") << 0.25 << u"0.25"_s;
    QTest::newRow("12") << 12.0 << u"12"_s;
    QTest::newRow("no exponent") << 0.00001 << u"0.00001"_s;
    QTest::newRow("15 significant digits") << 123.456789012345678 << u"123.456789012346"_s;
    QTest::newRow("large") << 32820.0 << u"32820"_s;
}

void TestPositionReadout::positionText()
{
    QFETCH(double, seconds);
    QFETCH(QString, expected);
    QCOMPARE(::positionText(seconds), expected);
}

// The one cut the readout and the strip's clock share: whole seconds, and the fraction as text.
void TestPositionReadout::cutToHundredths_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<qint64>("wholeSeconds");
    QTest::addColumn<QString>("fraction");
    QTest::newRow("two digits") << 65.34 << qint64(65) << u"34"_s;
    QTest::newRow("cut, not rounded") << 125.678 << qint64(125) << u"67"_s;
    QTest::newRow("one digit is not filled") << 5.5 << qint64(5) << u"5"_s;
    QTest::newRow("leading zero kept") << 600.05 << qint64(600) << u"05"_s;
    QTest::newRow("whole number: no fraction") << 12.0 << qint64(12) << QString();
    QTest::newRow("just below a minute") << 59.999 << qint64(59) << u"99"_s;
    QTest::newRow("binary noise hidden") << 0.1 + 0.2 << qint64(0) << u"3"_s;
    QTest::newRow("tiny") << 0.00001 << qint64(0) << u"00"_s;
}

void TestPositionReadout::cutToHundredths()
{
    QFETCH(double, seconds);
    QFETCH(qint64, wholeSeconds);
    QFETCH(QString, fraction);
    const CutPosition cut = ::cutToHundredths(seconds);
    QCOMPARE(cut.wholeSeconds, wholeSeconds);
    QCOMPARE(cut.fraction, fraction);
}

LRC_TEST_GUILESS_MAIN(TestPositionReadout)
#include "tst_positionreadout.moc"
