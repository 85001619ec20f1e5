// F9 from anywhere: real key events through XTest on a virtual X server, real message boxes.
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/testmain.h"
#include "support/xtestkeyboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <X11/keysym.h>

#include <functional>

using namespace Qt::StringLiterals;

// Real message boxes, but the song to load comes from the test, and what was shown is counted.
class SongPrompts : public DialogPrompts
{
public:
    QString song;
    int readouts = 0;
    int errors = 0;
    QString askOpenFile(QWidget*, const QString&) override { return song; }
    void showMessage(QWidget* parent, const QString& text, const QString& title) override
    {
        ++readouts;
        DialogPrompts::showMessage(parent, text, title);
    }
    void showError(QWidget* parent, const QString& action, const QString& reason) override
    {
        ++errors;
        DialogPrompts::showError(parent, action, reason);
    }
};

class TestForm1Hotkey : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void f9BeforeAnySongTogglesWhileTheButtonIsDisabled();
    void togglesOncePerPress_data();
    void togglesOncePerPress();
    void pressWhileTheReadoutIsOpenClosesItAndResumes();
    void unplayableSongNeverStacksBoxes();
    void readoutLeavesTheFocusWithAnotherClient();
    void ctrlCInTheReadoutCopiesItsText();

private:
    // Runs the action from inside the readout's own event loop, once the box is shown.
    void whenReadoutOpens(std::function<void(QMessageBox*)> action);
    void tap(unsigned long keySym);
    QString copiedByCtrlC();
    // The toggles since init, worked out from the readouts shown and the caption.
    int toggles() const;

    MediaFixtures m_fixtures;
    SongPrompts m_prompts;
    QPointer<Form1> m_form;
    XTestKeyboard m_keyboard;
    QTimer m_readoutWatch;
    std::function<void(QMessageBox*)> m_readoutAction;
};

namespace {

QList<QMessageBox*> shownBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}

// Closes what a test left open, from inside whichever box's wait is running.
int closeShownBoxes()
{
    const QList<QMessageBox*> boxes = shownBoxes();
    for (QMessageBox* box : boxes)
        box->done(QMessageBox::Ok);
    return int(boxes.size());
}

} // namespace

void TestForm1Hotkey::initTestCase()
{
    QVERIFY2(m_keyboard.isOpen(), "needs an X server with XTEST");
    m_prompts.song = m_fixtures.tone(u"f9.mp3"_s, 30);
    QVERIFY2(!m_prompts.song.isEmpty(), qPrintable(m_fixtures.error()));
    m_readoutWatch.setInterval(5);
    connect(&m_readoutWatch, &QTimer::timeout, this, [this] {
        for (QMessageBox* box : shownBoxes()) {
            if (box->windowTitle() == u"当前时刻"_s) {
                m_readoutWatch.stop();
                m_readoutAction(box);
                return;
            }
        }
    });
}

void TestForm1Hotkey::init()
{
    m_prompts.readouts = 0;
    m_prompts.errors = 0;
    m_form = new Form1(m_prompts);
    m_form->mp3->setAudioDriver(u"null"_s);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestForm1Hotkey::cleanup()
{
    m_readoutWatch.stop();
    m_keyboard.release(XK_F9);
    delete m_form;
}

void TestForm1Hotkey::whenReadoutOpens(std::function<void(QMessageBox*)> action)
{
    m_readoutAction = std::move(action);
    m_readoutWatch.start();
}

void TestForm1Hotkey::tap(unsigned long keySym)
{
    m_keyboard.press(keySym);
    QTest::qWait(40);
    m_keyboard.release(keySym);
    QTest::qWait(40);
}

int TestForm1Hotkey::toggles() const
{
    return 2 * m_prompts.readouts + (m_form->Command1->text() == u"暂停"_s ? 1 : 0);
}

void TestForm1Hotkey::f9BeforeAnySongTogglesWhileTheButtonIsDisabled()
{
    QVERIFY(!m_form->Command1->isEnabled());
    m_keyboard.press(XK_F9);
    QTRY_COMPARE(m_form->Command1->text(), u"暂停"_s);
    m_keyboard.release(XK_F9);
    QTest::qWait(30);
    QVERIFY(!m_form->Command1->isEnabled());

    QString readout;
    whenReadoutOpens([&](QMessageBox* box) {
        readout = box->text();
        box->accept();
    });
    m_keyboard.press(XK_F9);
    QTRY_COMPARE(readout, u"0:0:0"_s);
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
    m_keyboard.release(XK_F9);
}

// Presses as foot pedals, macro keys and key remappers send them: down and up again at once,
// many in a row, between two ticks of the 1 ms poll; every readout opened on the way is closed by
// the next press. And the program frozen (the test holds its event loop): a press it comes to
// within a second is acted on, one older than that is dropped rather than toggling too late.
void TestForm1Hotkey::togglesOncePerPress_data()
{
    QTest::addColumn<unsigned long>("keySym");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("frozenBeforeMs");
    QTest::addColumn<int>("frozenAfterMs");
    QTest::addColumn<int>("expected");
    const unsigned long f9 = XK_F9;
    QTest::newRow("F9 down and up back to back") << f9 << 1 << 0 << 0 << 0 << 1;
    QTest::newRow("7 back-to-back F9 presses") << f9 << 7 << 0 << 0 << 0 << 7;
    QTest::newRow("F9 held across hundreds of ticks") << f9 << 1 << 400 << 0 << 0 << 1;
    QTest::newRow("F9 pressed 100 ms into a 300 ms freeze") << f9 << 1 << 0 << 100 << 200 << 1;
    QTest::newRow("F9 pressed as a 1.5 s freeze begins") << f9 << 1 << 0 << 0 << 1500 << 0;
    for (const unsigned long other : {XK_F8, XK_F10, XK_a, XK_space})
        QTest::addRow("key 0x%lx", other) << other << 1 << 40 << 0 << 0 << 0;
}

void TestForm1Hotkey::togglesOncePerPress()
{
    QFETCH(unsigned long, keySym);
    QFETCH(int, presses);
    QFETCH(int, holdMs);
    QFETCH(int, frozenBeforeMs);
    QFETCH(int, frozenAfterMs);
    QFETCH(int, expected);
    m_keyboard.focusOwnWindow();
    QTest::qWait(50);
    QThread::msleep(frozenBeforeMs);
    for (int press = 0; press < presses; ++press) {
        m_keyboard.press(keySym);
        if (holdMs > 0)
            QTest::qWait(holdMs);
        m_keyboard.release(keySym);
    }
    QThread::msleep(frozenAfterMs);
    // A toggle too many would leave a readout waiting: close it, from inside its wait, and count it.
    int leftOpen = 0;
    QTimer::singleShot(500, this, [&] { leftOpen = closeShownBoxes(); });
    QTest::qWait(600);
    QCOMPARE(toggles(), expected);
    QCOMPARE(leftOpen, 0);
}

void TestForm1Hotkey::pressWhileTheReadoutIsOpenClosesItAndResumes()
{
    m_form->载入歌曲->trigger();
    QTRY_VERIFY(m_form->Command1->isEnabled());
    tap(XK_F9);
    QTRY_COMPARE(m_form->Command1->text(), u"暂停"_s);
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > 0.3);
    QTest::qWait(30);

    QString readout;
    double pausedAt = -1;
    whenReadoutOpens([&](QMessageBox* box) {
        readout = box->text();
        pausedAt = m_form->mp3->controls().currentPosition();
        // Let go of the pausing press, then press F9 anew while the box is still open.
        m_keyboard.release(XK_F9);
        QTimer::singleShot(30, this, [this] { m_keyboard.press(XK_F9); });
        QTimer::singleShot(80, this, [this] { m_keyboard.release(XK_F9); });
    });
    m_keyboard.press(XK_F9);
    QTRY_VERIFY(!readout.isEmpty());
    QTRY_COMPARE(m_form->Command1->text(), u"暂停"_s);
    QTRY_VERIFY(shownBoxes().isEmpty());
    QVERIFY(readout.startsWith(u"0:0:"_s) || readout.startsWith(u"0:1:"_s));
    QTRY_VERIFY(m_form->mp3->controls().currentPosition() > pausedAt + 0.05);
}

// Each press runs play, which fails on this file: the press closes the last error box before the
// new one opens, also for two presses between two ticks.
void TestForm1Hotkey::unplayableSongNeverStacksBoxes()
{
    m_prompts.song = m_fixtures.randomBytes(u"坏的.mp3"_s);
    m_form->载入歌曲->trigger();
    m_prompts.song = m_fixtures.tone(u"f9.mp3"_s, 30);
    QTRY_VERIFY(m_form->Command1->isEnabled());

    // From a timer, so that the presses go on from inside whichever box's wait is running.
    int round = 0;
    qsizetype mostShown = 0;
    QStringList shownAtEnd;
    QTimer presser;
    connect(&presser, &QTimer::timeout, this, [&] {
        mostShown = std::max(mostShown, shownBoxes().size());
        if (++round > 4) {
            presser.stop();
            for (const QMessageBox* box : shownBoxes())
                shownAtEnd << box->text();
            closeShownBoxes();
            return;
        }
        for (int press = 0; press < 2; ++press) {
            m_keyboard.press(XK_F9);
            m_keyboard.release(XK_F9);
        }
    });
    presser.start(200);
    QTRY_VERIFY_WITH_TIMEOUT(!presser.isActive(), 10000);
    QCOMPARE(shownAtEnd, QStringList{u"播放/暂停失败。"_s});
    QCOMPARE(mostShown, 1);
    QCOMPARE(m_prompts.errors, 8);
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
}

// Another client (a terminal, say) holds the focus under a real window manager: F9 plays,
// F9 pauses and shows the readout over it, F9 closes the readout and resumes, and what the
// user types goes to that client all along.
void TestForm1Hotkey::readoutLeavesTheFocusWithAnotherClient()
{
    // Debian's openbox: a real window manager, with its focus-stealing prevention.
    QProcess openbox;
    openbox.start(u"openbox"_s, {u"--sm-disable"_s});
    QTRY_VERIFY2(m_keyboard.screenIsManaged(), "needs openbox (scripts/deps.sh --tests)");
    // The window manager may hand the focus round while it takes over the windows, later on a busy
    // machine: ask until the other client still has it a moment after.
    const auto focusStaysWithOwnWindow = [&] {
        m_keyboard.focusOwnWindow();
        QTest::qWait(200);
        return m_keyboard.ownWindowHasFocus() && QGuiApplication::applicationState() != Qt::ApplicationActive;
    };
    QTRY_VERIFY_WITH_TIMEOUT(focusStaysWithOwnWindow(), 10000);
    tap(XK_F9);
    QTRY_COMPARE(m_form->Command1->text(), u"暂停"_s);

    bool exposed = false;
    bool focusKept = false;
    whenReadoutOpens([&](QMessageBox* box) {
        exposed = QTest::qWaitForWindowExposed(box);
        // Time for the window manager to act on the new box.
        QTest::qWait(300);
        focusKept = m_keyboard.ownWindowHasFocus() && !box->isActiveWindow();
        m_keyboard.press(XK_F9);
        m_keyboard.release(XK_F9);
    });
    m_keyboard.press(XK_F9);
    m_keyboard.release(XK_F9);
    QTRY_COMPARE(m_prompts.readouts, 1);
    QTRY_COMPARE(m_form->Command1->text(), u"暂停"_s);
    QTRY_VERIFY(shownBoxes().isEmpty());
    QVERIFY(exposed);
    QVERIFY(focusKept);
    QTest::qWait(300);
    QVERIFY(m_keyboard.ownWindowHasFocus());
    QCOMPARE(QApplication::activeWindow(), nullptr);
    openbox.terminate();
    openbox.waitForFinished();
}

// The clipboard's text after Ctrl+C pressed on the real keyboard.
QString TestForm1Hotkey::copiedByCtrlC()
{
    QGuiApplication::clipboard()->clear();
    m_keyboard.press(XK_Control_L);
    tap(XK_c);
    m_keyboard.release(XK_Control_L);
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
    m_form->Command1_Click();
    m_form->Command1_Click();
    QCOMPARE(whole, u"0:0:0"_s);
    QCOMPARE(part, u"0:0"_s);
}

LRC_TEST_MAIN(TestForm1Hotkey)

#include "tst_form1hotkey.moc"
