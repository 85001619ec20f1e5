// Runs a box of this program without taking the keyboard from the application the user works in.
#include "app/backgroundbox.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QWindow>

void BackgroundBox::exec(QDialog& box)
{
    if (!inBackground(box)) {
        box.exec();
        return;
    }
    // Not modal: on X, Qt activates every modal window it shows, whatever WA_ShowWithoutActivating
    // says. The attribute maps it with a _NET_WM_USER_TIME of 0, so the window manager does not
    // focus it either; on top, as the window manager would otherwise put it under the active window.
    box.setWindowModality(Qt::NonModal);
    box.setAttribute(Qt::WA_ShowWithoutActivating);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    BackgroundBox guard(box);
    QEventLoop wait;
    connect(&box, &QDialog::finished, &wait, &QEventLoop::quit);
    box.show();
    wait.exec();
}

// The program shows a window but is not the active application: another one is. At start-up,
// before any window of its own is shown, it is not active either, yet the user is waiting for it.
bool BackgroundBox::inBackground(const QDialog& box)
{
    const QWidget* owner = box.parentWidget();
    return owner && owner->isVisible() && QGuiApplication::applicationState() != Qt::ApplicationActive;
}

BackgroundBox::BackgroundBox(QDialog& box)
    : m_box(box)
{
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &BackgroundBox::takeFocusOnReturn);
}

// When the user comes back to this program, the box takes the focus, as a modal box would.
void BackgroundBox::takeFocusOnReturn(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive && m_box.isVisible())
        m_box.activateWindow();
}

// Clicks meant for the program's other windows go nowhere while the box is shown, as under a modal
// box. A box closed but still waiting to return, under a newer one, no longer holds them.
bool BackgroundBox::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_box.isVisible())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        if (auto* window = qobject_cast<QWindow*>(watched); window && window != m_box.windowHandle())
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
