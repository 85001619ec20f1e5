// The recovery file's format: what is written comes back exactly, and what cannot be read says why.
#include "common/usererror.h"
#include "lyrics/recoverydata.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRecoveryData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void comesBackExactly_data();
    void comesBackExactly();
    void documentBreaksAreWrittenAsLf();
    void unreadableSaysWhy_data();
    void unreadableSaysWhy();
};

namespace {

QStringList gridOf(const QString& text)
{
    QStringList grid;
    for (int box = 1; box <= 21; ++box)
        grid << text.arg(box);
    return grid;
}

} // namespace

void TestRecoveryData::comesBackExactly_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QStringList>("grid");
    QTest::addColumn<QString>("song");
    QTest::newRow("nothing yet") << QString() << gridOf(QString()) << QString();
    QTest::newRow("pages, hints and a song") << u"[00:12.50][]我的歌\n[][]\n[01:05.34][02:00.00]再唱一遍"_s
                                             << gridOf(u"格子%1"_s) << u"/home/用户/歌 曲/晓韵.mp3"_s;
    QTest::newRow("quotes, backslashes, tabs, CR and a last break")
        << u"\"引号\" \\ \t\r\n尾行\n"_s << gridOf(u"\"%1\"\\"_s) << u"/tmp/a\"b.mp3"_s;
    QTest::newRow("characters beyond the BMP, a line separator, a no-break space")
        << u"𠀀𝄞\u2028\u00a0"_s << gridOf(u"😀%1"_s) << QString();
}

void TestRecoveryData::comesBackExactly()
{
    QFETCH(QString, sheet);
    QFETCH(QStringList, grid);
    QFETCH(QString, song);
    const RecoveryData read = parseRecoveryFile(recoveryFileBytes({sheet, grid, song}));
    QCOMPARE(read.sheet, sheet);
    QCOMPARE(read.grid, grid);
    QCOMPARE(read.song, song);
}

// A text document holds its line breaks as paragraph separators; the file holds LF.
void TestRecoveryData::documentBreaksAreWrittenAsLf()
{
    const QStringList grid = gridOf(QString());
    const RecoveryData read = parseRecoveryFile(recoveryFileBytes({u"一\u2029二\u2029"_s, grid, QString()}));
    QCOMPARE(read.sheet, u"一\n二\n"_s);
}

void TestRecoveryData::unreadableSaysWhy_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray good = recoveryFileBytes({u"[00:01.00][]一"_s, gridOf(QString()), QString()});
    QTest::newRow("empty") << QByteArray() << u"恢复文件无法读取：内容不完整或已损坏"_s;
    QTest::newRow("cut short") << good.left(good.size() / 2) << u"恢复文件无法读取：内容不完整或已损坏"_s;
    QTest::newRow("another program's JSON")
        << QByteArray(R"({"format":"other","version":1})") << u"恢复文件无法读取：不是本程序的恢复文件"_s;
    QTest::newRow("a newer version") << QByteArray(good).replace("\"version\":1", "\"version\":2")
                                     << u"恢复文件无法读取：它由更新版本的程序写成"_s;
    QTest::newRow("no version") << QByteArray(good).replace(",\"version\":1", "") << u"恢复文件无法读取：缺少版本号"_s;
    QTest::newRow("no sheet") << QByteArray(good).replace("\"sheet\"", "\"shoot\"")
                              << u"恢复文件无法读取：缺少“sheet”部分"_s;
    QTest::newRow("twenty boxes") << QByteArray(good).replace("[\"\",", "[")
                                  << u"恢复文件无法读取：歌词格子的数目不对"_s;
    QTest::newRow("a box that is a number")
        << QByteArray(good).replace("[\"\",", "[7,") << u"恢复文件无法读取：歌词格子的内容不是文字"_s;
}

void TestRecoveryData::unreadableSaysWhy()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    try {
        parseRecoveryFile(bytes);
        QFAIL("read without an error");
    } catch (const UserError& error) {
        QCOMPARE(error.message(), message);
    }
}

LRC_TEST_GUILESS_MAIN(TestRecoveryData)
#include "tst_recoverydata.moc"
