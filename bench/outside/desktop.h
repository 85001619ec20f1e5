// A benchmark's own connection to the X server, to watch programs from outside as a person does:
// the pixels in the middle of the screen, the windows on it, and key events through XTest.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <vector>

// Xlib's own header defines names (Bool, Status, …) that clash with Qt's, so it stays in the .cpp.
struct _XDisplay;

class Desktop
{
public:
    using Window = unsigned long; // Xlib's Window and KeySym, both XIDs
    using KeySym = unsigned long;

    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // A block of 8 × 8 pixels in the middle of the screen, where windows open centred.
    QByteArray centre() const { return middle(8, 8); }
    // The pixels of a block of width × height in the middle of the screen.
    QByteArray middle(int width, int height) const;
    // Whether the middle of the screen shows what it showed when this connection was opened.
    bool isEmpty() const { return centre() == m_empty; }
    // The top-level windows on the screen now, bigger than a menu.
    std::vector<Window> windows() const;

    // Where a window is on the screen, in the root window's pixels.
    QRect geometry(Window window) const;
    // The pixels of a rectangle of the screen.
    QByteArray pixels(const QRect& rect) const;
    // The pointer moved to a point of the screen and the left button pressed and released there
    // at once, as one quick click; returns once the server has them.
    void click(const QPoint& point);

    void focus(Window window);
    // A key pressed and released, with Shift where the key's symbol needs it; waits for the server.
    void key(KeySym keySym);
    void type(const QString& text);
    // Half a key stroke, sent at once without waiting for the server.
    void press(KeySym keySym);
    void release(KeySym keySym);

private:
    _XDisplay* m_display = nullptr;
    Window m_root = 0;
    int m_centreX = 0;
    int m_centreY = 0;
    QByteArray m_empty;
};
