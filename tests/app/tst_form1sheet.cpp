// Committing lyric pages into the sheet and exporting the sheet, through the main window's buttons.
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "app/sheetbox.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    void closeAsksOnlyWithUnsavedWork_data();
    void closeAsksOnlyWithUnsavedWork();
    void closeQuestionInTheRealBox();

private:
    void typeRow(int row, const QString& tag1, const QString& tag2, const QString& line);
    void commitOneLine();
    QStringList gridTexts() const;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
    QTemporaryDir m_dir;
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
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestForm1Sheet::cleanup()
{
    delete m_form;
}

void TestForm1Sheet::typeRow(int row, const QString& tag1, const QString& tag2, const QString& line)
{
    m_form->Text1[3 * row - 2]->setText(tag1);
    m_form->Text1[3 * row - 1]->setText(tag2);
    m_form->Text1[3 * row]->setText(line);
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
    QTest::newRow("last sheet line continued")
        << u"没有换行"_s << QStringList{u"1"_s, u"2"_s, u"3"_s} << u"没有换行[1][2]3\r\n"_s + emptyRest;
}

void TestForm1Sheet::commit()
{
    QFETCH(QString, sheetBefore);
    QFETCH(QStringList, row1);
    QFETCH(QString, sheetAfter);

    m_form->Text2->setText(sheetBefore);
    for (int element = 1; element <= 21; ++element)
        m_form->Text1[element]->clear();
    typeRow(1, row1[0], row1[1], row1[2]);
    m_form->Command6->click();

    QCOMPARE(m_form->Text2->text(), sheetAfter);
    for (int element = 1; element <= 21; ++element)
        QCOMPARE(m_form->Text1[element]->text(), QString());
}

void TestForm1Sheet::commitOfUntouchedPageEmptiesTheGrid()
{
    m_form->Command6->click();
    QCOMPARE(m_form->Text2->text(), repeated(kUntouchedLine, 7));
    for (int element = 1; element <= 21; ++element)
        QVERIFY(m_form->Text1[element]->text().isEmpty());
    QVERIFY(m_form->Text1[0]->isHidden());
}

void TestForm1Sheet::twoCommitsInARow()
{
    m_form->Command6->click();
    m_form->Command6->click();
    QCOMPARE(m_form->Text2->text(), repeated(kUntouchedLine, 7) + repeated(u"[][]\r\n"_s, 7));
}

void TestForm1Sheet::lineBreaksTypedInTheSheetAreCrLf()
{
    m_form->Text2->setFocus();
    QTest::keyClicks(m_form->Text2, u"ab"_s);
    QTest::keyClick(m_form->Text2, Qt::Key_Return);
    QTest::keyClicks(m_form->Text2, u"cd"_s);
    QCOMPARE(m_form->Text2->text(), u"ab\r\ncd"_s);
    m_form->Command6->click();
    QVERIFY(m_form->Text2->text().startsWith(u"ab\r\ncd[此处输入时间1]"_s));
}

void TestForm1Sheet::commitOneLine()
{
    for (int element = 1; element <= 21; ++element)
        m_form->Text1[element]->clear();
    typeRow(1, u"00:01.00"_s, QString(), u"第一句[]"_s);
    m_form->Command6->click();
}

QStringList TestForm1Sheet::gridTexts() const
{
    QStringList texts;
    for (int element = 1; element <= 21; ++element)
        texts << m_form->Text1[element]->text();
    return texts;
}

void TestForm1Sheet::closeAsksOnlyWithUnsavedWork_data()
{
    QTest::addColumn<QString>("work");
    // 退出程序, or the window's own close, which the caption bar and the window manager call.
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closed");
    QTest::newRow("hints standing") << u"none"_s << true << false << false << true;
    QTest::newRow("boxes emptied by hand") << u"cleared"_s << false << false << false << true;
    QTest::newRow("page committed, 退出") << u"committed"_s << true << true << true << true;
    QTest::newRow("page committed, 取消") << u"committed"_s << false << false << true << false;
    QTest::newRow("a lyric typed, 取消") << u"typed"_s << true << false << true << false;
    QTest::newRow("exported") << u"exported"_s << false << false << false << true;
    QTest::newRow("export cancelled") << u"export cancelled"_s << true << false << true << false;
    QTest::newRow("typed after export") << u"typed after export"_s << false << false << true << false;
}

void TestForm1Sheet::closeAsksOnlyWithUnsavedWork()
{
    QFETCH(QString, work);
    QFETCH(bool, fromMenu);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closed);

    if (work == u"cleared"_s) {
        for (int element = 1; element <= 21; ++element)
            m_form->Text1[element]->clear();
    } else if (work == u"typed"_s) {
        m_form->Text1[3]->clear();
        QTest::keyClicks(m_form->Text1[3], u"la la"_s);
    } else if (work != u"none"_s) {
        commitOneLine();
    }
    if (work.startsWith(u"export"_s) || work == u"typed after export"_s) {
        m_prompts.fileAnswers << (work == u"export cancelled"_s ? QString() : m_dir.filePath(u"saved.lrc"_s));
        m_form->Command7->click();
        QVERIFY(m_prompts.errors.isEmpty());
    }
    if (work == u"typed after export"_s) {
        m_form->Text2->moveCursor(QTextCursor::End);
        QTest::keyClicks(m_form->Text2, u"x"_s);
    }
    const QString sheet = m_form->Text2->text();
    const QStringList grid = gridTexts();

    m_prompts.confirmAnswers << answer;
    if (fromMenu)
        m_form->closeItem->trigger();
    else
        m_form->close();

    QCOMPARE(m_form->isVisible(), !closed);
    QCOMPARE(m_prompts.questions.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_prompts.questions[0].title, u"LRC晓韵星舟"_s);
        QCOMPARE(m_prompts.questions[0].text, u"歌词还没有生成LRC文件，退出后将会丢失。确定要退出吗？"_s);
    }
    if (!closed) {
        QCOMPARE(m_form->Text2->text(), sheet);
        QCOMPARE(gridTexts(), grid);
    }
}

// The real box: its buttons, 取消 as the default and as Escape's answer, then 退出.
void TestForm1Sheet::closeQuestionInTheRealBox()
{
    DialogPrompts realPrompts;
    QPointer<Form1> form = new Form1(realPrompts);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->Command6->click();

    QStringList seen;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        buttons.sort();
        seen << box->windowTitle() + u'|' + box->text() + u'|' + buttons.join(u',') + u'|'
                + box->defaultButton()->text();
        if (seen.size() == 1) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == u"退出"_s)
                button->click();
        }
        user.stop();
    });
    user.start();
    QVERIFY(!form->close());
    QCOMPARE(seen.size(), 1);
    QVERIFY(form->isVisible());
    QVERIFY(form->close());
    const QString expected = u"LRC晓韵星舟|歌词还没有生成LRC文件，退出后将会丢失。确定要退出吗？|取消,退出|取消"_s;
    QCOMPARE(seen, (QStringList{expected, expected}));
    QTRY_VERIFY(form.isNull());
}

LRC_TEST_MAIN(TestForm1Sheet)

#include "tst_form1sheet.moc"
