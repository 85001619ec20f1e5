// F9 from anywhere: real key events through XTest on a virtual X server, real message boxes.
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/xtestkeyboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <X11/keysym.h>

#include <clocale>
#include <functional>

using namespace Qt::StringLiterals;

// Real message boxes, but the song to load comes from the test.
class SongPrompts : public DialogPrompts
{
public:
    QString song;
    QString askOpenFile(QWidget*, const QString&) override { return song; }
};

class TestForm1Hotkey : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void f9BeforeAnySongTogglesWhileTheButtonIsDisabled();
    void f9WorksWhileAnotherClientHasTheFocus();
    void heldPressTogglesOnce();
    void pressWhileTheReadoutIsOpenClosesItAndResumes();
    void otherKeysDoNothing_data();
    void otherKeysDoNothing();
    void ctrlCInTheReadoutCopiesItsText();

private:
    // Runs the action from inside the readout's own event loop, once the box is open.
    void whenReadoutOpens(std::function<void(QMessageBox*)> action);
    void tap(unsigned long keySym);
    QString copiedByCtrlC();

    MediaFixtures fixtures_;
    SongPrompts prompts_;
    QPointer<Form1> form_;
    XTestKeyboard keyboard_;
    QTimer readoutWatch_;
    std::function<void(QMessageBox*)> readoutAction_;
};

void TestForm1Hotkey::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    QVERIFY2(keyboard_.isOpen(), "needs an X server with XTEST");
    prompts_.song = fixtures_.tone(u"f9.mp3"_s, 30);
    QVERIFY2(!prompts_.song.isEmpty(), qPrintable(fixtures_.error()));
    readoutWatch_.setInterval(5);
    connect(&readoutWatch_, &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->windowTitle() != u"当前时刻"_s)
            return;
        readoutWatch_.stop();
        readoutAction_(box);
    });
}

void TestForm1Hotkey::init()
{
    form_ = new Form1(prompts_);
    form_->mp3->setAudioDriver(u"null"_s);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
}

void TestForm1Hotkey::cleanup()
{
    readoutWatch_.stop();
    keyboard_.release(XK_F9);
    delete form_;
}

void TestForm1Hotkey::whenReadoutOpens(std::function<void(QMessageBox*)> action)
{
    readoutAction_ = std::move(action);
    readoutWatch_.start();
}

void TestForm1Hotkey::tap(unsigned long keySym)
{
    keyboard_.press(keySym);
    QTest::qWait(40);
    keyboard_.release(keySym);
    QTest::qWait(40);
}

void TestForm1Hotkey::f9BeforeAnySongTogglesWhileTheButtonIsDisabled()
{
    QVERIFY(!form_->Command1->isEnabled());
    keyboard_.press(XK_F9);
    QTRY_COMPARE(form_->Command1->text(), u"暂停"_s);
    keyboard_.release(XK_F9);
    QTest::qWait(30);
    QVERIFY(!form_->Command1->isEnabled());

    QString readout;
    whenReadoutOpens([&](QMessageBox* box) {
        readout = box->text();
        box->accept();
    });
    keyboard_.press(XK_F9);
    QTRY_COMPARE(readout, u"0:0:0"_s);
    QCOMPARE(form_->Command1->text(), u"播放"_s);
    keyboard_.release(XK_F9);
}

void TestForm1Hotkey::f9WorksWhileAnotherClientHasTheFocus()
{
    keyboard_.focusOwnWindow();
    QTRY_VERIFY(keyboard_.ownWindowHasFocus());
    QTRY_VERIFY(!form_->isActiveWindow());
    tap(XK_F9);
    QTRY_COMPARE(form_->Command1->text(), u"暂停"_s);
    QVERIFY(keyboard_.ownWindowHasFocus());
}

void TestForm1Hotkey::heldPressTogglesOnce()
{
    keyboard_.press(XK_F9);
    QTRY_COMPARE(form_->Command1->text(), u"暂停"_s);
    // Held across hundreds of ticks of the 1 ms poll.
    QTest::qWait(400);
    QCOMPARE(form_->Command1->text(), u"暂停"_s);
    keyboard_.release(XK_F9);
    QTest::qWait(50);
    QCOMPARE(form_->Command1->text(), u"暂停"_s);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestForm1Hotkey::pressWhileTheReadoutIsOpenClosesItAndResumes()
{
    form_->载入歌曲->trigger();
    QTRY_VERIFY(form_->Command1->isEnabled());
    tap(XK_F9);
    QTRY_COMPARE(form_->Command1->text(), u"暂停"_s);
    QTRY_VERIFY(form_->mp3->controls().currentPosition() > 0.3);
    QTest::qWait(30);

    QString readout;
    double pausedAt = -1;
    whenReadoutOpens([&](QMessageBox* box) {
        readout = box->text();
        pausedAt = form_->mp3->controls().currentPosition();
        // Let go of the pausing press, then press F9 anew while the box is still open.
        keyboard_.release(XK_F9);
        QTimer::singleShot(30, this, [this] { keyboard_.press(XK_F9); });
        QTimer::singleShot(80, this, [this] { keyboard_.release(XK_F9); });
    });
    keyboard_.press(XK_F9);
    QTRY_VERIFY(!readout.isEmpty());
    QTRY_COMPARE(form_->Command1->text(), u"暂停"_s);
    QTRY_COMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(readout.startsWith(u"0:0:"_s) || readout.startsWith(u"0:1:"_s));
    QTRY_VERIFY(form_->mp3->controls().currentPosition() > pausedAt + 0.05);
}

void TestForm1Hotkey::otherKeysDoNothing_data()
{
    QTest::addColumn<unsigned long>("keySym");
    QTest::newRow("F8") << static_cast<unsigned long>(XK_F8);
    QTest::newRow("F10") << static_cast<unsigned long>(XK_F10);
    QTest::newRow("a") << static_cast<unsigned long>(XK_a);
    QTest::newRow("space") << static_cast<unsigned long>(XK_space);
}

void TestForm1Hotkey::otherKeysDoNothing()
{
    QFETCH(unsigned long, keySym);
    keyboard_.focusOwnWindow();
    tap(keySym);
    QTest::qWait(50);
    QCOMPARE(form_->Command1->text(), u"播放"_s);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

// The clipboard's text after Ctrl+C pressed on the real keyboard.
QString TestForm1Hotkey::copiedByCtrlC()
{
    QGuiApplication::clipboard()->clear();
    keyboard_.press(XK_Control_L);
    tap(XK_c);
    keyboard_.release(XK_Control_L);
    const auto copied = [] { return QGuiApplication::clipboard()->text(); };
    return QTest::qWaitFor([&] { return !copied().isEmpty(); }, 1000) ? copied() : QString();
}

// Without a selection the box's whole text, with one just the part dragged over.
void TestForm1Hotkey::ctrlCInTheReadoutCopiesItsText()
{
    QString whole;
    QString part;
    whenReadoutOpens([&](QMessageBox* box) {
        box->activateWindow();
        if (!QTest::qWaitForWindowActive(box))
            return box->reject();
        whole = copiedByCtrlC();
        auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
        const QFontMetrics metrics = label->fontMetrics();
        const QPoint from = label->contentsRect().topLeft() + QPoint(1, metrics.height() / 2);
        const QPoint to = from + QPoint(metrics.horizontalAdvance(u"0:0"_s), 0);
        QTest::mousePress(label, Qt::LeftButton, {}, from);
        QTest::mouseMove(label, to);
        QTest::mouseRelease(label, Qt::LeftButton, {}, to);
        part = copiedByCtrlC();
        box->accept();
    });
    // Nothing is loaded: the readout shows the start.
    form_->Command1_Click();
    form_->Command1_Click();
    QCOMPARE(whole, u"0:0:0"_s);
    QCOMPARE(part, u"0:0"_s);
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestForm1Hotkey test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1hotkey.moc"
