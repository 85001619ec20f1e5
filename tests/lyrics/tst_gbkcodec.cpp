// The file encoding: Windows' code page 936 bytes, GB18030 for what it lacks, and strict GB18030 reading.
#include "lyrics/gbkcodec.h"

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
    void roundTrip_data();
    void roundTrip();
    void decode_data();
    void decode();
    void decodeRejects_data();
    void decodeRejects();
    void sameBytesInEveryLocale_data();
    void sameBytesInEveryLocale();
};

namespace {
QString withUnits(std::initializer_list<char16_t> units)
{
    QString text;
    for (char16_t unit : units)
        text += QChar(unit);
    return text;
}
} // namespace

void TestGbkCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expectedHex");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii tag") << u"[00:12.50]abc"_s << "5b30303a31322e35305d616263"_ba;
    QTest::newRow("Chinese") << u"第一句"_s << "b5dad2bbbee4"_ba;
    QTest::newRow("full-width punctuation") << u"：“”。"_s << "a3baa1b0a1b1a1a3"_ba;
    QTest::newRow("middle dot, em dash, horizontal bar") << u"\u00B7\u2014\u2015"_s << "a1a4a1aaa844"_ba;
    QTest::newRow("euro sign as Windows writes it") << u"\u20AC"_s << "80"_ba;
    QTest::newRow("latin with accent") << u"a\u00E9"_s << "61a8a6"_ba;
    QTest::newRow("katakana middle dot is not in 936") << u"\u30FB"_s << "8139a739"_ba;
    QTest::newRow("C1 control") << u"\u0080"_s << "81308130"_ba;
    QTest::newRow("emoji") << u"\U0001F600"_s << "9439fc36"_ba;
    QTest::newRow("Hangul syllable") << u"\uAC00"_s << "8237cf35"_ba;
    QTest::newRow("extension B ideograph") << u"\U00020BB7"_s << "9534b235"_ba;
    QTest::newRow("first and last code point above the BMP") << u"\U00010000\U0010FFFF"_s
                                                             << "90308130e3329a35"_ba;
    QTest::newRow("emoji flag with tag characters")
        << u"\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F"_s
        << "9439c832d336a031d3369f36d336a133d3369f37d336a134d336a235"_ba;
    QTest::newRow("GB18030 two-byte addition") << u"\u1E3F"_s << "a8bc"_ba;
    QTest::newRow("mixed line") << u"[00:01.00]我\U0001F600가\r\n"_s
                                << "5b30303a30312e30305dced29439fc368237cf350d0a"_ba;
    QTest::newRow("user-defined area AAA1") << withUnits({0xE000}) << "aaa1"_ba;
    QTest::newRow("user-defined area F8A1") << withUnits({0xE234}) << "f8a1"_ba;
    QTest::newRow("user-defined area A140..A7A0") << withUnits({0xE4C6, 0xE765}) << "a140a7a0"_ba;
    QTest::newRow("private use shared with GB18030") << withUnits({0xE766}) << "a2ab"_ba;
    QTest::newRow("private use where Windows differs")
        << withUnits({0xE76C, 0xE78D, 0xE796, 0xE7C7, 0xE7C8, 0xE7E8, 0xE815, 0xE843, 0xE844, 0xE864})
        << "a2e3a6d9a6f3a8bca8bfa98afe50fe7efe80fea0"_ba;
    QTest::newRow("U+F8F5 is the byte FF") << withUnits({0xF8F5}) << "ff"_ba;
    QTest::newRow("private use outside Windows' table") << withUnits({0xE865}) << "8336d030"_ba;
    QTest::newRow("lone high surrogate") << withUnits({u'a', 0xD800, u'b'}) << "618431a43762"_ba;
    QTest::newRow("lone low surrogate") << withUnits({0xDC00, u'b'}) << "8431a43762"_ba;
    QTest::newRow("high surrogate at the end") << withUnits({u'a', 0xD83D}) << "618431a437"_ba;
    QTest::newRow("pair the wrong way round") << withUnits({0xDE00, 0xD83D}) << "8431a4378431a437"_ba;
}

void TestGbkCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expectedHex);
    QCOMPARE(encodeCodePage936(text).toHex(), expectedHex);
}

void TestGbkCodec::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("lyric line") << u"[00:12.50][01:40.20]我的歌，你的梦。\r\n"_s;
    QTest::newRow("beyond GBK") << u"\U0001F3B5 사랑해 \U00020BB7\U0002A6A5 \u30FB\u0080\u00A0"_s;
    QTest::newRow("euro sign") << u"售价 9\u20AC"_s;
    QTest::newRow("user-defined area") << withUnits({0xE000, 0xE233, 0xE234, 0xE4C5, 0xE4C6, 0xE765});
    QTest::newRow("last code point") << u"\U0010FFFF"_s;
    QTest::newRow("emoji flag with tag characters")
        << u"\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F"_s;
    QTest::newRow("NUL inside") << withUnits({u'a', 0, u'b'});
}

void TestGbkCodec::roundTrip()
{
    QFETCH(QString, text);
    const std::optional<QString> back = decodeGb18030(encodeCodePage936(text));
    QVERIFY(back.has_value());
    QCOMPARE(*back, text);
}

void TestGbkCodec::decode_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("Chinese") << "b5dad2bbbee4"_ba << u"第一句"_s;
    QTest::newRow("four bytes, BMP") << "8237cf35"_ba << u"\uAC00"_s;
    QTest::newRow("four bytes, supplementary") << "9439fc36"_ba << u"\U0001F600"_s;
    QTest::newRow("byte 80 as Windows reads it") << "3080"_ba << u"0\u20AC"_s;
    QTest::newRow("GB18030's own euro code") << "a2e3"_ba << u"\u20AC"_s;
    QTest::newRow("80 as a trail byte") << "8180"_ba << u"\u4E90"_s;
    QTest::newRow("replacement character") << "8431a437"_ba << u"\uFFFD"_s;
    QTest::newRow("line breaks") << "0d0a0d0a"_ba << u"\r\n\r\n"_s;
}

void TestGbkCodec::decode()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, expected);
    const std::optional<QString> text = decodeGb18030(QByteArray::fromHex(hex));
    QVERIFY(text.has_value());
    QCOMPARE(*text, expected);
}

void TestGbkCodec::decodeRejects_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("byte FF") << "61ff62"_ba;
    QTest::newRow("bad trail byte") << "817f"_ba;
    QTest::newRow("bad fourth byte") << "8130817f"_ba;
    QTest::newRow("four bytes past the BMP table") << "8431a530"_ba;
    QTest::newRow("four bytes past U+10FFFF") << "e3329a36"_ba;
    QTest::newRow("lead byte cut off at the end") << "b5dad2"_ba;
    QTest::newRow("four-byte sequence cut after two") << "618130"_ba;
    QTest::newRow("four-byte sequence cut after three") << "813081"_ba;
}

void TestGbkCodec::decodeRejects()
{
    QFETCH(QByteArray, hex);
    const std::optional<QString> text = decodeGb18030(QByteArray::fromHex(hex));
    QVERIFY2(!text.has_value(), qPrintable(u"accepted as \""_s + text.value_or(QString()) + u'"'));
}

void TestGbkCodec::sameBytesInEveryLocale_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::newRow("C") << "C"_ba;
    QTest::newRow("POSIX") << "POSIX"_ba;
    QTest::newRow("C.UTF-8") << "C.UTF-8"_ba;
}

// The file is for Windows readers, so the machine's own locale must not change a byte.
void TestGbkCodec::sameBytesInEveryLocale()
{
    QFETCH(QByteArray, locale);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    QVERIFY(std::setlocale(LC_ALL, locale.constData()));
    const QByteArray bytes = encodeCodePage936(u"第一句\U0001F600\u20AC"_s);
    const std::optional<QString> text = decodeGb18030(bytes);
    std::setlocale(LC_ALL, before.c_str());
    QCOMPARE(bytes.toHex(), "b5dad2bbbee49439fc3680"_ba);
    QCOMPARE(text.value_or(QString()), u"第一句\U0001F600\u20AC"_s);
}

QTEST_GUILESS_MAIN(TestGbkCodec)
#include "tst_gbkcodec.moc"
