// The lines a page commit appends to the sheet: seven rows, byte for byte, whatever the boxes hold.
#include "lyrics/pagecommit.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPageCommit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameRowOnEveryLine_data();
    void sameRowOnEveryLine();
    void fullPage_data();
    void fullPage();
    void shortListCountsAsEmpty();
};

namespace {
QStringList pageOf(const QString& tag1, const QString& tag2, const QString& line)
{
    QStringList page;
    for (int row = 0; row < 7; ++row)
        page << tag1 << tag2 << line;
    return page;
}
} // namespace

void TestPageCommit::sameRowOnEveryLine_data()
{
    QTest::addColumn<QString>("tag1");
    QTest::addColumn<QString>("tag2");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both tags typed") << u"00:12.50"_s << u"01:40.20"_s << u"我的歌"_s
                                     << u"[00:12.50][01:40.20]我的歌\r\n[00:12.50][01:40.20]我的歌\r\n"
                                        "[00:12.50][01:40.20]我的歌\r\n[00:12.50][01:40.20]我的歌\r\n"
                                        "[00:12.50][01:40.20]我的歌\r\n[00:12.50][01:40.20]我的歌\r\n"
                                        "[00:12.50][01:40.20]我的歌\r\n"_s;
    QTest::newRow("second tag empty") << u"00:12.50"_s << QString() << u"我的歌"_s
                                      << u"[00:12.50][]我的歌\r\n[00:12.50][]我的歌\r\n[00:12.50][]我的歌\r\n"
                                         "[00:12.50][]我的歌\r\n[00:12.50][]我的歌\r\n[00:12.50][]我的歌\r\n"
                                         "[00:12.50][]我的歌\r\n"_s;
    QTest::newRow("all empty") << QString() << QString() << QString()
                               << u"[][]\r\n[][]\r\n[][]\r\n[][]\r\n[][]\r\n[][]\r\n[][]\r\n"_s;
    QTest::newRow("initial texts untouched") << u"此处输入时间1"_s << u"此处输入时间2"_s << u"此处输入歌词信息"_s
                                             << u"[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"
                                                "[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"
                                                "[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"
                                                "[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"
                                                "[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"
                                                "[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"
                                                "[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"_s;
}

void TestPageCommit::sameRowOnEveryLine()
{
    QFETCH(QString, tag1);
    QFETCH(QString, tag2);
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(pageCommitText(pageOf(tag1, tag2, line)), expected);
}

void TestPageCommit::fullPage_data()
{
    QTest::addColumn<QStringList>("grid");
    QTest::addColumn<QString>("expected");
    QTest::newRow("seven different rows, in grid order")
        << QStringList{u"00:01.00"_s,    u"02:01.00"_s,       u"第一行"_s,   u"00:05.10"_s, QString(),
                       u"第二行"_s,      QString(),           u"00:09.99"_s, u"第三行"_s,   u" 00:12.00 "_s,
                       QString(),        u"  前后有空格  "_s, u"00:20.00"_s, u"00:10.00"_s, u"时间倒序也不排"_s,
                       QString(),        QString(),           u"只有歌词"_s, u"abc"_s,      u"[]"_s,
                       u"手写的[]不动"_s}
        << u"[00:01.00][02:01.00]第一行\r\n"
           "[00:05.10][]第二行\r\n"
           "[][00:09.99]第三行\r\n"
           "[ 00:12.00 ][]  前后有空格  \r\n"
           "[00:20.00][00:10.00]时间倒序也不排\r\n"
           "[][]只有歌词\r\n"
           "[abc][[]]手写的[]不动\r\n"_s;
    QTest::newRow("last rows empty still give seven lines")
        << QStringList{u"01:05.34"_s, QString(), u"唯一一句"_s, QString(), QString(), QString(), QString(),
                       QString(),     QString(), QString(),     QString(), QString(), QString(), QString(),
                       QString(),     QString(), QString(),     QString(), QString(), QString(), QString()}
        << u"[01:05.34][]唯一一句\r\n[][]\r\n[][]\r\n[][]\r\n[][]\r\n[][]\r\n[][]\r\n"_s;
}

void TestPageCommit::fullPage()
{
    QFETCH(QStringList, grid);
    QFETCH(QString, expected);
    QCOMPARE(grid.size(), kGridBoxes);
    QCOMPARE(pageCommitText(grid), expected);
}

void TestPageCommit::shortListCountsAsEmpty()
{
#ifndef QT_NO_DEBUG
    QSKIP("a debug build stops on the broken precondition by design");
#else
    const QStringList twentyBoxes = pageOf(u"1"_s, u"2"_s, u"词"_s).mid(0, 20);
    QCOMPARE(pageCommitText(twentyBoxes),
             u"[1][2]词\r\n[1][2]词\r\n[1][2]词\r\n[1][2]词\r\n[1][2]词\r\n[1][2]词\r\n[1][2]\r\n"_s);
#endif
}

LRC_TEST_GUILESS_MAIN(TestPageCommit)
#include "tst_pagecommit.moc"
