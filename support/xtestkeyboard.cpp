// Presses real keys through XTest, and lets a window of another X client take the keyboard focus.
#include "support/xtestkeyboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <utility>

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

std::vector<unsigned long> XTestKeyboard::windowsOf(long pid) const
{
    std::vector<std::pair<int, unsigned long>> found;
    if (!m_display)
        return {};
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return {};
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data)
                == Success
            && data && items == 1 && format == 32 && long(*reinterpret_cast<unsigned long*>(data)) == pid)
            found.emplace_back(attributes.width * attributes.height, children[i]);
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<unsigned long> windows;
    for (const auto& [size, window] : found)
        windows.push_back(window);
    return windows;
}
