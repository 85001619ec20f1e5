// A Wayland session whose desktop portal has no global shortcuts (GNOME before 48, wlroots desktops): the
// real portal, started on demand by a private session bus, says so, and F9 keeps coming from the X server.
#include "playback/globalkey.h"
#include "support/privatebus.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QWidget>

#include <X11/keysym.h>

using namespace Qt::StringLiterals;

class TestGlobalKeyFallback : public QObject
{
    Q_OBJECT
public:
    explicit TestGlobalKeyFallback(const QString& busError)
        : m_busError(busError)
    {}

private Q_SLOTS:
    void withoutGlobalShortcutsTheXServerStaysTheSource();

private:
    QString m_busError;
};

void TestGlobalKeyFallback::withoutGlobalShortcutsTheXServerStaysTheSource()
{
    if (!QFileInfo::exists(u"/usr/libexec/xdg-desktop-portal"_s))
        QSKIP("needs the package xdg-desktop-portal (bash scripts/deps.sh --tests)");
    QVERIFY2(m_busError.isEmpty(), qPrintable(m_busError));
    XTestKeyboard keyboard;
    QVERIFY2(keyboard.isOpen(), "needs an X server with XTEST");
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    GlobalKey key(Qt::Key_F9);
    QTRY_VERIFY2_WITH_TIMEOUT(key.mechanism().contains(u"no global shortcut of the desktop"_s),
                              qPrintable(key.mechanism()), 60000);
    QVERIFY2(key.mechanism().startsWith(u"XInput2 raw key events"_s), qPrintable(key.mechanism()));
    QVERIFY(!key.takePress());
    keyboard.press(XK_F9);
    keyboard.release(XK_F9);
    // Counted rather than asked in the wait: taking a press uses it up.
    int taken = 0;
    QTRY_VERIFY((taken += key.takePress() ? 1 : 0) > 0);
    QCOMPARE(taken, 1);
}

int main(int argc, char* argv[])
{
    // A desktop whose portal has no backend with global shortcuts; the bus starts the real portal for it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"LRC-test-desktop"_s);
    PrivateBus bus;
    const QString busError = bus.start(environment) ? QString() : bus.error();
    QApplication app(argc, argv);
    // Only now: the application itself stays on the virtual X server.
    qputenv("XDG_SESSION_TYPE", "wayland");
    TestGlobalKeyFallback test(busError);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_globalkeyfallback.moc"
