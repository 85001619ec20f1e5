// Code page 936 (GBK) bytes as a Simplified-Chinese Windows writes them, with GB18030 for the rest.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bytes of the LRC file, whatever the locale of this machine:
//
// - Every character code page 936 has is written as Windows writes it (WideCharToMultiByte,
//   code page 936). glibc's CP936 table gives exactly those bytes for all code points outside
//   the private-use area; compared code point by code point with Windows' table, including
//   the euro sign as the single byte 0x80 and U+00B7, U+2014, U+2015 as A1A4, A1AA, A844.
// - Private-use code points: Windows maps U+E000…U+E864 to its user-defined areas and to the
//   two-byte codes GB18030-2000 left to them, and U+F8F5 to the byte 0xFF. They are written
//   that way too, since they only mean something with a font made for that mapping. 107 of
//   those bytes (U+E76C, U+E78D…U+E796, U+E7C7, U+E7C8, U+E7E7…U+E7F3, U+E815…U+E864 and
//   U+F8F5) read as other characters, or nothing, to a GB18030 reader.
// - Characters code page 936 lacks (emoji, Hangul, rarer ideographs, U+30FB …) never become
//   "?": they are written as their GB18030 sequences (four bytes; two for the few characters
//   GB18030 put into codes that GBK left free), so the file reads back whole with GB18030.
// - A lone surrogate has no encoding anywhere; it is written as U+FFFD's GB18030 bytes
//   84 31 A4 37, so the reader sees that something was there.
//
// Throws UserError only if glibc lacks its CP936/GB18030 modules.
QByteArray encodeCodePage936(const QString& text);

// Strict GB18030: nullopt for any byte sequence GB18030 does not define, including one cut off
// at the end. The single exception is the byte 0x80, read as "€" as Windows and web browsers
// read it, so that every file encodeCodePage936 makes from ordinary text reads back.
// Throws UserError only if glibc lacks its GB18030 module.
std::optional<QString> decodeGb18030(const QByteArray& bytes);
