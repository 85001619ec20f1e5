// The border the skin draws round a frameless window, in the margins it leaves round the layout.
#include "skin/skinframe.h"

#include "skin/skinstyle.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

SkinFrame::SkinFrame(QWidget* window, SkinStyle& skin)
    : QObject(window)
    , m_window(window)
    , m_skin(skin)
{
    setObjectName(QStringLiteral("skinFrame"));
    window->installEventFilter(this);
}

bool SkinFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        // The window's background is already on the paper when its paint event arrives.
        if (event->type() == QEvent::Paint)
            paint();
        else if (event->type() == QEvent::ActivationChange)
            m_window->update();
        // Menus and other widgets made after the skin was applied, while the window loaded.
        else if (event->type() == QEvent::Show)
            m_skin.dress(m_window);
    }
    return QObject::eventFilter(watched, event);
}

void SkinFrame::paint()
{
    const QRect outer = m_window->rect();
    const QRect inner = outer.adjusted(kWidth, kWidth, -kWidth, -kWidth);
    QPainter painter(m_window);
    painter.setClipRegion(QRegion(outer) - QRegion(inner));
    m_skin.fillPaper(&painter, outer, m_window->isActiveWindow());
    SkinStyle::drawRing(&painter, outer, m_skin.colours().ruleStrong);
    SkinStyle::drawRing(&painter, inner.adjusted(-1, -1, 1, 1), m_skin.colours().ruleLight);
}
