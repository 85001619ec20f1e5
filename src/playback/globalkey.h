// Tells whether one key is down right now, system-wide, whichever application has the focus.
#pragma once

#include <QObject>
#include <QString>

class GlobalKeyFocus;
class GlobalKeyX11;

class GlobalKey : public QObject {
    Q_OBJECT

public:
    // Ways to learn the key's state, best first. The program takes the best that
    // works; a lesser one can be asked for to measure or test it.
    enum class Source {
        Best,               // GetAsyncKeyState on Windows, XInput2 raw key events on X
        KeymapQuery,        // ask the X server on every read (XQueryKeymap)
        ApplicationEvents,  // only the key events of this program, while it has the focus
    };
    Q_ENUM(Source)

    explicit GlobalKey(Qt::Key key, QObject* parent = nullptr);
    GlobalKey(Qt::Key key, Source wanted, QObject* parent = nullptr);
    ~GlobalKey() override;

    // The momentary state, cheap enough for a timer that fires every millisecond.
    // A press and release that both fall between two reads are not seen.
    bool isDown() const;
    // Which way the state is obtained, in words for the README and diagnostics.
    QString mechanism() const;

private:
    void useKeyEvents(const QString& why);

    Qt::Key m_key;
    GlobalKeyX11* m_x11 = nullptr;
    GlobalKeyFocus* m_focus = nullptr;
    QString m_mechanism;
};
