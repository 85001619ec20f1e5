// Counts one key's presses from the application's own key events, where no system-wide source exists.
#include "playback/globalkeyfocus.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <utility>

GlobalKeyFocus::GlobalKeyFocus(Qt::Key key, QObject* parent)
    : QObject(parent)
    , m_key(key)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

int GlobalKeyFocus::takePresses()
{
    return std::exchange(m_presses, 0);
}

bool GlobalKeyFocus::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // A press after a release counts, also one marked auto-repeat: Qt's guess at
        // repeats can outlive a window and mark the next real press as a repeat.
        if (static_cast<QKeyEvent*>(event)->key() == m_key) {
            m_presses += m_down ? 0 : 1;
            m_down = true;
        }
        break;
    case QEvent::KeyRelease: {
        // A held key repeats as release/press pairs: it stays down through them.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == m_key && !key->isAutoRepeat())
            m_down = false;
        break;
    }
    case QEvent::ApplicationStateChange:
        // The release of a key held while the focus leaves goes to another
        // program; left as it was, the key would read down for ever.
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
            m_down = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
