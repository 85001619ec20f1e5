// Counts the presses of one key, system-wide, whichever application has the focus.
#include "playback/globalkey.h"

#include "playback/globalkeyfocus.h"
#include "playback/globalkeyportal.h"
#ifdef LRC_HAVE_XINPUT2
#include "playback/globalkeyx11.h"
#endif

#include <QGuiApplication>
#include <QKeySequence>

#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_WIN
// Letters, digits and the space bar share their code with Qt; other keys have none here.
int virtualKey(Qt::Key key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Space)
        return key;
    return 0;
}
#endif

// A Qt that draws through Wayland (or offscreen) gets this program's own key
// presses from there, never from XWayland's raw events.
bool keyEventsBypassX()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QGuiApplication::platformName() != u"xcb"_s;
}

} // namespace

GlobalKey::GlobalKey(Qt::Key key, QObject* parent)
    : GlobalKey(key, Source::Best, parent)
{}

GlobalKey::GlobalKey(Qt::Key key, Source wanted, QObject* parent)
    : QObject(parent)
    , m_key(key)
{
    m_sinceCollect.start();
    if (wanted == Source::ApplicationEvents) {
        useKeyEvents(u"asked for"_s);
        return;
    }
#if defined(Q_OS_WIN)
    m_mechanism = u"GetAsyncKeyState"_s;
#else
    // On Wayland the X sources see the key only while an X window has the focus; they serve
    // until the desktop's shortcut is bound, and again if the desktop ends it.
    if (wanted == Source::Best && GlobalKeyPortal::sessionIsWayland()) {
        m_portal = new GlobalKeyPortal(QKeySequence(key).toString(QKeySequence::PortableText), this);
        connect(m_portal, &GlobalKeyPortal::bound, this, &GlobalKey::usePortal);
        connect(m_portal, &GlobalKeyPortal::unavailable, this, &GlobalKey::leavePortal);
        connect(m_portal, &GlobalKeyPortal::activated, this, &GlobalKey::pressArrived);
    }
    openXSources(wanted == Source::Best);
#endif
}

void GlobalKey::openXSources(bool rawEventsWanted)
{
    m_mechanism.clear();
#ifdef LRC_HAVE_XINPUT2
    m_x11 = GlobalKeyX11::open(m_key, rawEventsWanted, this);
    if (!m_x11) {
        useKeyEvents(u"no X display"_s);
        return;
    }
    m_mechanism = m_x11->mechanism();
    if (keyEventsBypassX()) {
        m_focus = new GlobalKeyFocus(m_key, this);
        m_mechanism += u"; and application key events while this program has the focus"_s;
    }
#else
    Q_UNUSED(rawEventsWanted);
    useKeyEvents(u"built without X11"_s);
#endif
}

// Every press now comes from the desktop, wherever the focus is; the X sources would count
// again those that reach an X window, and the application's own events those that reach this one.
void GlobalKey::usePortal()
{
#ifdef LRC_HAVE_XINPUT2
    delete std::exchange(m_x11, nullptr);
#endif
    delete std::exchange(m_focus, nullptr);
    m_mechanism = u"the desktop's global shortcut (xdg-desktop-portal GlobalShortcuts)"_s;
}

void GlobalKey::leavePortal(const QString& why)
{
    m_portal->deleteLater();
    m_portal = nullptr;
    const bool wasBound = !m_x11 && !m_focus;
    if (wasBound)
        openXSources(true);
    m_mechanism += u"; no global shortcut of the desktop: %1"_s.arg(why);
}

GlobalKey::~GlobalKey() = default;

void GlobalKey::useKeyEvents(const QString& why)
{
    m_focus = new GlobalKeyFocus(m_key, this);
    m_mechanism = u"application key events while this program has the focus (%1)"_s.arg(why);
}

bool GlobalKey::takePress()
{
    if (m_pending == 0)
        m_pending = collectPresses();
    if (m_pending == 0)
        return false;
    --m_pending;
    return true;
}

int GlobalKey::collectPresses()
{
    // A source that tells no time with a press can only be judged by the gap since it was last
    // asked: after a gap longer than kStaleAfter the program was frozen, and its press may be as old.
    const bool afterFreeze = m_sinceCollect.restart() > kStaleAfter.count();
    int untimed = std::exchange(m_arrived, 0) + (m_focus ? m_focus->takePresses() : 0);
    int timed = 0;
#ifdef LRC_HAVE_XINPUT2
    if (m_x11)
        timed = m_x11->takePresses(kStaleAfter, afterFreeze);
#endif
#ifdef Q_OS_WIN
    if (!m_focus)
        untimed += asyncKeyStatePresses();
#endif
    return (afterFreeze ? 0 : untimed) + timed;
}

// The portal's signal and the toggle command carry no usable time: a press that arrives while the
// poll has not run for longer than kStaleAfter waited through a freeze, and is left out at once.
void GlobalKey::pressArrived()
{
    if (m_sinceCollect.elapsed() <= kStaleAfter.count())
        ++m_arrived;
}

#ifdef Q_OS_WIN
int GlobalKey::asyncKeyStatePresses()
{
    const SHORT state = GetAsyncKeyState(virtualKey(m_key));
    const bool down = state & 0x8000;
    // The low bit says the key went down since the last query, also when it is up again by now;
    // the repeats of a held key set it too, so it counts only after the key was seen up.
    const bool pressed = !m_wasDown && (down || (state & 1));
    m_wasDown = down;
    return pressed ? 1 : 0;
}
#endif

QString GlobalKey::mechanism() const
{
    return m_mechanism;
}
