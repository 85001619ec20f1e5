// An LRC file read back into a sheet: checked, decoded, its closing line end taken off.
#pragma once

#include "lyrics/textdecoder.h"

#include <QString>

// Larger files are refused: lyrics run to some kilobytes, and the sheet box holds the whole text.
constexpr qint64 kMaxLrcFileBytes = 16 * 1024 * 1024;

struct OpenedLrc
{
    // The file's text without the one line end that closes it, which the export adds again.
    QString sheet;
    TextEncoding encoding;
};

// Reads the file at path. Throws UserError naming the path, with the reason in Chinese, when it
// is not a regular file, is over kMaxLrcFileBytes, cannot be read or is not text (decodeText).
OpenedLrc readLrcFile(const QString& path);

// The text without its last line end (CR LF, LF or CR), if it has one.
QString withoutClosingLineEnd(QString text);
