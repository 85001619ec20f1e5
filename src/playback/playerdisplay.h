// The player's own display (mpv draws nothing here): title, state, position, length, progress.
#pragma once

#include <QString>

class QPainter;
class QPalette;
class QRect;

struct PlayerDisplayState
{
    QString title;
    QString status;
    double position = 0.0;
    double duration = 0.0;
};

// A position in the form of an LRC time tag, "mm:ss.xx": hundredths cut, not rounded, as the
// pause readout cuts them; minutes are not wrapped into hours; below zero reads "00:00.00".
QString lrcClockText(double seconds);

// Paints the display into area on a light, paper-like ground in the palette's colours.
void paintPlayerDisplay(QPainter& painter, const QRect& area, const QPalette& palette,
                        const PlayerDisplayState& state);
