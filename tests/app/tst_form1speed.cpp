// The menu 工具 > 播放速度 of the main window, with the real player on a private PulseAudio server:
// the rate chosen, the readout of a pause at half speed, 快进 steps in the song's time.
#include "app/form1.h"
#include "app/speedmenu.h"
#include "playback/mediaplayer.h"
#include "playback/positionreadout.h"
#include "support/mediafixtures.h"
#include "support/pulseserver.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class TestForm1Speed : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void menuBetweenFileAndHelp();
    void choosingARate_data();
    void choosingARate();
    void pauseAtHalfSpeedReadsWhatIsHeld();

private:
    QAction* item(const QString& text) const;
    void load(const QString& path);

    PulseServer m_server;
    MediaFixtures m_fixtures;
    QString m_song;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

void TestForm1Speed::initTestCase()
{
    const QString why = m_server.start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    m_song = m_fixtures.withId3v2Title(u"慢 歌.mp3"_s, u"慢歌"_s, MediaFixtures::TextEncoding::Utf8, 10);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestForm1Speed::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
    m_form->show();
}

void TestForm1Speed::cleanup()
{
    delete m_form;
}

QAction* TestForm1Speed::item(const QString& text) const
{
    for (QAction* action : m_form->播放速度->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void TestForm1Speed::load(const QString& path)
{
    m_prompts.fileAnswers << path;
    m_form->载入歌曲->trigger();
    QTRY_VERIFY(m_form->Command1->isEnabled());
}

// Every start: 1倍 checked, the three rates in order, one checked at a time.
void TestForm1Speed::menuBetweenFileAndHelp()
{
    const QList<QAction*> bar = m_form->menuBar->actions();
    QCOMPARE(bar.size(), 4);
    QCOMPARE(bar[1]->text(), u"工具"_s);
    QCOMPARE(bar[1]->menu(), m_form->工具);
    QCOMPARE(m_form->工具->actions().last()->menu(), m_form->播放速度);
    QCOMPARE(m_form->播放速度->title(), u"播放速度"_s);
    QStringList texts;
    QStringList checked;
    for (QAction* action : m_form->播放速度->actions()) {
        texts << action->text();
        QVERIFY(action->isCheckable());
        if (action->isChecked())
            checked << action->text();
    }
    QCOMPARE(texts, (QStringList{u"0.5倍"_s, u"0.75倍"_s, u"1倍"_s}));
    QCOMPARE(checked, QStringList{u"1倍"_s});
    QCOMPARE(m_form->播放速度->rate(), 1.0);
}

void TestForm1Speed::choosingARate_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<double>("rate");
    QTest::newRow("half") << QStringList{u"0.5倍"_s} << 0.5;
    QTest::newRow("three quarters") << QStringList{u"0.75倍"_s} << 0.75;
    QTest::newRow("half, then back to 1") << QStringList{u"0.5倍"_s, u"1倍"_s} << 1.0;
    QTest::newRow("the checked one again") << QStringList{u"0.75倍"_s, u"0.75倍"_s} << 0.75;
}

// Only the last chosen is checked; the player plays at its rate, before a song is loaded and
// for every song loaded after.
void TestForm1Speed::choosingARate()
{
    QFETCH(QStringList, chosen);
    QFETCH(double, rate);
    for (const QString& text : chosen) {
        QAction* action = item(text);
        QVERIFY(action);
        action->trigger();
    }
    for (QAction* action : m_form->播放速度->actions())
        QCOMPARE(action->isChecked(), action->text() == chosen.last());
    QCOMPARE(m_form->mp3->settings().rate(), rate);
    load(m_song);
    QCOMPARE(m_form->mp3->settings().rate(), rate);
    load(m_song);
    QCOMPARE(m_form->mp3->settings().rate(), rate);
    QVERIFY(m_prompts.errors.isEmpty());
}

// The readout is the position the pause held, which the player reads again unchanged; 快进 then
// moves one second of the song, not of the clock.
void TestForm1Speed::pauseAtHalfSpeedReadsWhatIsHeld()
{
    item(u"0.5倍"_s)->trigger();
    load(m_song);
    m_form->Command1->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_form->mp3->controls().currentPosition() > 0.5, 20000);
    m_form->Command1->click();
    QCOMPARE(m_prompts.messages.size(), 1);
    const double held = m_form->mp3->controls().currentPosition();
    QCOMPARE(m_prompts.messages[0].text, positionReadout(held));
    QTest::qWait(300);
    QCOMPARE(m_form->mp3->controls().currentPosition(), held);

    m_form->Command2->click();
    QVERIFY2(qAbs(m_form->mp3->controls().currentPosition() - (held + 1.0)) < 0.001,
             qPrintable(QString::number(m_form->mp3->controls().currentPosition())));
    QVERIFY(m_prompts.errors.isEmpty());
}

LRC_TEST_MAIN(TestForm1Speed)
#include "tst_form1speed.moc"
