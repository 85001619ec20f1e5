// Turns title tags that arrived as raw GBK bytes or as Latin-1 mojibake of them into Chinese text.
#pragma once

#include <QByteArray>
#include <QString>

// Most Chinese MP3s store their titles as GBK bytes in ID3v1 tags or in ID3v2 frames marked
// Latin-1; the demuxer then hands every byte over as one Latin-1 character. When each character
// of the title fits a byte and some byte is non-ASCII, the bytes are read again as GB18030,
// strictly; a title those bytes do not form (such as "Café") comes back unchanged.
QString repairTitle(const QString& title);

// A tag value as the demuxer passed it on: UTF-8 when the tag said what it holds (then
// repaired as above), the tag's own bytes otherwise, as in ID3v1 tags. Bytes that are not
// UTF-8 are read as GB18030 if they form it, else as Latin-1, the encoding ID3v1 prescribes.
QString decodeTagText(const QByteArray& raw);

// The most characters a title keeps: more than any label or the player's strip can show at any
// scale, few enough that laying it out on every frame costs nothing.
constexpr qsizetype kMaxTitleLength = 256;

// A title as one line: control characters, line and paragraph breaks become blanks, and a
// title longer than kMaxTitleLength is cut there (never inside a surrogate pair) with "…".
QString singleLineTitle(const QString& title);
