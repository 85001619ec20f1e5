// Tests of GlobalKey: real key events through XTest on the test's own virtual X server.
#include "playback/globalkey.h"
#include "support/xtestkeyboard.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <X11/keysym.h>

#include <memory>

using namespace Qt::StringLiterals;
using Source = GlobalKey::Source;

class TestGlobalKey : public QObject {
    Q_OBJECT

public:
    enum class Keys { OtherKey, BackToBack, Burst, Held, HeldAtStart };
    Q_ENUM(Keys)

private Q_SLOTS:
    void init();
    void cleanup();
    void mechanism();
    void countsPresses_data();
    void countsPresses();
    void focusElsewhere_data();
    void focusElsewhere();

private:
    void sendKeys(Keys keys, int burstGapMs);

    std::unique_ptr<XTestKeyboard> m_keyboard;
    std::unique_ptr<QWidget> m_window;
};

namespace {

constexpr int kBurst = 5;

// Polls for this long as the program's 1 ms timer does, and counts the presses taken.
int pressesWithin(GlobalKey& key, int milliseconds)
{
    int presses = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QTest::qWait(1);
        while (key.takePress())
            ++presses;
    }
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

// Presses by the kinds of keyboards and tools that send them. Asking the server on each poll
// cannot see a press that is over before the next poll. Qt's own key events take a release and
// a press with the same timestamp for a repeat, so their burst is sent 5 ms apart.
void TestGlobalKey::countsPresses_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<Keys>("keys");
    QTest::addColumn<int>("expected");
    const QList<std::pair<const char*, Source>> sources = {
        {"XInput2", Source::Best}, {"keymap query", Source::KeymapQuery}, {"application events", Source::ApplicationEvents}};
    for (const auto& [name, source] : sources) {
        const bool seesShortPresses = source != Source::KeymapQuery;
        const bool fromServer = source != Source::ApplicationEvents;
        QTest::addRow("%s, another key", name) << source << Keys::OtherKey << 0;
        QTest::addRow("%s, down and up back to back", name) << source << Keys::BackToBack << (seesShortPresses ? 1 : 0);
        QTest::addRow("%s, a burst of short presses", name) << source << Keys::Burst << (seesShortPresses ? kBurst : 0);
        // Held past X's default auto-repeat delay (660 ms), so that repeats fall inside. Not so
        // for the application's key events on X: Qt tells a repeat by finding the press of a
        // release/press pair already queued, and sometimes the press comes a moment late. The
        // program never uses them alone where Qt runs on X.
        if (fromServer)
            QTest::addRow("%s, held for a second", name) << source << Keys::Held << 1;
        QTest::addRow("%s, held when the watch starts, then pressed anew", name) << source << Keys::HeldAtStart << 1;
    }
}

void TestGlobalKey::countsPresses()
{
    QFETCH(Source, source);
    QFETCH(Keys, keys);
    QFETCH(int, expected);
    if (keys == Keys::HeldAtStart) {
        m_keyboard->press(XK_F9);
        QTest::qWait(50);
    }
    GlobalKey hotkey(Qt::Key_F9, source);
    sendKeys(keys, source == Source::ApplicationEvents ? 5 : 0);
    QCOMPARE(pressesWithin(hotkey, keys == Keys::Held ? 1200 : 700), expected);
}

void TestGlobalKey::sendKeys(Keys keys, int burstGapMs)
{
    switch (keys) {
    case Keys::OtherKey:
        m_keyboard->press(XK_F10);
        m_keyboard->release(XK_F10);
        break;
    case Keys::BackToBack:
        m_keyboard->press(XK_F9);
        m_keyboard->release(XK_F9);
        break;
    case Keys::Burst:
        for (int press = 0; press < kBurst; ++press) {
            m_keyboard->press(XK_F9);
            m_keyboard->release(XK_F9);
            QTest::qSleep(burstGapMs);
        }
        break;
    case Keys::Held:
        m_keyboard->press(XK_F9);
        QTimer::singleShot(1000, this, [this] { m_keyboard->release(XK_F9); });
        break;
    case Keys::HeldAtStart:
        QTimer::singleShot(300, this, [this] { m_keyboard->release(XK_F9); });
        QTimer::singleShot(400, this, [this] { m_keyboard->press(XK_F9); });
        QTimer::singleShot(500, this, [this] { m_keyboard->release(XK_F9); });
        break;
    }
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

QTEST_MAIN(TestGlobalKey)
#include "tst_globalkey.moc"
