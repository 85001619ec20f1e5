// Presses real keys through XTest, and lets a window of another X client take the keyboard focus.
#pragma once

#include <set>
#include <vector>

struct _XDisplay;

class XTestKeyboard
{
public:
    // Opens an own connection to the X server named by DISPLAY.
    XTestKeyboard();
    // Releases the keys still held, so that a failed test leaves none down.
    ~XTestKeyboard();
    XTestKeyboard(const XTestKeyboard&) = delete;
    XTestKeyboard& operator=(const XTestKeyboard&) = delete;

    // False without an X server or without its XTEST extension.
    bool isOpen() const;

    // Each returns once the server has handled the key event.
    void press(unsigned long keySym);
    void release(unsigned long keySym);

    // Maps a plain window of this connection and gives it the input focus,
    // so that the keyboard's events go to a client other than the test's.
    void focusOwnWindow();
    bool ownWindowHasFocus() const;
    // Gives the input focus to another client's window, as a window manager does when it is clicked.
    void focusWindow(unsigned long window);
    // The mapped top-level windows of the process with this id (by _NET_WM_PID), the biggest first.
    std::vector<unsigned long> windowsOf(long pid) const;
    // True once a window manager manages the screen: it owns the WM_S0 selection (ICCCM 2.8).
    bool screenIsManaged() const;

private:
    void send(unsigned long keySym, bool down);

    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    std::set<unsigned char> m_held;
};
