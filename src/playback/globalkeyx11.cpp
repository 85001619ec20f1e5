// Counts one key's presses on an own X connection: XInput2 raw key events, or XQueryKeymap on each read.
#include "playback/globalkeyx11.h"

#include <QSocketNotifier>

// Xlib's macros (KeyPress, None, Bool, …) clash with Qt names: its headers come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

using namespace Qt::StringLiterals;

unsigned long x11KeySym(Qt::Key key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return XK_F1 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    // Qt gives the other Latin-1 keys the code of their character, as X does.
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis)
        return key;
    return NoSymbol;
}

GlobalKeyX11* GlobalKeyX11::open(Qt::Key key, bool rawEventsWanted, QObject* parent)
{
    // An own connection, whatever platform Qt runs on: under offscreen or
    // XWayland the key still reaches the X server's raw event stream.
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    auto* watch = new GlobalKeyX11(display, key, parent);
    const QString where = u"X display "_s + QString::fromLocal8Bit(DisplayString(display));
    const QString fallback = rawEventsWanted ? watch->selectRawEvents() : u"asked for"_s;
    watch->m_mechanism = fallback.isEmpty() ? u"XInput2 raw key events, %1"_s.arg(where)
                                            : u"XQueryKeymap on each call, %1 (%2)"_s.arg(where, fallback);
    if (!watch->m_keyCode)
        watch->m_mechanism += u"; the key has no key code there and never reads as down"_s;
    // The state before the first event, so that a key held at start is not taken for a press.
    watch->m_down = watch->keymapSaysDown();
    return watch;
}

GlobalKeyX11::GlobalKeyX11(Display* display, Qt::Key key, QObject* parent)
    : QObject(parent)
    , m_display(display)
    , m_keySym(x11KeySym(key))
{
    findKeyCode();
    // Besides the raw events, keyboard mapping changes come on this connection
    // unasked; reading them keeps the key code right after a layout switch.
    m_notifier = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &GlobalKeyX11::drainSocket);
}

GlobalKeyX11::~GlobalKeyX11()
{
    delete m_notifier;
    if (m_clockWindow)
        XDestroyWindow(m_display, m_clockWindow);
    XCloseDisplay(m_display);
}

// Empty when raw events are selected, else why they cannot be.
QString GlobalKeyX11::selectRawEvents()
{
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(m_display, "XInputExtension", &opcode, &firstEvent, &firstError))
        return u"the X server has no XInputExtension"_s;
    // 2.2 rather than 2.0: from 2.1 on the server sends raw events also while
    // another client holds a keyboard grab, as a menu or a game does.
    int major = 2, minor = 2;
    if (XIQueryVersion(m_display, &major, &minor) != Success)
        return u"the X server has XInput %1.%2, older than 2.0"_s.arg(major).arg(minor);

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
    m_xiOpcode = opcode;

    // An unmapped window of this connection, only to learn the server's time (serverTime).
    m_clockWindow = XCreateWindow(m_display, DefaultRootWindow(m_display), -1, -1, 1, 1, 0, CopyFromParent, InputOnly,
                                  CopyFromParent, 0, nullptr);
    XSelectInput(m_display, m_clockWindow, PropertyChangeMask);
    m_clockAtom = XInternAtom(m_display, "LRC_SERVER_TIME", False);
    return {};
}

int GlobalKeyX11::takePresses(std::chrono::milliseconds maxAge, bool afterFreeze)
{
    if (m_xiOpcode >= 0)
        return freshPresses(maxAge);
    const bool down = keymapSaysDown();
    const bool pressed = down && !m_down;
    m_down = down;
    return pressed && !afterFreeze ? 1 : 0;
}

// The press times are the server's, so they are measured against the server's clock: no
// assumption about how it relates to this program's, and true also when the program was frozen
// while the events waited on the socket.
int GlobalKeyX11::freshPresses(std::chrono::milliseconds maxAge)
{
    if (m_pressTimes.empty())
        return 0;
    const unsigned long now = serverTime();
    drainQueued();
    int fresh = 0;
    for (unsigned long pressed : m_pressTimes) {
        // X times are 32-bit milliseconds that wrap around; a press that came in during the
        // round trip is stamped after now and counts as fresh.
        const auto age = qint32(quint32(now) - quint32(pressed));
        fresh += age <= maxAge.count() ? 1 : 0;
    }
    m_pressTimes.clear();
    return fresh;
}

// The server stamps the notice of a property change with its current time; appending nothing
// changes nothing else. Only asked when presses are waiting, so an idle poll costs no round trip.
unsigned long GlobalKeyX11::serverTime()
{
    XChangeProperty(m_display, m_clockWindow, m_clockAtom, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(m_display, m_clockWindow, PropertyChangeMask, &event);
    return event.xproperty.time;
}

QString GlobalKeyX11::mechanism() const
{
    return m_mechanism;
}

bool GlobalKeyX11::keymapSaysDown()
{
    char keys[32] = {};
    XQueryKeymap(m_display, keys);
    // The round trip may have pulled events into Xlib's queue, where the
    // socket notifier no longer sees them.
    drainQueued();
    return m_keyCode && (keys[m_keyCode / 8] & (1 << (m_keyCode % 8)));
}

void GlobalKeyX11::drainQueued()
{
    while (XEventsQueued(m_display, QueuedAlready) > 0)
        handleNextEvent();
}

void GlobalKeyX11::drainSocket()
{
    while (XPending(m_display) > 0)
        handleNextEvent();
}

void GlobalKeyX11::handleNextEvent()
{
    XEvent event;
    XNextEvent(m_display, &event);
    XGenericEventCookie* cookie = &event.xcookie;
    if (cookie->type == GenericEvent && cookie->extension == m_xiOpcode) {
        if (XGetEventData(m_display, cookie)) {
            const auto* raw = static_cast<XIRawEvent*>(cookie->data);
            noteRawEvent(cookie->evtype, raw->detail, raw->flags, raw->time);
            XFreeEventData(m_display, cookie);
        }
        return;
    }
    // Besides the property notices that serverTime waits for, nothing else comes on this connection
    // but the core MappingNotify, which the server sends to every client when the keyboard layout
    // changes: the key may now have another code.
    if (event.type == MappingNotify)
        XRefreshKeyboardMapping(&event.xmapping);
    findKeyCode();
}

void GlobalKeyX11::noteRawEvent(int type, int keyCode, int flags, unsigned long time)
{
    if (!m_keyCode || keyCode != m_keyCode)
        return;
    const bool press = type == XI_RawKeyPress;
    // Xorg sends no raw events for the repeats of a held key, but a server fed by another
    // machine's keyboard may pass that keyboard's repeats on as further presses, flagged or
    // not: only a press after a release is a new one.
    if (press && !m_down && !(flags & XIKeyRepeat))
        m_pressTimes.push_back(time);
    m_down = press;
}

void GlobalKeyX11::findKeyCode()
{
    m_keyCode = m_keySym == NoSymbol ? 0 : XKeysymToKeycode(m_display, m_keySym);
}
