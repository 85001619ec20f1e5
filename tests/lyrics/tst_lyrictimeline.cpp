// Reading the sheet's time tags back: which line is current at a position, and which comes next.
#include "lyrics/lyrictimeline.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestLyricTimeline : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineAt_data();
    void lineAt();
};

namespace {

// Where nothing is current: the strip then looks as without lyrics.
const QString kNone = u"(none)"_s;

void row(const char* name, const QString& sheet, double seconds, const QString& line, const QString& next = {})
{
    QTest::newRow(name) << sheet << seconds << line << next;
}

} // namespace

void TestLyricTimeline::lineAt_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("next");

    row("whole seconds", u"[00:05]五秒"_s, 5.0, u"五秒"_s);
    row("tenths", u"[00:05.5]半"_s, 5.5, u"半"_s);
    row("hundredths, just before", u"[01:05.34]一分"_s, 65.339, kNone);
    row("hundredths", u"[01:05.34]一分"_s, 65.34, u"一分"_s);
    row("thousandths", u"[00:01.005]毫秒"_s, 1.005, u"毫秒"_s);
    row("one-digit minutes", u"[1:05]短"_s, 65.0, u"短"_s);
    row("three-digit minutes", u"[100:00.00]长"_s, 6000.0, u"长"_s);
    const QString twoTags = u"[00:10.00][00:30.00]副歌\r\n[00:20.00]主歌\r\n"_s;
    row("two tags, first time", twoTags, 15.0, u"副歌"_s, u"主歌"_s);
    row("two tags, second time", twoTags, 35.0, u"副歌"_s);
    const QString unsorted = u"[00:30.00]三\n[00:10.00]一\n[00:20.00]二\n"_s;
    row("unsorted, before all", unsorted, 9.0, kNone);
    row("unsorted, middle", unsorted, 29.99, u"二"_s, u"三"_s);
    row("equal times show the later line", u"[00:01]甲\n[00:01]乙\n[00:02]丙"_s, 1.5, u"乙"_s, u"丙"_s);
    row("header tags are not shown", u"[ti:月光]\r\n[ar:歌手]\r\n[00:01.00]第一句"_s, 99.0, u"第一句"_s);
    row("a header tag ends the tags", u"[ar:歌手][00:01.00]不算\n"_s, 2.0, kNone);
    row("brackets inside a lyric", u"[00:01.00]我[副歌] [00:02.00]唱"_s, 2.5, u"我[副歌] [00:02.00]唱"_s);
    const QString committed = u"[00:12.50][]第一句\r\n[][00:15.00]第二句\r\n[][]\r\n"_s;
    row("page with an empty second tag", committed, 13.0, u"第一句"_s, u"第二句"_s);
    row("page with an empty first tag", committed, 16.0, u"第二句"_s);
    row("page hints are no times", u"[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"_s, 99.0, kNone);
    row("tag without a text clears the line", u"[00:01]一\n[00:02]\n[00:03]三"_s, 2.5, QString(), u"三"_s);
    row("blanks around and CR breaks", u"  [00:01.00]  一  \r[00:02.00]二"_s, 1.0, u"一"_s, u"二"_s);
    for (const QString& malformed : {u"[00:60.00]"_s, u"[00:5.00]"_s, u"[00:05.1234]"_s, u"[00:05.]"_s, u"[:05.00]"_s,
                                     u"[00:05:30]"_s, u"[００:０５]"_s, u"[00:05.00"_s})
        row(qPrintable(u"not a tag: "_s + malformed), malformed + u"错"_s, 99.0, kNone);
    row("no tags at all", u"没有时间标签的一行\r\n第二行"_s, 10.0, kNone);
}

void TestLyricTimeline::lineAt()
{
    QFETCH(QString, sheet);
    QFETCH(double, seconds);
    QFETCH(QString, line);
    QFETCH(QString, next);
    const std::optional<LyricMoment> moment = LyricTimeline(sheet).at(seconds);
    QCOMPARE(moment ? moment->line : kNone, line);
    if (moment)
        QCOMPARE(moment->next, next);
}

LRC_TEST_GUILESS_MAIN(TestLyricTimeline)
#include "tst_lyrictimeline.moc"
