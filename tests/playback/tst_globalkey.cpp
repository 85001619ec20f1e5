// Tests of GlobalKey: real key events through XTest on the test's own virtual X server.
#include "playback/globalkey.h"
#include "support/xtestkeyboard.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <X11/keysym.h>

#include <memory>

using namespace Qt::StringLiterals;
using Source = GlobalKey::Source;

class TestGlobalKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void mechanism();
    void followsPressAndRelease_data();
    void followsPressAndRelease();
    void focusElsewhere_data();
    void focusElsewhere();

private:
    std::unique_ptr<XTestKeyboard> m_keyboard;
    std::unique_ptr<QWidget> m_window;
};

// Every case starts with this program's own window holding the keyboard focus.
void TestGlobalKey::init()
{
    m_keyboard = std::make_unique<XTestKeyboard>();
    QVERIFY2(m_keyboard->isOpen(), "needs an X server with XTEST");
    m_window = std::make_unique<QWidget>();
    m_window->resize(240, 120);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestGlobalKey::cleanup()
{
    m_keyboard.reset();
    m_window.reset();
}

// On Xvfb the best way is XInput2; without a display the program falls back to its own key events.
void TestGlobalKey::mechanism()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    QCOMPARE(GlobalKey(Qt::Key_F9).mechanism(), u"XInput2 raw key events, X display "_s + display);
    QCOMPARE(GlobalKey(Qt::Key_F9, Source::KeymapQuery).mechanism(),
             u"XQueryKeymap on each call, X display %1 (asked for)"_s.arg(display));
    qunsetenv("DISPLAY");
    const GlobalKey withoutDisplay(Qt::Key_F9);
    qputenv("DISPLAY", display.toLocal8Bit());
    QCOMPARE(withoutDisplay.mechanism(), u"application key events while this program has the focus (no X display)"_s);
}

// With the state from the X server, a held key reads down on every poll and is known to a
// watcher started while it is held. Not so for the application's key events on X: Qt tells a
// repeat by finding the press of a release/press pair already queued, and sometimes the press
// comes a moment late, so the key reads up for a poll or two. The program never uses them alone
// where Qt runs on X.
void TestGlobalKey::followsPressAndRelease_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<bool>("fromServer");
    QTest::addColumn<Qt::Key>("otherKey");
    QTest::addColumn<unsigned long>("otherKeySym");
    QTest::newRow("XInput2 raw events") << Source::Best << true << Qt::Key_A << 0x61ul;
    QTest::newRow("keymap query") << Source::KeymapQuery << true << Qt::Key_F10 << 0xffc7ul;
    QTest::newRow("application events") << Source::ApplicationEvents << false << Qt::Key_F8 << 0xffc5ul;
}

void TestGlobalKey::followsPressAndRelease()
{
    QFETCH(Source, source);
    QFETCH(bool, fromServer);
    QFETCH(Qt::Key, otherKey);
    QFETCH(unsigned long, otherKeySym);
    const GlobalKey hotkey(Qt::Key_F9, source);
    // A watcher of another key, fed the same way, shows when that key's events have come in.
    const GlobalKey witness(otherKey, source);
    QVERIFY(!hotkey.isDown());
    m_keyboard->press(otherKeySym);
    QTRY_VERIFY(witness.isDown());
    QVERIFY(!hotkey.isDown());
    m_keyboard->release(otherKeySym);
    QTRY_VERIFY(!witness.isDown());
    QVERIFY(!hotkey.isDown());

    m_keyboard->press(XK_F9);
    QTRY_VERIFY(hotkey.isDown());
    const GlobalKey late(Qt::Key_F9, source);
    QCOMPARE(late.isDown(), fromServer);
    if (fromServer) {
        // Held past X's default auto-repeat delay (660 ms), so that repeats fall inside.
        int polls = 0;
        int upReadings = 0;
        QElapsedTimer held;
        held.start();
        for (; held.elapsed() < 1000; ++polls) {
            QCoreApplication::processEvents();
            upReadings += hotkey.isDown() && late.isDown() ? 0 : 1;
        }
        QCOMPARE(upReadings, 0);
        QVERIFY2(polls >= 1000, qPrintable(u"only %1 polls"_s.arg(polls)));
    }
    m_keyboard->release(XK_F9);
    QTRY_VERIFY(!hotkey.isDown() && !late.isDown());
    m_keyboard->press(XK_F9);
    QTRY_VERIFY(hotkey.isDown());
}

void TestGlobalKey::focusElsewhere_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<bool>("pressedBefore");
    QTest::addColumn<bool>("expected");
    QTest::newRow("XInput2, pressed while another client has the focus") << Source::Best << false << true;
    QTest::newRow("keymap query, pressed while another client has the focus")
        << Source::KeymapQuery << false << true;
    QTest::newRow("application events, pressed while another client has the focus")
        << Source::ApplicationEvents << false << false;
    QTest::newRow("XInput2, held while the focus leaves") << Source::Best << true << true;
    QTest::newRow("application events, held while the focus leaves") << Source::ApplicationEvents << true << false;
}

void TestGlobalKey::focusElsewhere()
{
    QFETCH(Source, source);
    QFETCH(bool, pressedBefore);
    QFETCH(bool, expected);
    const GlobalKey hotkey(Qt::Key_F9, source);
    // Answers from the server itself: once it reads down, the key is down.
    const GlobalKey server(Qt::Key_F9, Source::KeymapQuery);

    if (pressedBefore) {
        m_keyboard->press(XK_F9);
        QTRY_VERIFY(hotkey.isDown());
    }
    m_keyboard->focusOwnWindow();
    QVERIFY(m_keyboard->ownWindowHasFocus());
    QTRY_VERIFY(QGuiApplication::applicationState() != Qt::ApplicationActive);
    if (!pressedBefore)
        m_keyboard->press(XK_F9);
    QVERIFY(server.isDown());
    QTRY_COMPARE(hotkey.isDown(), expected);
}

QTEST_MAIN(TestGlobalKey)
#include "tst_globalkey.moc"
