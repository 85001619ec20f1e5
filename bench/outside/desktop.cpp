#include "outside/desktop.h"

// Xlib's headers come last: their macros clash with Qt names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

Desktop::Desktop()
    : m_display(XOpenDisplay(nullptr))
{
    if (!m_display)
        return;
    m_root = DefaultRootWindow(m_display);
    m_centreX = DisplayWidth(m_display, DefaultScreen(m_display)) / 2;
    m_centreY = DisplayHeight(m_display, DefaultScreen(m_display)) / 2;
    m_empty = centre();
}

Desktop::~Desktop()
{
    if (m_display)
        XCloseDisplay(m_display);
}

QByteArray Desktop::middle(int width, int height) const
{
    return pixels(QRect(m_centreX - width / 2, m_centreY - height / 2, width, height));
}

std::vector<Desktop::Window> Desktop::windows() const
{
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> shown;
    if (!XQueryTree(m_display, m_root, &root, &parent, &children, &count))
        return shown;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable
            && attributes.width > 300 && attributes.height > 200)
            shown.push_back(children[i]);
    }
    XFree(children);
    return shown;
}

QRect Desktop::geometry(Window window) const
{
    XWindowAttributes attributes;
    ::Window child = 0;
    int x = 0;
    int y = 0;
    if (!XGetWindowAttributes(m_display, window, &attributes)
        || !XTranslateCoordinates(m_display, window, m_root, 0, 0, &x, &y, &child))
        return {};
    return QRect(x, y, attributes.width, attributes.height);
}

QByteArray Desktop::pixels(const QRect& rect) const
{
    XImage* image = XGetImage(m_display, m_root, rect.x(), rect.y(), unsigned(rect.width()), unsigned(rect.height()),
                              AllPlanes, ZPixmap);
    if (!image)
        return {};
    QByteArray pixels(image->data, image->bytes_per_line * image->height);
    XDestroyImage(image);
    return pixels;
}

void Desktop::click(const QPoint& point)
{
    XTestFakeMotionEvent(m_display, -1, point.x(), point.y(), CurrentTime);
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XSync(m_display, False);
}

void Desktop::focus(Window window)
{
    XSetInputFocus(m_display, window, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
}

void Desktop::key(KeySym keySym)
{
    const KeyCode code = XKeysymToKeycode(m_display, keySym);
    const bool shifted = XkbKeycodeToKeysym(m_display, code, 0, 0) != keySym;
    const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
    if (shifted)
        XTestFakeKeyEvent(m_display, shift, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(m_display, shift, False, CurrentTime);
    XSync(m_display, False);
}

void Desktop::type(const QString& text)
{
    for (const QChar character : text)
        key(character.unicode());
}

void Desktop::press(KeySym keySym)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keySym), True, CurrentTime);
    XFlush(m_display);
}

void Desktop::release(KeySym keySym)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keySym), False, CurrentTime);
    XFlush(m_display);
}
