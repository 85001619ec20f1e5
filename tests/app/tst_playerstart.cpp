// The player starts after the main window is on the screen: a song chosen before it is ready
// waits for it, and a player that cannot start is reported and ends the program. In a process of
// its own, so that libmpv is not loaded yet when the first test begins.
#include "app/form1.h"
#include "common/usererror.h"
#include "playback/mediaplayer.h"
#include "playback/playercontrols.h"
#include "skin/skinlabel.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

class TestPlayerStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void songChosenBeforeThePlayerIsReadyWaitsForIt();
    void playerThatCannotStartIsReportedAndEndsTheProgram();

private:
    MediaFixtures m_fixtures;
    QString m_song;
};

void TestPlayerStart::initTestCase()
{
    m_song = m_fixtures.withId3v2Title(u"早 选.mp3"_s, u"早选的歌"_s, MediaFixtures::TextEncoding::Utf16, 4);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestPlayerStart::songChosenBeforeThePlayerIsReadyWaitsForIt()
{
    ScriptedPrompts prompts;
    const auto form = std::make_unique<Form1>(prompts);
    form->mp3->setAudioDriver(u"null"_s);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // Runs the start that the first frame queued: the worker is now loading libmpv, which takes
    // tens of milliseconds, and its end is only seen from the event loop.
    QCoreApplication::processEvents();
    QVERIFY(!form->mp3->isStarted());

    prompts.fileAnswers << m_song;
    form->载入歌曲->trigger();
    QVERIFY(form->mp3->isStarted());
    QCOMPARE(form->mp3->URL(), m_song);
    QCOMPARE(form->SkinLabel2->text(), u"早选的歌"_s);
    QTRY_VERIFY(form->Command1->isEnabled());
    form->Command1->click();
    QTRY_VERIFY(form->mp3->controls().currentPosition() > 0.2);
    QVERIFY(prompts.errors.isEmpty());
}

void TestPlayerStart::playerThatCannotStartIsReportedAndEndsTheProgram()
{
    ScriptedPrompts prompts;
    const auto form = std::make_unique<Form1>(prompts);
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->mp3->setLibraryName(u"libmpv-不存在.so.2"_s);
    form->show();
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(20000);
    // The event loop the program runs: the window shows, then the report, then the end.
    QCOMPARE(QApplication::exec(), 1);
    QVERIFY(form->isVisible());
    QCOMPARE(prompts.errors.size(), 1);
    QCOMPARE(prompts.errors[0].title, u"启动"_s);
    QVERIFY2(prompts.errors[0].text.startsWith(u"无法启动播放器：无法载入播放器库“libmpv-不存在.so.2”："_s),
             qPrintable(prompts.errors[0].text));
    QVERIFY_THROWS_EXCEPTION(UserError, form->mp3->controls());
}

LRC_TEST_MAIN(TestPlayerStart)

#include "tst_playerstart.moc"
