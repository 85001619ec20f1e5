// The LRC file: the cleaned sheet as code page 936 bytes, and their atomic write to disk.
#pragma once

#include "lyrics/lrcencoding.h"

#include <QByteArray>
#include <QString>

// The sheet with every line break as CR LF (a lone "\n" or "\r" from hand editing, and the
// Unicode paragraph and line separators, become CR LF too), one more CR LF after it, encoded
// with encodeCodePage936 or as UTF-8, and without a byte-order mark.
QByteArray lrcFileBytes(const QString& sheet, LrcEncoding encoding = LrcEncoding::CodePage936);

// Writes bytes to path with writeFileSafely: the old file is replaced only once the new content is
// complete and synced, and keeps its permissions. The path is used as given (no extension is added).
// Throws UserError, naming the path and the reason in Chinese, when it cannot be written or is
// something other than a regular file; the old file is then untouched.
void writeLrcFile(const QString& path, const QByteArray& bytes);
