// The recovery writer's copy of the sheet follows every kind of edit the sheet box sees.
#include "app/sheetbox.h"
#include "app/sheetmirror.h"
#include "support/testmain.h"

#include <QTest>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace {

enum class Edit {
    TypeAtEnd,
    Commit,
    CommitUndone,
    CommitRedone,
    NewText,
    Cleaning,
    SelectionReplaced,
    SoftBreaks,
    AllDeleted
};

} // namespace

class TestSheetMirror : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void followsEveryEdit_data();
    void followsEveryEdit();
};

void TestSheetMirror::followsEveryEdit_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("expected");
    QTest::newRow("typing at the end") << u"x\r\ny"_s << Edit::TypeAtEnd << u"x\u2029yabc"_s;
    QTest::newRow("commit onto an empty sheet") << QString() << Edit::Commit << u"[a]一\u2029[b]二\u2029"_s;
    QTest::newRow("commit onto a sheet") << u"[0]零\r\n"_s << Edit::Commit << u"[0]零\u2029[a]一\u2029[b]二\u2029"_s;
    QTest::newRow("commit undone") << u"[0]零\r\n"_s << Edit::CommitUndone << u"[0]零\u2029"_s;
    QTest::newRow("commit undone and redone")
        << u"[0]零\r\n"_s << Edit::CommitRedone << u"[0]零\u2029[a]一\u2029[b]二\u2029"_s;
    QTest::newRow("a new text over an old one") << u"old\r\nlines"_s << Edit::NewText << u"新\u2029"_s;
    QTest::newRow("the export's cleaning")
        << u"[01:00.00][]一\r\n[][]\r\n"_s << Edit::Cleaning << u"[01:00.00]一\u2029\u2029"_s;
    QTest::newRow("a selection across lines replaced")
        << u"abc\r\ndef\r\nghi"_s << Edit::SelectionReplaced << u"abXhi"_s;
    QTest::newRow("a line separator and a no-break space") << u"z"_s << Edit::SoftBreaks << u"a\u2028b\u00a0cz"_s;
    QTest::newRow("everything deleted") << u"abc\r\n"_s << Edit::AllDeleted << QString();
}

void TestSheetMirror::followsEveryEdit()
{
    QFETCH(QString, before);
    QFETCH(Edit, edit);
    QFETCH(QString, expected);
    SheetBox sheet;
    sheet.setText(before);
    const SheetMirror mirror(sheet.document());
    QTextCursor cursor(sheet.document());
    switch (edit) {
    case Edit::TypeAtEnd:
        cursor.movePosition(QTextCursor::End);
        for (QChar key : u"abc"_s)
            cursor.insertText(QString(key));
        break;
    case Edit::Commit:
        sheet.appendText(u"[a]一\r\n[b]二\r\n"_s);
        break;
    case Edit::CommitUndone:
        sheet.appendText(u"[a]一\r\n[b]二\r\n"_s);
        sheet.undo();
        break;
    case Edit::CommitRedone:
        sheet.appendText(u"[a]一\r\n[b]二\r\n"_s);
        sheet.undo();
        sheet.redo();
        break;
    case Edit::NewText:
        sheet.setText(u"新\r\n"_s);
        break;
    case Edit::Cleaning:
        sheet.removeEmptyTags();
        break;
    case Edit::SelectionReplaced:
        cursor.setPosition(2);
        cursor.setPosition(9, QTextCursor::KeepAnchor);
        cursor.insertText(u"X"_s);
        break;
    case Edit::SoftBreaks:
        cursor.insertText(u"a\u2028b\u00a0c"_s);
        break;
    case Edit::AllDeleted:
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        break;
    }
    QCOMPARE(mirror.text(), expected);
}

LRC_TEST_MAIN(TestSheetMirror)
#include "tst_sheetmirror.moc"
