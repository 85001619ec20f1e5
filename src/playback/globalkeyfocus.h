// Follows one key's state from the application's own key events, where no system-wide source exists.
#pragma once

#include <QObject>

class GlobalKeyFocus : public QObject {
    Q_OBJECT

public:
    // Watches every key event of the application; without one it never reads down.
    GlobalKeyFocus(Qt::Key key, QObject* parent);

    bool isDown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Qt::Key m_key;
    bool m_down = false;
};
