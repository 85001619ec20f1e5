// Loading a song, the play/pause toggle with its readout, and the seek and volume steps,
// through the main window's handlers and the real player on MP3 files made for the test.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "playback/mediaplayer.h"
#include "playback/playerdisplay.h"
#include "playback/positionreadout.h"
#include "skin/skinlabel.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class TestForm1Playback : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void loadEnablesTransportAtNextTickAndStaysStopped();
    void loadedTitle_data();
    void loadedTitle();
    void cancelChangesNothing();
    void cancelAfterALoadKeepsTheSong();
    void firstClickPlaysSecondPausesWithReadout();
    void playFailureLeavesTheCaption();
    void seekSteps();
    void seekClampsAtBothEnds();
    void volumeStepsClamp();
    void secondSongWhilePlayingStopsIt();
    void brokenFileIsLoadedQuietlyAndPlayReportsIt();
    void stripShowsTheSheetLineAfterSeeksAndEdits();

private:
    void load(const QString& path);
    double positionAfter(int milliseconds);
    QList<QPushButton*> transport() const;
    QImage stripShown() const;
    QImage stripExpected(const std::optional<LyricMoment>& lyric) const;

    MediaFixtures m_fixtures;
    QString m_song;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

void TestForm1Playback::initTestCase()
{
    m_song = m_fixtures.withId3v2Title(u"歌 曲/第一 首.mp3"_s, u"测试歌曲"_s, MediaFixtures::TextEncoding::Utf16, 8);
    QVERIFY2(!m_song.isEmpty(), qPrintable(m_fixtures.error()));
}

void TestForm1Playback::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
    m_form->mp3->setAudioDriver(u"null"_s);
    m_form->show();
}

void TestForm1Playback::cleanup()
{
    delete m_form;
}

QList<QPushButton*> TestForm1Playback::transport() const
{
    return {m_form->Command1, m_form->Command2, m_form->Command3, m_form->Command4, m_form->Command5};
}

void TestForm1Playback::load(const QString& path)
{
    m_prompts.fileAnswers << path;
    m_form->载入歌曲->trigger();
    // The buttons are enabled by the next tick of Timer1; clicks on them count only from then on.
    if (!path.isEmpty())
        QTRY_VERIFY(m_form->Command5->isEnabled());
}

double TestForm1Playback::positionAfter(int milliseconds)
{
    QTest::qWait(milliseconds);
    return m_form->mp3->controls().currentPosition();
}

void TestForm1Playback::loadEnablesTransportAtNextTickAndStaysStopped()
{
    QTest::qWait(20);
    for (QPushButton* button : transport())
        QVERIFY(!button->isEnabled());

    load(m_song);
    QCOMPARE(m_prompts.askedFilters,
             QStringList{u"Mp3文件|*.mp3|所有音频文件|*.mp3 *.flac *.m4a *.aac *.ogg *.opus *.wav *.ape *.wma"_s});
    QCOMPARE(m_form->mp3->URL(), m_song);
    QCOMPARE(m_form->SkinLabel2->text(), u"测试歌曲"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_form->Command5->isEnabled(), 1000);
    for (QPushButton* button : transport())
        QVERIFY(button->isEnabled());
    QCOMPARE(m_form->mp3->controls().currentPosition(), 0.0);
    QCOMPARE(positionAfter(150), 0.0);
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    QVERIFY(m_prompts.errors.isEmpty());
}

void TestForm1Playback::loadedTitle_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file name without extension") << u"untagged"_s << u"我的 歌"_s;
    QTest::newRow("ID3v1 title in GBK bytes") << u"gbk"_s << u"月光"_s;
}

void TestForm1Playback::loadedTitle()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    const QString path = kind == u"untagged"_s
        ? m_fixtures.tone(u"目录 名/我的 歌.mp3"_s, 2)
        : m_fixtures.withId3v1Title(u"gbk.mp3"_s, QByteArray("\xd4\xc2\xb9\xe2"));
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));
    load(path);
    QCOMPARE(m_form->SkinLabel2->text(), expected);
}

void TestForm1Playback::cancelChangesNothing()
{
    load(QString());
    QCOMPARE(m_form->mp3->URL(), QString());
    QCOMPARE(m_form->SkinLabel2->text(), u"歌曲信息(尚未载入歌曲)"_s);
    QTest::qWait(30);
    for (QPushButton* button : transport())
        QVERIFY(!button->isEnabled());
    QVERIFY(m_prompts.errors.isEmpty());
}

void TestForm1Playback::cancelAfterALoadKeepsTheSong()
{
    load(m_song);
    m_form->Command1->click();
    const double playing = positionAfter(200);
    QVERIFY(playing > 0.0);
    load(QString());
    QCOMPARE(m_form->mp3->URL(), m_song);
    QCOMPARE(m_form->SkinLabel2->text(), u"测试歌曲"_s);
    // Cancel stops nothing: the song plays on.
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > playing);
}

void TestForm1Playback::firstClickPlaysSecondPausesWithReadout()
{
    load(m_song);
    QTRY_VERIFY(m_form->Command1->isEnabled());

    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QVERIFY(m_prompts.messages.isEmpty());
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > 0.3);

    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    QCOMPARE(m_prompts.messages.size(), 1);
    QCOMPARE(m_prompts.messages[0].title, u"当前时刻"_s);
    const double paused = m_form->mp3->controls().currentPosition();
    QCOMPARE(m_prompts.messages[0].text, positionReadout(paused));
    QVERIFY(m_prompts.messages[0].text.startsWith(u"0:0:"_s));
    QCOMPARE(positionAfter(150), paused);

    // The next click resumes from where it paused.
    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QVERIFY(m_form->mp3->controls().currentPosition() >= paused);
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > paused);
    QVERIFY(m_prompts.errors.isEmpty());
}

void TestForm1Playback::playFailureLeavesTheCaption()
{
    const QString broken = m_fixtures.randomBytes(u"坏的.mp3"_s);
    load(broken);
    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_prompts.errors[0].title, u"播放/暂停"_s);
    QVERIFY2(!m_prompts.errors[0].text.isEmpty(), "the reason is reported");
}

void TestForm1Playback::seekSteps()
{
    load(m_song);
    double expected = 0.0;
    for (int click = 0; click < 5; ++click) {
        m_form->Command2->click();
        expected += 1.0;
        QCOMPARE(m_form->mp3->controls().currentPosition(), expected);
    }
    m_form->Command3->click();
    QCOMPARE(m_form->mp3->controls().currentPosition(), expected - 1.0);

    // While playing, each step lands one second past the position read just before it.
    // It can be further on by no more than the wall clock ran between the two reads.
    m_form->Command1->click();
    for (int click = 0; click < 3; ++click) {
        QElapsedTimer between;
        between.start();
        const double before = m_form->mp3->controls().currentPosition();
        m_form->Command2->click();
        const double after = m_form->mp3->controls().currentPosition();
        const double ran = double(between.nsecsElapsed()) / 1e9;
        QVERIFY2(after >= before + 0.999 && after <= before + 1.001 + ran,
                 qPrintable(u"%1 -> %2 in %3 s"_s.arg(before).arg(after).arg(ran)));
    }
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestForm1Playback::seekClampsAtBothEnds()
{
    load(m_song);
    m_form->mp3->controls().setCurrentPosition(0.4);
    m_form->Command3->click();
    QCOMPARE(m_form->mp3->controls().currentPosition(), 0.0);

    m_form->mp3->controls().setCurrentPosition(7.5);
    m_form->Command2->click();
    const double end = m_form->mp3->controls().currentPosition();
    QVERIFY2(end > 7.5 && end <= 8.1, qPrintable(QString::number(end)));
    QVERIFY(m_prompts.errors.isEmpty());
}

void TestForm1Playback::volumeStepsClamp()
{
    load(m_song);
    QCOMPARE(m_form->mp3->settings().volume(), 50);
    const QList<int> upwards = {55, 60, 65, 70, 75, 80, 85, 90, 95, 100, 100};
    for (int expected : upwards) {
        m_form->Command4->click();
        QCOMPARE(m_form->mp3->settings().volume(), expected);
        QCOMPARE(m_form->mp3->accessibleDescription(), u"位置 00:00.00 / 时长 00:08.10 / 音量 %1"_s.arg(expected));
    }
    for (int click = 0; click < 20; ++click)
        m_form->Command5->click();
    QCOMPARE(m_form->mp3->settings().volume(), 0);
    m_form->Command5->click();
    QCOMPARE(m_form->mp3->settings().volume(), 0);
    QCOMPARE(m_form->mp3->accessibleDescription(), u"位置 00:00.00 / 时长 00:08.10 / 音量 0"_s);
    m_form->Command4->click();
    QCOMPARE(m_form->mp3->settings().volume(), 5);
    QCOMPARE(m_form->mp3->accessibleDescription(), u"位置 00:00.00 / 时长 00:08.10 / 音量 5"_s);
    QCOMPARE(stripShown(), stripExpected(std::nullopt));
}

void TestForm1Playback::secondSongWhilePlayingStopsIt()
{
    const QString second
        = m_fixtures.withId3v2Title(u"second.mp3"_s, u"第二首"_s, MediaFixtures::TextEncoding::Utf8, 4);
    load(m_song);
    m_form->Command1->click();
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > 0.2);

    load(second);
    QCOMPARE(m_form->SkinLabel2->text(), u"第二首"_s);
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QCOMPARE(positionAfter(150), 0.0);

    // The caption still says 暂停, so the next click takes the pause branch on the stopped player.
    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    QCOMPARE(m_prompts.messages.size(), 1);
    QCOMPARE(m_prompts.messages[0].text, u"0:0:0"_s);
}

void TestForm1Playback::brokenFileIsLoadedQuietlyAndPlayReportsIt()
{
    load(m_song);
    const QString broken = m_fixtures.truncatedHeader(u"截断.mp3"_s);
    load(broken);
    QVERIFY(m_prompts.errors.isEmpty());
    QCOMPARE(m_form->mp3->URL(), broken);
    // Not the song before: the file the player's error will be about.
    QCOMPARE(m_form->SkinLabel2->text(), u"截断"_s);
    QTRY_VERIFY(m_form->Command1->isEnabled());

    m_form->Command1->click();
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    // The program carries on: a good song loads and plays again.
    load(m_song);
    m_form->Command1->click();
    QCOMPARE(m_form->Command1->text(), u"暂停"_s);
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > 0.1);
}

// The player's strip as the window shows it, inside its border (whose antialiased corners show
// what lies under the player).
QImage TestForm1Playback::stripShown() const
{
    const QRect strip = m_form->mp3->displayRect();
    return m_form->mp3->grab(strip)
        .toImage()
        .convertToFormat(QImage::Format_RGB32)
        .copy(1, 1, strip.width() - 2, strip.height() - 2);
}

// The strip painted afresh for the paused player's position with this lyric.
QImage TestForm1Playback::stripExpected(const std::optional<LyricMoment>& lyric) const
{
    const MediaPlayer& player = *m_form->mp3;
    QImage image(player.displayRect().size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(player.font());
    paintPlayerDisplay(painter, image.rect(), player.palette(),
                       {u"测试歌曲"_s, u"已暂停"_s, m_form->mp3->controls().currentPosition(), m_form->mp3->duration(),
                        lyric, m_form->mp3->settings().volume()});
    return image.copy(1, 1, image.width() - 2, image.height() - 2);
}

void TestForm1Playback::stripShowsTheSheetLineAfterSeeksAndEdits()
{
    load(m_song);
    const QStringList page = {u"00:01.00"_s, u""_s,         u"第一句"_s, u"00:03.00"_s, u"00:06.00"_s,
                              u"第二句"_s,   u"00:05.00"_s, u""_s,       u"第三句"_s};
    for (int element = 1; element <= 21; ++element)
        m_form->Text1[element]->setText(page.value(element - 1));
    m_form->Command6->click();
    QCOMPARE(stripShown(), stripExpected(std::nullopt));

    const std::pair<double, LyricMoment> seeks[]
        = {{1.0, {u"第一句"_s, u"第二句"_s}}, {5.5, {u"第三句"_s, u"第二句"_s}}, {6.5, {u"第二句"_s, u""_s}}};
    for (const auto& [seconds, shown] : seeks) {
        m_form->mp3->controls().setCurrentPosition(seconds);
        QCOMPARE(stripShown(), stripExpected(shown));
        QVERIFY(stripShown() != stripExpected(std::nullopt));
    }
    QTRY_COMPARE(m_form->mp3->accessibleDescription(), u"位置 00:06.50 / 时长 00:08.10 / 音量 50 / 歌词 第二句"_s);

    // Typed at the end of the sheet (the words through the input method): shown at once, in place.
    m_form->Text2->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_form->Text2, u"[00:06.20]"_s);
    QInputMethodEvent words;
    words.setCommitString(u"新的一句"_s);
    QApplication::sendEvent(m_form->Text2, &words);
    QCOMPARE(stripShown(), stripExpected(LyricMoment{u"新的一句"_s, u""_s}));
}

LRC_TEST_MAIN(TestForm1Playback)

#include "tst_form1playback.moc"
