// Tests of GlobalKey: real key events through XTest on the test's own virtual X server.
#include "playback/globalkey.h"
#include "support/testmain.h"
#include "support/xtestkeyboard.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <X11/keysym.h>

#include <memory>
#include <utility>

using namespace Qt::StringLiterals;
using Source = GlobalKey::Source;

class TestGlobalKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void mechanism();
    void countsPresses_data();
    void countsPresses();
    void focusElsewhere_data();
    void focusElsewhere();
    void pressesArrivingOtherwise_data();
    void pressesArrivingOtherwise();

private:
    std::unique_ptr<XTestKeyboard> m_keyboard;
    std::unique_ptr<QWidget> m_window;
};

namespace {

// Polls for this long as the program's 1 ms timer does, and counts the presses taken.
int pressesWithin(GlobalKey& key, int milliseconds)
{
    int presses = 0;
    if (milliseconds <= 0)
        return presses;
    QElapsedTimer clock;
    clock.start();
    // A window asked for holds at least one poll, however late the loop comes round.
    do {
        QTest::qWait(1);
        while (key.takePress())
            ++presses;
    } while (clock.elapsed() < milliseconds);
    return presses;
}

} // namespace

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

// Presses by the kinds of keyboards and tools that send them, a hold past X's auto-repeat delay
// (660 ms), and a key already held when the watch begins. Asking the server on each poll cannot
// see a press that is over before the next poll. Qt's own key events take a release and a press
// with the same timestamp for a repeat, so their presses are sent 5 ms apart; and Qt on X does
// not always see that pair in time to tell a repeat from a new press, so they are not held (the
// program never uses them alone where Qt runs on X).
void TestGlobalKey::countsPresses_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<unsigned long>("keySym");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<bool>("heldAtStart");
    QTest::addColumn<int>("expected");
    const unsigned long f9 = XK_F9;
    for (const auto& [name, source] :
         {std::pair{"XInput2", Source::Best}, std::pair{"keymap query", Source::KeymapQuery},
          std::pair{"application events", Source::ApplicationEvents}}) {
        const bool seesShortPresses = source != Source::KeymapQuery;
        QTest::addRow("%s, another key", name) << source << static_cast<unsigned long>(XK_F10) << 1 << 40 << false << 0;
        QTest::addRow("%s, 5 presses back to back", name)
            << source << f9 << 5 << 0 << false << (seesShortPresses ? 5 : 0);
        QTest::addRow("%s, held when the watch begins", name) << source << f9 << 1 << 40 << true << 1;
        if (source != Source::ApplicationEvents)
            QTest::addRow("%s, held for a second", name) << source << f9 << 1 << 1000 << false << 1;
    }
}

void TestGlobalKey::countsPresses()
{
    QFETCH(Source, source);
    QFETCH(unsigned long, keySym);
    QFETCH(int, presses);
    QFETCH(int, holdMs);
    QFETCH(bool, heldAtStart);
    QFETCH(int, expected);
    if (heldAtStart) {
        m_keyboard->press(XK_F9);
        QTest::qWait(50);
    }
    GlobalKey hotkey(Qt::Key_F9, source);
    int taken = pressesWithin(hotkey, 50);
    m_keyboard->release(XK_F9);
    taken += pressesWithin(hotkey, 50);
    for (int press = 0; press < presses; ++press) {
        m_keyboard->press(keySym);
        taken += pressesWithin(hotkey, holdMs);
        m_keyboard->release(keySym);
        QTest::qSleep(source == Source::ApplicationEvents ? 5 : 0);
    }
    QCOMPARE(taken + pressesWithin(hotkey, 300), expected);
}

// A press made while another client has the focus is seen system-wide, but not among this
// program's own key events. A key held while the focus leaves is let go of elsewhere: its next
// press must count again.
void TestGlobalKey::focusElsewhere_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<bool>("heldWhileLeaving");
    QTest::addColumn<int>("expected");
    QTest::newRow("XInput2") << Source::Best << false << 1;
    QTest::newRow("keymap query") << Source::KeymapQuery << false << 1;
    QTest::newRow("application events") << Source::ApplicationEvents << false << 0;
    QTest::newRow("XInput2, held while the focus leaves") << Source::Best << true << 1;
    QTest::newRow("application events, held while the focus leaves") << Source::ApplicationEvents << true << 0;
}

void TestGlobalKey::focusElsewhere()
{
    QFETCH(Source, source);
    QFETCH(bool, heldWhileLeaving);
    QFETCH(int, expected);
    GlobalKey hotkey(Qt::Key_F9, source);

    if (heldWhileLeaving) {
        m_keyboard->press(XK_F9);
        QCOMPARE(pressesWithin(hotkey, 100), 1);
    }
    m_keyboard->focusOwnWindow();
    QVERIFY(m_keyboard->ownWindowHasFocus());
    QTRY_VERIFY(QGuiApplication::applicationState() != Qt::ApplicationActive);
    m_keyboard->release(XK_F9);
    m_keyboard->press(XK_F9);
    QTimer::singleShot(100, this, [this] { m_keyboard->release(XK_F9); });
    QCOMPARE(pressesWithin(hotkey, 200), expected);

    if (heldWhileLeaving) {
        m_keyboard->focusWindow(m_window->winId());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_keyboard->press(XK_F9);
        QTimer::singleShot(50, this, [this] { m_keyboard->release(XK_F9); });
        QCOMPARE(pressesWithin(hotkey, 150), 1);
    }
}

// Presses of the portal's signal and the toggle command join the count; the program frozen (the test
// sleeps) drops a press that arrived before or during the freeze, as it drops a key's.
void TestGlobalKey::pressesArrivingOtherwise_data()
{
    QTest::addColumn<int>("arrivals");
    QTest::addColumn<int>("frozenBeforeMs");
    QTest::addColumn<int>("frozenAfterMs");
    QTest::addColumn<int>("expected");
    QTest::newRow("one") << 1 << 0 << 0 << 1;
    QTest::newRow("three between two takes") << 3 << 0 << 0 << 3;
    QTest::newRow("arrived after a 1.5 s freeze of the poll") << 1 << 1500 << 0 << 0;
    QTest::newRow("arrived as a 1.5 s freeze began") << 1 << 0 << 1500 << 0;
}

void TestGlobalKey::pressesArrivingOtherwise()
{
    QFETCH(int, arrivals);
    QFETCH(int, frozenBeforeMs);
    QFETCH(int, frozenAfterMs);
    QFETCH(int, expected);
    GlobalKey key(Qt::Key_F9, GlobalKey::Source::ApplicationEvents);
    QVERIFY(!key.takePress());
    QThread::msleep(frozenBeforeMs);
    for (int i = 0; i < arrivals; ++i)
        key.pressArrived();
    QThread::msleep(frozenAfterMs);
    int taken = 0;
    while (key.takePress())
        ++taken;
    QCOMPARE(taken, expected);
    QVERIFY(!key.takePress());
}

LRC_TEST_MAIN(TestGlobalKey)
#include "tst_globalkey.moc"
