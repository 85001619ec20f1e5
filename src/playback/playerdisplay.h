// The player's own display (mpv draws nothing here): title, state, position, length, progress, lyric lines.
#pragma once

#include "lyrics/lyrictimeline.h"

#include <QString>

#include <optional>

class QPainter;
class QPalette;
class QRect;

struct PlayerDisplayState
{
    QString title;
    QString status;
    double position = 0.0;
    double duration = 0.0;
    // The sheet's line at the position and the one after it; none keeps the one-line display.
    std::optional<LyricMoment> lyric = std::nullopt;
    // The volume on the player's scale, shown after the clock as "音量 50"; none shows none.
    std::optional<int> volume = std::nullopt;
};

// A position in the form of an LRC time tag, "mm:ss.xx": hundredths cut, not rounded, as the
// pause readout cuts them (cutToHundredths); minutes are not wrapped into hours; below zero reads "00:00.00".
QString lrcClockText(double seconds);

// Where a click on the progress bar of a display painted into area counts: the bar's full width
// (its left edge is 0 % of the song, its right edge 100 %), from a little above it to the
// bottom of area, so that a click need not hit a bar a few pixels high.
QRect progressTrackArea(const QRect& area);

// Paints the display into area on a light, paper-like ground in the palette's colours. With a
// lyric, the current line leads in a larger font over the dimmer next line, and the title and
// clock move to the right of them.
void paintPlayerDisplay(QPainter& painter, const QRect& area, const QPalette& palette, const PlayerDisplayState& state);
