// Removing the empty time tags: one left-to-right pass over the sheet that never rescans its output.
#include "lyrics/sheetcleaner.h"
#include "support/testmain.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSheetCleaner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void removeEmptyTags_data();
    void removeEmptyTags();
};

void TestSheetCleaner::removeEmptyTags_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nested pair left once") << u"[[]]"_s << u"[]"_s;
    QTest::newRow("deeper nesting peels one level") << u"[[[]]]"_s << u"[[]]"_s;
    QTest::newRow("typed inside a lyric line") << u"[00:01.00]我[]的歌"_s << u"[00:01.00]我的歌"_s;
    QTest::newRow("both tags empty") << u"[][]"_s << QString();
    QTest::newRow("closing bracket stays") << u"[]]"_s << u"]"_s;
    QTest::newRow("opening bracket stays") << u"[[]"_s << u"["_s;
    QTest::newRow("no brackets") << u"没有括号的一行 plain"_s << u"没有括号的一行 plain"_s;
    QTest::newRow("blank between brackets") << u"[ ]"_s << u"[ ]"_s;
    QTest::newRow("full-width brackets") << u"【】［］"_s << u"【】［］"_s;
    QTest::newRow("empty sheet") << QString() << QString();
    QTest::newRow("worked example") << u"[00:12.50][]第一句\r\n[00:15.00][01:20.00]第二句\r\n[][]\r\n"_s
                                    << u"[00:12.50]第一句\r\n[00:15.00][01:20.00]第二句\r\n\r\n"_s;
    QTest::newRow("pair split by a line break stays") << u"[\r\n]"_s << u"[\r\n]"_s;
}

void TestSheetCleaner::removeEmptyTags()
{
    QFETCH(QString, sheet);
    QFETCH(QString, expected);
    QCOMPARE(::removeEmptyTags(sheet), expected);

    // The editor removes the pairs one by one, from the last: it must come to the same text.
    QString removedOneByOne = sheet;
    const QList<qsizetype> positions = emptyTagPositions(sheet);
    for (auto at = positions.crbegin(); at != positions.crend(); ++at)
        removedOneByOne.remove(*at, 2);
    QCOMPARE(removedOneByOne, expected);
}

LRC_TEST_GUILESS_MAIN(TestSheetCleaner)
#include "tst_sheetcleaner.moc"
