// Finding the empty time tags: one left-to-right pass over the sheet that never rescans its output.
#include "lyrics/sheetcleaner.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSheetCleaner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyTagPositions_data();
    void emptyTagPositions();
};

void TestSheetCleaner::emptyTagPositions_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QList<qsizetype>>("positions");
    QTest::newRow("nested pair: the inner one only") << u"[[]]"_s << QList<qsizetype>{1};
    QTest::newRow("deeper nesting: the innermost only") << u"[[[]]]"_s << QList<qsizetype>{2};
    QTest::newRow("typed inside a lyric line") << u"[00:01.00]我[]的歌"_s << QList<qsizetype>{11};
    QTest::newRow("both tags empty") << u"[][]"_s << QList<qsizetype>{0, 2};
    QTest::newRow("closing bracket after a pair") << u"[]]"_s << QList<qsizetype>{0};
    QTest::newRow("opening bracket before a pair") << u"[[]"_s << QList<qsizetype>{1};
    QTest::newRow("no brackets") << u"没有括号的一行 plain"_s << QList<qsizetype>{};
    QTest::newRow("blank between brackets") << u"[ ]"_s << QList<qsizetype>{};
    QTest::newRow("full-width brackets") << u"【】［］"_s << QList<qsizetype>{};
    QTest::newRow("empty sheet") << QString() << QList<qsizetype>{};
    QTest::newRow("worked example") << u"[00:12.50][]第一句\r\n[00:15.00][01:20.00]第二句\r\n[][]\r\n"_s
                                    << QList<qsizetype>{10, 42, 44};
    QTest::newRow("pair split by a line break") << u"[\r\n]"_s << QList<qsizetype>{};
}

void TestSheetCleaner::emptyTagPositions()
{
    QFETCH(QString, sheet);
    QFETCH(QList<qsizetype>, positions);
    QCOMPARE(::emptyTagPositions(sheet), positions);
}

LRC_TEST_GUILESS_MAIN(TestSheetCleaner)
#include "tst_sheetcleaner.moc"
