// Counts one key's presses on an own X connection: XInput2 raw key events, or XQueryKeymap on each read.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <vector>

struct _XDisplay;
class QSocketNotifier;

// The X keysym for a Qt key: function keys and Latin-1 keys (letters as their
// lower-case keysym); 0 (NoSymbol) for any other key.
unsigned long x11KeySym(Qt::Key key);

class GlobalKeyX11 : public QObject
{
    Q_OBJECT

public:
    // Null when no X server can be reached. With rawEventsWanted false, or when
    // the server has no XInput2 >= 2.0, every read asks the server (XQueryKeymap).
    static GlobalKeyX11* open(Qt::Key key, bool rawEventsWanted, QObject* parent);
    ~GlobalKeyX11() override;

    // The presses since the last call. A raw event carries the server's time of the press, and
    // one older than maxAge is left out; keymap queries tell no time, so there afterFreeze
    // (the caller has not looked for longer than maxAge) leaves out the press they find.
    int takePresses(std::chrono::milliseconds maxAge, bool afterFreeze);
    QString mechanism() const;

private:
    GlobalKeyX11(_XDisplay* display, Qt::Key key, QObject* parent);
    QString selectRawEvents();
    bool keymapSaysDown();
    void drainQueued();
    void drainSocket();
    void handleNextEvent();
    void findKeyCode();
    void noteRawEvent(int type, int keyCode, int flags, unsigned long time);
    int freshPresses(std::chrono::milliseconds maxAge);
    unsigned long serverTime();

    _XDisplay* m_display;
    unsigned long m_keySym;
    unsigned char m_keyCode = 0;
    int m_xiOpcode = -1; // -1 while raw events are not in use
    bool m_down = false;
    std::vector<unsigned long> m_pressTimes; // server times of the raw presses not yet taken
    unsigned long m_clockWindow = 0; // asked for the server's time (see serverTime)
    unsigned long m_clockAtom = 0;
    QString m_mechanism;
    QSocketNotifier* m_notifier = nullptr;
};
