// A position readout ("m:s:ff", as the pause box shows it) turned into the time tag it means.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// "1:5:34" gives "01:05.34", "0:5:5" gives "00:05.50" (one digit of the fraction is tenths),
// "61:6:16" gives "61:06.16". Blanks and line breaks around it, as a copy may carry, are
// ignored. nullopt for any other text: minutes and seconds written with leading zeros, seconds
// from 60 on, a fraction of no or more than two digits, anything more.
std::optional<QString> tagFromReadout(QStringView text);
