// Presses real keys through XTest, and lets a window of another X client take the keyboard focus.
#include "support/xtestkeyboard.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

XTestKeyboard::XTestKeyboard()
    : m_display(XOpenDisplay(nullptr))
{
    int event = 0, error = 0, major = 0, minor = 0;
    if (m_display && !XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

XTestKeyboard::~XTestKeyboard()
{
    if (!m_display)
        return;
    for (unsigned char keyCode : m_held)
        XTestFakeKeyEvent(m_display, keyCode, False, CurrentTime);
    if (m_window)
        XDestroyWindow(m_display, m_window);
    XSync(m_display, False);
    XCloseDisplay(m_display);
}

bool XTestKeyboard::isOpen() const
{
    return m_display != nullptr;
}

void XTestKeyboard::press(unsigned long keySym)
{
    send(keySym, true);
}

void XTestKeyboard::release(unsigned long keySym)
{
    send(keySym, false);
}

void XTestKeyboard::send(unsigned long keySym, bool down)
{
    if (!m_display)
        return;
    const unsigned char keyCode = XKeysymToKeycode(m_display, keySym);
    XTestFakeKeyEvent(m_display, keyCode, down ? True : False, CurrentTime);
    XSync(m_display, False);
    if (down)
        m_held.insert(keyCode);
    else
        m_held.erase(keyCode);
}

void XTestKeyboard::focusOwnWindow()
{
    if (!m_display)
        return;
    if (!m_window) {
        const Window root = DefaultRootWindow(m_display);
        m_window = XCreateSimpleWindow(m_display, root, 0, 0, 64, 64, 0, 0, 0);
        XSelectInput(m_display, m_window, StructureNotifyMask);
        XMapRaised(m_display, m_window);
        // Focus may only go to a viewable window.
        XEvent event;
        do
            XWindowEvent(m_display, m_window, StructureNotifyMask, &event);
        while (event.type != MapNotify);
    }
    focusWindow(m_window);
}

void XTestKeyboard::focusWindow(unsigned long window)
{
    if (!m_display)
        return;
    XSetInputFocus(m_display, window, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
}

bool XTestKeyboard::ownWindowHasFocus() const
{
    if (!m_display || !m_window)
        return false;
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(m_display, &focus, &revertTo);
    return focus == m_window;
}

bool XTestKeyboard::screenIsManaged() const
{
    return m_display && XGetSelectionOwner(m_display, XInternAtom(m_display, "WM_S0", False)) != None;
}
