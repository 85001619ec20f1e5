// Tests of repairTitle and decodeTagText: titles that came through as GBK bytes or Latin-1 mojibake.
#include "playback/titlerepair.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTitleRepair : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void repair_data();
    void repair();
    void decode_data();
    void decode();
    void singleLine_data();
    void singleLine();
};

void TestTitleRepair::repair_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");

    QTest::newRow("GBK bytes read as Latin-1")
        << QString::fromLatin1("\xB2\xE2\xCA\xD4\xB8\xE8\xC7\xFA") << u"测试歌曲"_s;
    QTest::newRow("GBK with ASCII around it")
        << QString::fromLatin1("01 \xD4\xC2\xC1\xC1 (Live)") << u"01 月亮 (Live)"_s;
    QTest::newRow("already Chinese") << u"测试歌曲"_s << u"测试歌曲"_s;
    QTest::newRow("plain ASCII") << u"Hello World"_s << u"Hello World"_s;
    QTest::newRow("Latin-1 that is no GBK") << u"Café"_s << u"Café"_s;
    QTest::newRow("Latin-1 letter before a plain one") << u"Für Elise"_s << u"Für Elise"_s;
    QTest::newRow("Spanish") << u"Señor"_s << u"Señor"_s;
    QTest::newRow("German name") << u"Müller"_s << u"Müller"_s;
    QTest::newRow("GBK cut in the middle of a character")
        << QString::fromLatin1("\xB2\xE2\xCA") << QString::fromLatin1("\xB2\xE2\xCA");
    QTest::newRow("characters beyond Latin-1 keep it as it is") << u"Ĉafé"_s << u"Ĉafé"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestTitleRepair::repair()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(repairTitle(title), expected);
}

void TestTitleRepair::decode_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("expected");

    QTest::newRow("UTF-8") << QByteArray("\xE6\xB5\x8B\xE8\xAF\x95\xE6\xAD\x8C\xE6\x9B\xB2") << u"测试歌曲"_s;
    QTest::newRow("raw GBK, as in ID3v1") << QByteArray("\xB2\xE2\xCA\xD4\xB8\xE8\xC7\xFA") << u"测试歌曲"_s;
    QTest::newRow("UTF-8 of GBK read as Latin-1")
        << QByteArray("\xC2\xB2\xC3\xA2\xC3\x8A\xC3\x94\xC2\xB8\xC3\xA8\xC3\x87\xC3\xBA") << u"测试歌曲"_s;
    QTest::newRow("raw Latin-1, neither UTF-8 nor GBK") << QByteArray("Caf\xE9") << u"Café"_s;
    QTest::newRow("raw Latin-1 that would pass as GBK") << QByteArray("F\xFCr Elise") << u"Für Elise"_s;
    QTest::newRow("ASCII") << QByteArray("Hello World") << u"Hello World"_s;
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestTitleRepair::decode()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, expected);
    QCOMPARE(decodeTagText(raw), expected);
}

void TestTitleRepair::singleLine_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("line breaks and a tab") << u"第一行\r\n第二行\t尾"_s << u"第一行  第二行 尾"_s;
    QTest::newRow("Unicode line and paragraph separators") << u"甲\u2028乙\u2029丙"_s << u"甲 乙 丙"_s;
    QTest::newRow("other control characters") << u"a\u0001b\u001Fc\u0085d"_s << u"a b c d"_s;
    QTest::newRow("exactly as long as kept") << QString(kMaxTitleLength, u'长') << QString(kMaxTitleLength, u'长');
    QTest::newRow("100,000 characters") << QString(100000, u'长') << QString(kMaxTitleLength, u'长') + u'…';
    // The cut falls between the two halves of 😀: the whole character goes.
    QTest::newRow("cut before a surrogate pair")
        << QString(kMaxTitleLength - 1, u'a') + u"😀😀"_s << QString(kMaxTitleLength - 1, u'a') + u'…';
}

void TestTitleRepair::singleLine()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(singleLineTitle(title), expected);
}

LRC_TEST_GUILESS_MAIN(TestTitleRepair)
#include "tst_titlerepair.moc"
