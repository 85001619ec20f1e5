// The main window on a real X server: the keyboard's Tab through the grid, and the window manager's close.
#include "app/form1.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace Qt::StringLiterals;

class TestForm1Desktop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void tabRunsThroughTheGridRowByRow();
    void windowManagerCloseAsksFirst_data();
    void windowManagerCloseAsksFirst();

private:
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
    XTestKeyboard m_keyboard;
};

namespace {

// What a window manager sends when the user presses Alt+F4 or its close button.
void sendDeleteWindow(WId window)
{
    Display* display = XOpenDisplay(nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

} // namespace

void TestForm1Desktop::initTestCase()
{
    // The window is closed and made anew between tests; the run must not end with it.
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY2(m_keyboard.isOpen(), "needs an X server with XTEST");
}

void TestForm1Desktop::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestForm1Desktop::cleanup()
{
    delete m_form;
}

// Typed time 1, Tab, time 2, Tab, lyric: each lands in the box to the right, row after row.
void TestForm1Desktop::tabRunsThroughTheGridRowByRow()
{
    m_form->Text1[1]->setFocus();
    QTRY_VERIFY(m_form->Text1[1]->hasFocus());
    QStringList visited;
    for (int press = 0; press < 23; ++press) {
        m_keyboard.press(XK_Tab);
        m_keyboard.release(XK_Tab);
        QWidget* before = QApplication::focusWidget();
        QTRY_VERIFY(QApplication::focusWidget() != before);
        visited << QApplication::focusWidget()->objectName();
    }
    QStringList expected;
    for (int element = 2; element <= 21; ++element)
        expected << u"Text1(%1)"_s.arg(element);
    // The transport buttons are still disabled, so the run goes on to the commit and export buttons.
    expected << u"Command6"_s << u"Command7"_s << u"Text2"_s;
    QCOMPARE(visited, expected);
}

void TestForm1Desktop::windowManagerCloseAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("取消") << false;
    QTest::newRow("退出") << true;
}

void TestForm1Desktop::windowManagerCloseAsksFirst()
{
    QFETCH(bool, answer);
    m_form->Command6->click();
    m_prompts.confirmAnswers << answer;
    sendDeleteWindow(m_form->winId());
    QTRY_COMPARE(m_prompts.questions.size(), 1);
    // Closed windows are deleted, as the main window deletes itself on close.
    if (answer)
        QTRY_VERIFY(m_form.isNull());
    else
        QVERIFY(m_form->isVisible());
}

LRC_TEST_MAIN(TestForm1Desktop)

#include "tst_form1desktop.moc"
