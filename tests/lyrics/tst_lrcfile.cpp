// The bytes of the LRC file: cleaned sheet, CR LF breaks, one closing CR LF, code page 936, no BOM.
#include "lyrics/gbkcodec.h"
#include "lyrics/lrcfile.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestLrcFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportedBytes_data();
    void exportedBytes();
    void decodesBackWithGb18030_data();
    void decodesBackWithGb18030();
};

void TestLrcFile::exportedBytes_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("worked example") << u"[00:12.50]第一句\r\n[00:15.00][01:20.00]第二句\r\n\r\n"_s
                                    << "[00:12.50]\xB5\xDA\xD2\xBB\xBE\xE4\r\n"
                                       "[00:15.00][01:20.00]\xB5\xDA\xB6\xFE\xBE\xE4\r\n"
                                       "\r\n"
                                       "\r\n"_ba;
    QTest::newRow("empty sheet") << QString() << "\r\n"_ba;
    QTest::newRow("an empty pair is written as it is") << u"[]\r\n"_s << "[]\r\n\r\n"_ba;
    QTest::newRow("last line without a break") << u"[00:01.00]一"_s << "[00:01.00]\xD2\xBB\r\n"_ba;
    QTest::newRow("outside GBK as GB18030 four-byte sequences")
        << u"[00:01.00]\U0001F600가\U00020BB7\r\n"_s
        << "[00:01.00]\x94\x39\xFC\x36\x82\x37\xCF\x35\x95\x34\xB2\x35\r\n\r\n"_ba;
    QTest::newRow("euro sign as Windows writes it") << u"9\u20AC"_s << "9\x80\r\n"_ba;
    QTest::newRow("hand-edited lone LF") << u"[00:01.00]一\n[00:02.00]二\n"_s
                                         << "[00:01.00]\xD2\xBB\r\n[00:02.00]\xB6\xFE\r\n\r\n"_ba;
    QTest::newRow("lone CR") << u"a\rb\r"_s << "a\r\nb\r\n\r\n"_ba;
    QTest::newRow("LF CR is two breaks") << u"a\n\rb"_s << "a\r\n\r\nb\r\n"_ba;
    QTest::newRow("CR CR LF") << u"a\r\r\nb"_s << "a\r\n\r\nb\r\n"_ba;
    QTest::newRow("paragraph and line separators") << u"a\u2029b\u2028c"_s << "a\r\nb\r\nc\r\n"_ba;
}

void TestLrcFile::exportedBytes()
{
    QFETCH(QString, sheet);
    QFETCH(QByteArray, expected);
    QCOMPARE(lrcFileBytes(sheet), expected);
}

void TestLrcFile::decodesBackWithGb18030_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("fileText");
    QTest::newRow("emoji, Hangul, extension B")
        << u"[00:01.00]\U0001F600 사랑해\r\n[00:02.00]\U00020BB7\U0002A6A5\r\n"_s
        << u"[00:01.00]\U0001F600 사랑해\r\n[00:02.00]\U00020BB7\U0002A6A5\r\n\r\n"_s;
    QTest::newRow("Chinese with euro") << u"[01:00.00]九块九\u20AC"_s << u"[01:00.00]九块九\u20AC\r\n"_s;
}

void TestLrcFile::decodesBackWithGb18030()
{
    QFETCH(QString, sheet);
    QFETCH(QString, fileText);
    const std::optional<QString> text = decodeGb18030(lrcFileBytes(sheet));
    QVERIFY(text.has_value());
    QCOMPARE(*text, fileText);
}

LRC_TEST_GUILESS_MAIN(TestLrcFile)
#include "tst_lrcfile.moc"
