// Follows one key's state on an own X connection: XInput2 raw key events, or XQueryKeymap on each read.
#pragma once

#include <QObject>
#include <QString>

struct _XDisplay;
class QSocketNotifier;

// The X keysym for a Qt key: function keys and Latin-1 keys (letters as their
// lower-case keysym); 0 (NoSymbol) for any other key.
unsigned long x11KeySym(Qt::Key key);

class GlobalKeyX11 : public QObject {
    Q_OBJECT

public:
    // Null when no X server can be reached. With rawEventsWanted false, or when
    // the server has no XInput2 >= 2.0, every read asks the server (XQueryKeymap).
    static GlobalKeyX11* open(Qt::Key key, bool rawEventsWanted, QObject* parent);
    ~GlobalKeyX11() override;

    bool isDown();
    QString mechanism() const;

private:
    GlobalKeyX11(_XDisplay* display, Qt::Key key, QObject* parent);
    QString selectRawEvents();
    bool keymapSaysDown();
    void drainQueued();
    void drainSocket();
    void handleNextEvent();
    void findKeyCode();

    _XDisplay* m_display;
    unsigned long m_keySym;
    unsigned char m_keyCode = 0;
    int m_xiOpcode = -1;  // -1 while raw events are not in use
    bool m_down = false;
    QString m_mechanism;
    QSocketNotifier* m_notifier = nullptr;
};
