// The text shown when playback pauses: minutes, seconds and the first two digits of the fraction.
#pragma once

#include <QString>

// The position as plain decimal text: at most 15 significant digits, never an exponent,
// no trailing zeros, no point for a whole number, "0" before the point below 1.
QString positionText(double seconds);

// A position cut to hundredths as the readout takes it from the position text: the whole
// seconds, and the first two digits after the point as text, neither rounded nor filled, so 5.5
// gives "5" and a whole number "". Every clock of the program that shows hundredths cuts here.
struct CutPosition
{
    qint64 wholeSeconds = 0;
    QString fraction;
};
CutPosition cutToHundredths(double seconds);

// "m:s:ff" as the user reads it off the pause box, e.g. 65.34 s gives "1:5:34".
// The fraction is cut, never rounded or filled; a whole number of seconds reads ":0".
QString positionReadout(double seconds);
