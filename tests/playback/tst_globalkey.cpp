// Tests of GlobalKey: real key events through XTest on the test's own virtual X server.
#include "playback/globalkey.h"
#include "playback/globalkeyx11.h"
#include "support/xtestkeyboard.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScopeGuard>
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
    void keySyms_data();
    void keySyms();
    void mechanism_data();
    void mechanism();
    void followsPressAndRelease_data();
    void followsPressAndRelease();
    void otherKeysNeverDown_data();
    void otherKeysNeverDown();
    void heldBeforeStart_data();
    void heldBeforeStart();
    void heldAcrossManyPolls_data();
    void heldAcrossManyPolls();
    void focusElsewhere_data();
    void focusElsewhere();

private:
    static void addSourceRows(bool withApplicationEvents);

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

void TestGlobalKey::addSourceRows(bool withApplicationEvents)
{
    QTest::addColumn<Source>("source");
    QTest::newRow("XInput2 raw events") << Source::Best;
    QTest::newRow("keymap query") << Source::KeymapQuery;
    if (withApplicationEvents)
        QTest::newRow("application events") << Source::ApplicationEvents;
}

void TestGlobalKey::keySyms_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<unsigned long>("keySym");
    QTest::newRow("F9") << Qt::Key_F9 << 0xffc6ul;
    QTest::newRow("F1") << Qt::Key_F1 << 0xffbeul;
    QTest::newRow("F35") << Qt::Key_F35 << 0xffe0ul;
    QTest::newRow("letter A, as the unshifted a") << Qt::Key_A << 0x61ul;
    QTest::newRow("letter Z, as the unshifted z") << Qt::Key_Z << 0x7aul;
    QTest::newRow("digit 0") << Qt::Key_0 << 0x30ul;
    QTest::newRow("space bar") << Qt::Key_Space << 0x20ul;
    QTest::newRow("Escape: none") << Qt::Key_Escape << 0x0ul;
    QTest::newRow("media play: none") << Qt::Key_MediaPlay << 0x0ul;
}

void TestGlobalKey::keySyms()
{
    QFETCH(Qt::Key, key);
    QFETCH(unsigned long, keySym);
    QCOMPARE(x11KeySym(key), keySym);
}

void TestGlobalKey::mechanism_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<bool>("withDisplay");
    QTest::addColumn<QString>("expected");
    QTest::newRow("best, on an X server with XInput2")
        << Source::Best << true << u"XInput2 raw key events, X display <display>"_s;
    QTest::newRow("keymap query asked for")
        << Source::KeymapQuery << true << u"XQueryKeymap on each call, X display <display> (asked for)"_s;
    QTest::newRow("application events asked for")
        << Source::ApplicationEvents << true
        << u"application key events while this program has the focus (asked for)"_s;
    QTest::newRow("best, without an X display")
        << Source::Best << false << u"application key events while this program has the focus (no X display)"_s;
}

void TestGlobalKey::mechanism()
{
    QFETCH(Source, source);
    QFETCH(bool, withDisplay);
    QFETCH(QString, expected);

    const QByteArray display = qgetenv("DISPLAY");
    const auto restore = qScopeGuard([&] { qputenv("DISPLAY", display); });
    if (!withDisplay)
        qunsetenv("DISPLAY");
    const GlobalKey hotkey(Qt::Key_F9, source);
    QCOMPARE(hotkey.mechanism().replace(QString::fromLocal8Bit(display), u"<display>"_s), expected);
}

void TestGlobalKey::followsPressAndRelease_data()
{
    addSourceRows(true);
}

void TestGlobalKey::followsPressAndRelease()
{
    QFETCH(Source, source);
    const GlobalKey hotkey(Qt::Key_F9, source);
    QVERIFY(!hotkey.isDown());

    m_keyboard->press(XK_F9);
    QTRY_VERIFY(hotkey.isDown());
    m_keyboard->release(XK_F9);
    QTRY_VERIFY(!hotkey.isDown());
    m_keyboard->press(XK_F9);
    QTRY_VERIFY(hotkey.isDown());
}

void TestGlobalKey::otherKeysNeverDown_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<Qt::Key>("otherKey");
    QTest::addColumn<unsigned long>("otherKeySym");
    const std::pair<const char*, Source> sources[] = {
        {"XInput2 raw events", Source::Best},
        {"keymap query", Source::KeymapQuery},
        {"application events", Source::ApplicationEvents},
    };
    for (const auto& [name, source] : sources) {
        QTest::addRow("%s, F8", name) << source << Qt::Key_F8 << 0xffc5ul;
        QTest::addRow("%s, F10", name) << source << Qt::Key_F10 << 0xffc7ul;
        QTest::addRow("%s, letter A", name) << source << Qt::Key_A << 0x61ul;
    }
}

// A watcher of the other key, fed the same way, shows when its events have come in.
void TestGlobalKey::otherKeysNeverDown()
{
    QFETCH(Source, source);
    QFETCH(Qt::Key, otherKey);
    QFETCH(unsigned long, otherKeySym);
    const GlobalKey hotkey(Qt::Key_F9, source);
    const GlobalKey witness(otherKey, source);

    m_keyboard->press(otherKeySym);
    QTRY_VERIFY(witness.isDown());
    QVERIFY(!hotkey.isDown());
    m_keyboard->release(otherKeySym);
    QTRY_VERIFY(!witness.isDown());
    QVERIFY(!hotkey.isDown());
}

void TestGlobalKey::heldBeforeStart_data()
{
    addSourceRows(false);
}

// The press came before there was anyone to listen: only the server's keymap knows.
void TestGlobalKey::heldBeforeStart()
{
    QFETCH(Source, source);
    m_keyboard->press(XK_F9);
    const GlobalKey hotkey(Qt::Key_F9, source);
    QVERIFY(hotkey.isDown());
    m_keyboard->release(XK_F9);
    QTRY_VERIFY(!hotkey.isDown());
}

// Not for the application's key events on X: Qt tells a repeat by finding the
// press of a release/press pair already queued, and sometimes the press comes a
// moment late, so the key reads up for a poll or two. The program never uses
// them alone where Qt runs on X.
void TestGlobalKey::heldAcrossManyPolls_data()
{
    addSourceRows(false);
}

void TestGlobalKey::heldAcrossManyPolls()
{
    QFETCH(Source, source);
    const GlobalKey hotkey(Qt::Key_F9, source);
    m_keyboard->press(XK_F9);
    QTRY_VERIFY(hotkey.isDown());

    // Held past X's default auto-repeat delay (660 ms), so that repeats fall
    // inside; the observation lasts a fixed time, nothing is asserted about speed.
    int polls = 0;
    int upReadings = 0;
    QElapsedTimer held;
    held.start();
    while (held.elapsed() < 1000) {
        QCoreApplication::processEvents();
        upReadings += hotkey.isDown() ? 0 : 1;
        ++polls;
    }
    QCOMPARE(upReadings, 0);
    QVERIFY2(polls >= 1000, qPrintable(u"only %1 polls"_s.arg(polls)));

    m_keyboard->release(XK_F9);
    QTRY_VERIFY(!hotkey.isDown());
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
    QTest::newRow("application events, held while the focus leaves")
        << Source::ApplicationEvents << true << false;
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
