// A double click on a line of the sheet moves the real player to the line's first tag, playing or
// paused as it was, on an MP3 made for the test.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "playback/mediaplayer.h"
#include "playback/playercontrols.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <cmath>

using namespace Qt::StringLiterals;

class TestForm1Jump : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void whilePaused_data();
    void whilePaused();
    void whilePlaying();
    void withoutASongNothingHappens();

private:
    void load();
    void doubleClickLine(int line);
    double position() const { return m_form->mp3->controls().currentPosition(); }

    MediaFixtures m_fixtures;
    QString m_song;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

namespace {

const QString kSheet = u"[ti:测试]\r\n[00:01.00]一\r\n[00:05.5][00:07.00]二\r\n无标签的一行\r\n[]\r\n"
                       u"  [00:09.125]三\r\n[00:02]四"_s;

} // namespace

void TestForm1Jump::initTestCase()
{
    m_song = m_fixtures.tone(u"跳转.mp3"_s, 12);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestForm1Jump::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
    m_form->mp3->setAudioDriver(u"null"_s);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->Text2->setText(kSheet);
}

void TestForm1Jump::cleanup()
{
    delete m_form;
}

void TestForm1Jump::load()
{
    m_prompts.fileAnswers << m_song;
    m_form->载入歌曲->trigger();
    QTRY_VERIFY(m_form->Command1->isEnabled());
}

// The sheet box is one line high: the line is scrolled into view first, as the user would.
void TestForm1Jump::doubleClickLine(int line)
{
    SheetBox* sheet = m_form->Text2;
    QTextCursor cursor(sheet->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock);
    sheet->setTextCursor(cursor);
    sheet->ensureCursorVisible();
    const QRect at = sheet->cursorRect(cursor);
    QVERIFY(sheet->viewport()->rect().contains(at.center()));
    QTest::mouseDClick(sheet->viewport(), Qt::LeftButton, {}, at.center() - QPoint(4, 0));
}

void TestForm1Jump::whilePaused_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<double>("expected"); // -1: the position stays
    QTest::newRow("hundredths") << 1 << 1.0;
    QTest::newRow("the first of two tags, tenths") << 2 << 5.5;
    QTest::newRow("thousandths, after blanks") << 5 << 9.125;
    QTest::newRow("whole seconds") << 6 << 2.0;
    QTest::newRow("a header line") << 0 << -1.0;
    QTest::newRow("a line without a tag") << 3 << -1.0;
    QTest::newRow("an empty tag") << 4 << -1.0;
}

void TestForm1Jump::whilePaused()
{
    QFETCH(int, line);
    QFETCH(double, expected);
    load();
    m_form->Command1->click();
    QTRY_VERIFY(position() > 0.2);
    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    const double paused = position();

    doubleClickLine(line);
    const double jumped = position();
    // Within a millisecond: no ear tells that apart.
    QVERIFY2(std::abs(jumped - (expected < 0 ? paused : expected)) < 0.001, qPrintable(QString::number(jumped)));
    // Still paused, where it jumped to.
    QTest::qWait(200);
    QCOMPARE(position(), jumped);
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    QVERIFY(m_prompts.errors.isEmpty());
    QCOMPARE(m_prompts.messages.size(), 1);
}

void TestForm1Jump::whilePlaying()
{
    load();
    m_form->Command1->click();
    QTRY_VERIFY_WITH_TIMEOUT(position() > 6.0, 15000);

    // Back to [00:05.5]: playback goes on from there.
    doubleClickLine(2);
    const double jumped = position();
    QVERIFY2(jumped > 5.499 && jumped < 6.0, qPrintable(QString::number(jumped)));
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QTRY_VERIFY(position() > jumped);

    // Forward to [00:09.125].
    doubleClickLine(5);
    const double forward = position();
    QVERIFY2(forward > 9.124 && forward < 12.0, qPrintable(QString::number(forward)));
    QTRY_VERIFY(position() > forward);
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QVERIFY(m_prompts.errors.isEmpty());
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestForm1Jump::withoutASongNothingHappens()
{
    doubleClickLine(1);
    QCOMPARE(position(), 0.0);
    QVERIFY(m_prompts.errors.isEmpty());
    QVERIFY(m_prompts.messages.isEmpty());
}

LRC_TEST_MAIN(TestForm1Jump)

#include "tst_form1jump.moc"
