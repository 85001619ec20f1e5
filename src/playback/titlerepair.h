// Turns a title tag that arrived as Latin-1 mojibake of GBK bytes back into its Chinese text.
#pragma once

#include <QString>

// Most Chinese MP3s store their titles as GBK bytes in ID3v1 tags or in ID3v2 frames marked
// Latin-1; the demuxer then hands every byte over as one Latin-1 character. When each character
// of the title fits a byte and some byte is non-ASCII, the bytes are read again as GB18030,
// strictly; a title those bytes do not form (such as "Café") comes back unchanged.
QString repairTitle(const QString& title);
