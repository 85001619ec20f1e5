// The border the skin draws round a frameless window, in the margins it leaves round the layout.
#include "skin/skinframe.h"

#include "skin/skinstyle.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

SkinFrame::SkinFrame(QWidget* window, SkinStyle& skin)
    : QObject(window)
    , window_(window)
    , skin_(skin)
{
    setObjectName(QStringLiteral("skinFrame"));
    window->installEventFilter(this);
}

bool SkinFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        // The window's background is already on the paper when its paint event arrives.
        if (event->type() == QEvent::Paint)
            paint();
        else if (event->type() == QEvent::ActivationChange)
            window_->update();
        // Menus and other widgets made after the skin was applied, while the window loaded.
        else if (event->type() == QEvent::Show)
            skin_.dress(window_);
    }
    return QObject::eventFilter(watched, event);
}

void SkinFrame::paint()
{
    const QRect outer = window_->rect();
    const QRect inner = outer.adjusted(kWidth, kWidth, -kWidth, -kWidth);
    QPainter painter(window_);
    painter.setClipRegion(QRegion(outer) - QRegion(inner));
    skin_.fillPaper(&painter, outer, window_->isActiveWindow());
    SkinStyle::drawRing(&painter, outer, skin_.colours().ruleStrong);
    SkinStyle::drawRing(&painter, inner.adjusted(-1, -1, 1, 1), skin_.colours().ruleLight);
}
