// The file encoding: Windows' code page 936 bytes, GB18030 for what it lacks, and strict GB18030 reading.
#include "lyrics/gbkcodec.h"
#include "support/testmain.h"

#include <QTest>

#include <clocale>
#include <string>

using namespace Qt::StringLiterals;

class TestGbkCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void sameBytesInTheCLocale();
};

namespace {
// Lone surrogates cannot be written in a string literal; a NUL is plainer to see this way too.
QString withUnits(std::initializer_list<char16_t> units)
{
    QString text;
    for (char16_t unit : units)
        text += QChar(unit);
    return text;
}
} // namespace

// What the file holds reads back whole with GB18030, but for what has no encoding anywhere (lone
// surrogates) and the private-use codes where Windows differs from GB18030.
void TestGbkCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expectedHex");
    QTest::addColumn<bool>("readsBack");
    QTest::newRow("worked example") << u"[00:12.50]第一句"_s
                                    << "5b30303a31322e35305d"
                                       "b5dad2bbbee4"_ba
                                    << true;
    QTest::newRow("punctuation as Windows writes it") << u"：“”。\u00B7\u2014\u2015"_s
                                                      << "a3baa1b0a1b1a1a3"
                                                         "a1a4a1aaa844"_ba
                                                      << true;
    QTest::newRow("euro sign as Windows writes it") << u"9\u20AC"_s << "3980"_ba << true;
    QTest::newRow("accented latin, GB18030 two-byte addition") << u"\u00E9\u1E3F"_s
                                                               << "a8a6"
                                                                  "a8bc"_ba
                                                               << true;
    QTest::newRow("outside 936 in the BMP: C1 control, katakana middle dot, Hangul") << u"\u0080\u30FB\uAC00"_s
                                                                                     << "81308130"
                                                                                        "8139a739"
                                                                                        "8237cf35"_ba
                                                                                     << true;
    QTest::newRow("above the BMP: first, emoji, extension B, last") << u"\U00010000\U0001F600\U00020BB7\U0010FFFF"_s
                                                                    << "90308130"
                                                                       "9439fc36"
                                                                       "9534b235"
                                                                       "e3329a35"_ba
                                                                    << true;
    QTest::newRow("user-defined areas, first and last of each") << u"\uE000\uE233\uE234\uE4C5\uE4C6\uE765"_s
                                                                << "aaa1"
                                                                   "affe"
                                                                   "f8a1"
                                                                   "fefe"
                                                                   "a140"
                                                                   "a7a0"_ba
                                                                << true;
    QTest::newRow("NUL inside") << withUnits({u'a', 0, u'b'}) << "610062"_ba << true;
    QTest::newRow("private use: shared with GB18030, Windows' own, outside Windows' table")
        << u"\uE766\uE76C\uE864\uE865\uF8F5"_s
        << "a2ab"
           "a2e3"
           "fea0"
           "8336d030"
           "ff"_ba
        << false;
    QTest::newRow("lone surrogates") << withUnits({u'a', 0xD800, u'b', 0xDC00})
                                     << "61"
                                        "8431a437"
                                        "62"
                                        "8431a437"_ba
                                     << false;
    QTest::newRow("high surrogate at the end") << withUnits({u'a', 0xD83D}) << "618431a437"_ba << false;
    QTest::newRow("pair the wrong way round") << withUnits({0xDE00, 0xD83D}) << "8431a4378431a437"_ba << false;
}

void TestGbkCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expectedHex);
    QFETCH(bool, readsBack);
    const QByteArray bytes = encodeCodePage936(text);
    QCOMPARE(bytes.toHex(), expectedHex);
    if (readsBack)
        QCOMPARE(decodeGb18030(bytes).value_or(u"<rejected>"_s), text);
}

// Strict: anything GB18030 does not define, or cut off at the end, is rejected.
void TestGbkCodec::decode_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("expected");
    const QString rejected = u"<rejected>"_s;
    QTest::newRow("Chinese") << "b5dad2bbbee4"_ba << u"第一句"_s;
    QTest::newRow("four bytes, BMP and above") << "8237cf35"
                                                  "9439fc36"_ba
                                               << u"\uAC00\U0001F600"_s;
    QTest::newRow("byte 80 as Windows reads it") << "3080"_ba << u"0\u20AC"_s;
    QTest::newRow("GB18030's own euro code") << "a2e3"_ba << u"\u20AC"_s;
    QTest::newRow("80 as a trail byte") << "8180"_ba << u"\u4E90"_s;
    QTest::newRow("replacement character") << "8431a437"_ba << u"\uFFFD"_s;
    QTest::newRow("byte FF") << "61ff62"_ba << rejected;
    QTest::newRow("bad trail byte") << "817f"_ba << rejected;
    QTest::newRow("bad fourth byte") << "8130817f"_ba << rejected;
    QTest::newRow("four bytes past the BMP table") << "8431a530"_ba << rejected;
    QTest::newRow("four bytes past U+10FFFF") << "e3329a36"_ba << rejected;
    QTest::newRow("lead byte cut off at the end") << "b5dad2"_ba << rejected;
    QTest::newRow("four-byte sequence cut after two") << "618130"_ba << rejected;
    QTest::newRow("four-byte sequence cut after three") << "813081"_ba << rejected;
}

void TestGbkCodec::decode()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, expected);
    QCOMPARE(decodeGb18030(QByteArray::fromHex(hex)).value_or(u"<rejected>"_s), expected);
}

// The file is for Windows readers, so the machine's own locale must not change a byte; the other
// cases run in C.UTF-8.
void TestGbkCodec::sameBytesInTheCLocale()
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    QVERIFY(std::setlocale(LC_ALL, "C"));
    const QByteArray bytes = encodeCodePage936(u"第一句\U0001F600\u20AC"_s);
    const std::optional<QString> text = decodeGb18030(bytes);
    std::setlocale(LC_ALL, before.c_str());
    QCOMPARE(bytes.toHex(), "b5dad2bbbee49439fc3680"_ba);
    QCOMPARE(text.value_or(QString()), u"第一句\U0001F600\u20AC"_s);
}

LRC_TEST_GUILESS_MAIN(TestGbkCodec)
#include "tst_gbkcodec.moc"
