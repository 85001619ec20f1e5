// Places a window in the middle of the screen, computed in twips as the program always has.
#pragma once

#include <QPoint>
#include <QSize>

// Left = screen width / 2 − window width / 2, Top likewise, in floating point stored as single
// precision; nothing is rounded to the screen or clamped, so a window larger than the screen
// comes out with a negative Left or Top.
QPoint centredPosition(QSize screenPixels, QSize windowPixels);

class QWidget;
void centreOnScreen(QWidget* window);
