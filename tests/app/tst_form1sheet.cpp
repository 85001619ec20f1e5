// Committing lyric pages into the sheet and exporting the sheet, through the main window's buttons.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "scriptedprompts.h"

#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace Qt::StringLiterals;

class TestForm1Sheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void commit_data();
    void commit();
    void commitOfUntouchedPageEmptiesTheGrid();
    void twoCommitsInARow();
    void lineBreaksTypedInTheSheetAreCrLf();

private:
    void typeRow(int row, const QString& tag1, const QString& tag2, const QString& line);
    ScriptedPrompts prompts_;
    QPointer<Form1> form_;
};

namespace {

const QString kUntouchedLine = u"[此处输入时间1][此处输入时间2]此处输入歌词信息\r\n"_s;

QString repeated(const QString& line, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

} // namespace

void TestForm1Sheet::init()
{
    form_ = new Form1(prompts_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
}

void TestForm1Sheet::cleanup()
{
    delete form_;
}

void TestForm1Sheet::typeRow(int row, const QString& tag1, const QString& tag2, const QString& line)
{
    form_->Text1[3 * row - 2]->setText(tag1);
    form_->Text1[3 * row - 1]->setText(tag2);
    form_->Text1[3 * row]->setText(line);
}

void TestForm1Sheet::commit_data()
{
    QTest::addColumn<QString>("sheetBefore");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<QString>("sheetAfter");

    const QString emptyRest = repeated(u"[][]\r\n"_s, 6);
    QTest::newRow("both tags") << QString() << QStringList{u"00:12.50"_s, u"01:40.20"_s, u"我的歌"_s}
                               << u"[00:12.50][01:40.20]我的歌\r\n"_s + emptyRest;
    QTest::newRow("second tag empty") << QString() << QStringList{u"00:12.50"_s, QString(), u"我的歌"_s}
                                      << u"[00:12.50][]我的歌\r\n"_s + emptyRest;
    QTest::newRow("all empty") << QString() << QStringList{QString(), QString(), QString()}
                               << repeated(u"[][]\r\n"_s, 7);
    QTest::newRow("blanks are kept") << QString() << QStringList{u" 00:01.00"_s, u" "_s, u" 歌 "_s}
                                     << u"[ 00:01.00][ ] 歌 \r\n"_s + emptyRest;
    QTest::newRow("sheet kept") << u"[00:01.00]前一页\r\n"_s << QStringList{u"00:02.00"_s, QString(), u"新"_s}
                                << u"[00:01.00]前一页\r\n[00:02.00][]新\r\n"_s + emptyRest;
    QTest::newRow("last sheet line continued") << u"没有换行"_s << QStringList{u"1"_s, u"2"_s, u"3"_s}
                                               << u"没有换行[1][2]3\r\n"_s + emptyRest;
}

void TestForm1Sheet::commit()
{
    QFETCH(QString, sheetBefore);
    QFETCH(QStringList, row1);
    QFETCH(QString, sheetAfter);

    form_->Text2->setText(sheetBefore);
    for (int element = 1; element <= 21; ++element)
        form_->Text1[element]->clear();
    typeRow(1, row1[0], row1[1], row1[2]);
    form_->Command6->click();

    QCOMPARE(form_->Text2->text(), sheetAfter);
    for (int element = 1; element <= 21; ++element)
        QCOMPARE(form_->Text1[element]->text(), QString());
}

void TestForm1Sheet::commitOfUntouchedPageEmptiesTheGrid()
{
    form_->Command6->click();
    QCOMPARE(form_->Text2->text(), repeated(kUntouchedLine, 7));
    for (int element = 1; element <= 21; ++element)
        QVERIFY(form_->Text1[element]->text().isEmpty());
    QVERIFY(form_->Text1[0]->isHidden());
}

void TestForm1Sheet::twoCommitsInARow()
{
    form_->Command6->click();
    form_->Command6->click();
    QCOMPARE(form_->Text2->text(), repeated(kUntouchedLine, 7) + repeated(u"[][]\r\n"_s, 7));
}

void TestForm1Sheet::lineBreaksTypedInTheSheetAreCrLf()
{
    form_->Text2->setFocus();
    QTest::keyClicks(form_->Text2, u"ab"_s);
    QTest::keyClick(form_->Text2, Qt::Key_Return);
    QTest::keyClicks(form_->Text2, u"cd"_s);
    QCOMPARE(form_->Text2->text(), u"ab\r\ncd"_s);
    form_->Command6->click();
    QVERIFY(form_->Text2->text().startsWith(u"ab\r\ncd[此处输入时间1]"_s));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestForm1Sheet test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1sheet.moc"
