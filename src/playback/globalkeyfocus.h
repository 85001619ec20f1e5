// Counts one key's presses from the application's own key events, where no system-wide source exists.
#pragma once

#include <QObject>

class GlobalKeyFocus : public QObject
{
    Q_OBJECT

public:
    // Watches every key event of the application; without one it never counts a press.
    GlobalKeyFocus(Qt::Key key, QObject* parent);

    // The presses since the last call; a key held down is one press.
    int takePresses();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Qt::Key m_key;
    bool m_down = false;
    int m_presses = 0;
};
