// Places a window in the middle of the screen, worked out in twips as the window layouts are.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Left = screen width / 2 − window width / 2, Top likewise, in floating point stored as single
// precision; nothing is rounded to the screen or clamped here, so a window larger than the
// screen comes out with a negative Left or Top.
QPoint centredPosition(QSize screenPixels, QSize windowPixels);

// Moves a position as little as needed to keep the window's caption bar where the user can reach
// it: the top-left corner inside the available area (the screen without its panels), and the
// right end too while the window is not wider than that area. A position already so is kept.
QPoint keptReachable(QPoint topLeft, QSize windowPixels, QRect availableArea);

class QWidget;
// Centres as designed, kept reachable on a screen too small for the window (a high scale).
void centreOnScreen(QWidget* window);
