// Counts the presses of one key, system-wide, whichever application has the focus.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class GlobalKeyFocus;
class GlobalKeyPortal;
class GlobalKeyX11;

class GlobalKey : public QObject
{
    Q_OBJECT

public:
    // Ways to see the key's presses, best first. The program takes the best that
    // works; a lesser one can be asked for to measure or test it.
    enum class Source {
        Best, // GetAsyncKeyState on Windows, the desktop portal's global shortcut on Wayland
              // once it is bound, XInput2 raw key events on X
        KeymapQuery, // ask the X server on every read (XQueryKeymap)
        ApplicationEvents, // only the key events of this program, while it has the focus
    };
    Q_ENUM(Source)

    explicit GlobalKey(Qt::Key key, QObject* parent = nullptr);
    GlobalKey(Qt::Key key, Source wanted, QObject* parent = nullptr);
    ~GlobalKey() override;

    // A press that the program comes to only this long after it was made is left out: it
    // waited through a freeze of the program, and acting on it now would come too late.
    static constexpr std::chrono::milliseconds kStaleAfter{1000};

    // True once for each press since the calls before, however short the press and however
    // many came between two calls; a key held down is one press, whatever its repeats do.
    // Cheap when nothing was pressed, for a timer that fires every millisecond.
    bool takePress();
    // A press that came some other way, now (the toggle command): counted with the others, and
    // left out as they are when the program was frozen.
    void pressArrived();
    // Which way the presses are seen, in words for the README and diagnostics.
    QString mechanism() const;

private:
    void useKeyEvents(const QString& why);
    void openXSources(bool rawEventsWanted);
    void usePortal();
    void leavePortal(const QString& why);
    int collectPresses();
#ifdef Q_OS_WIN
    int asyncKeyStatePresses();
    bool m_wasDown = false;
#endif

    Qt::Key m_key;
    GlobalKeyX11* m_x11 = nullptr;
    GlobalKeyFocus* m_focus = nullptr;
    GlobalKeyPortal* m_portal = nullptr;
    int m_arrived = 0; // presses of pressArrived not yet collected
    QString m_mechanism;
    int m_pending = 0; // presses collected and not yet taken
    QElapsedTimer m_sinceCollect; // since the sources were last asked
};
