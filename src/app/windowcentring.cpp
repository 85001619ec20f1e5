// Places a window in the middle of the screen, worked out in twips as the window layouts are.
#include "app/windowcentring.h"

#include "app/twips.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

int centredPixel(int screenPixels, int windowPixels)
{
    const float twips = static_cast<float>(screenPixels * kTwipsPerPixel / 2.0 - windowPixels * kTwipsPerPixel / 2.0);
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

} // namespace

QPoint centredPosition(QSize screenPixels, QSize windowPixels)
{
    return {centredPixel(screenPixels.width(), windowPixels.width()),
            centredPixel(screenPixels.height(), windowPixels.height())};
}

QPoint keptReachable(QPoint topLeft, QSize windowPixels, QRect availableArea)
{
    const int x
        = std::max(availableArea.left(), std::min(topLeft.x(), availableArea.right() + 1 - windowPixels.width()));
    const int y = std::max(availableArea.top(), topLeft.y());
    return {x, y};
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    // The outer size, frame included, as the user sees the window.
    const QRect outer = window->frameGeometry();
    const QPoint centred = screen->geometry().topLeft() + centredPosition(screen->geometry().size(), outer.size());
    window->move(keptReachable(centred, outer.size(), screen->availableGeometry()));
}
