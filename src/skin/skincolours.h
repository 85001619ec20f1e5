// The inks and tints of the paper skin, and the palette the skinned windows get from them.
#pragma once

#include <QColor>
#include <QPalette>

class QPixmap;

struct SkinColours
{
    QColor paper; // the average colour of the paper image
    QColor button; // the plain face of scroll bars and other small controls
    QColor ink; // captions, labels, button texts
    QColor inkFaded; // disabled texts, the caption of an inactive window
    QColor text; // what the user types
    QColor base; // text boxes: nearly white, so typed text stays easy to read on the paper
    QColor baseDisabled;
    QColor selection; // selected text and items
    QColor rule; // borders of buttons, boxes and menus
    QColor ruleHighlighted;
    QColor ruleStrong; // pressed and default buttons, the outer line of the window frame
    QColor ruleFaded; // borders of disabled controls
    QColor ruleLight; // frames of groups, separators, the inner line of the window frame
    QColor paperLight; // the light edge of etched lines
    QColor seal; // the red of the close button under the mouse
    QColor sheen; // laid over paper to lift a button off the page
    QColor sheenDisabled; // … and to fade a disabled one
    QColor shade; // laid over paper for a pressed button
};

// The colours of the paper skin, matched to its images.
SkinColours skinColours();

// Window backgrounds are the paper texture itself; the other roles come from the colours.
QPalette skinPalette(const SkinColours& colours, const QPixmap& paper);
