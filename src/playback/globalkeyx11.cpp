// Follows one key's state on an own X connection: XInput2 raw key events, or XQueryKeymap on each read.
#include "playback/globalkeyx11.h"

#include <QSocketNotifier>

// Xlib's macros (KeyPress, None, Bool, …) clash with Qt names: its headers come last.
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
    watch->m_mechanism = fallback.isEmpty()
        ? u"XInput2 raw key events, %1"_s.arg(where)
        : u"XQueryKeymap on each call, %1 (%2)"_s.arg(where, fallback);
    if (!watch->m_keyCode)
        watch->m_mechanism += u"; the key has no key code there and never reads as down"_s;
    // The state before the first event, so a key held at start reads as down.
    watch->m_down = watch->keymapSaysDown();
    return watch;
}

GlobalKeyX11::GlobalKeyX11(Display* display, Qt::Key key, QObject* parent)
    : QObject(parent), m_display(display), m_keySym(x11KeySym(key))
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
    return {};
}

bool GlobalKeyX11::isDown()
{
    return m_xiOpcode >= 0 ? m_down : keymapSaysDown();
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
            if (static_cast<XIRawEvent*>(cookie->data)->detail == m_keyCode)
                m_down = cookie->evtype == XI_RawKeyPress;
            XFreeEventData(m_display, cookie);
        }
        return;
    }
    // Nothing else is selected on this connection but the core MappingNotify, which the server
    // sends to every client when the keyboard layout changes: the key may now have another code.
    if (event.type == MappingNotify)
        XRefreshKeyboardMapping(&event.xmapping);
    findKeyCode();
}

void GlobalKeyX11::findKeyCode()
{
    m_keyCode = m_keySym == NoSymbol ? 0 : XKeysymToKeycode(m_display, m_keySym);
}
