// Bytes of a text file of unknown encoding read as text: byte-order marks, UTF-8, else GB18030.
#pragma once

#include "lyrics/lrcencoding.h"

#include <QByteArray>
#include <QString>

#include <optional>

// How the bytes were read.
enum class TextEncoding { Gb18030, Utf8, Utf8WithBom, Utf16Le, Utf16Be };

struct DecodedText
{
    QString text;
    TextEncoding encoding;
};

// Reads the bytes in the first encoding that fits:
// - UTF-8, UTF-16 LE or UTF-16 BE when the bytes start with that encoding's byte-order mark (the
//   mark is not part of the text);
// - UTF-8 when the bytes are valid UTF-8 and hold something beyond ASCII;
// - otherwise GB18030, which reads GBK and code page 936 too, with the byte 0x80 as "€" and the
//   few private-use codes where Windows and GB18030 differ as Windows reads them, as the export
//   writes them.
// nullopt when the bytes are not text: a NUL byte (a NUL character in UTF-16), or bytes the chosen
// encoding does not define (after a mark, the mark's encoding is the only candidate).
// Throws UserError only if glibc lacks its GB18030 module.
std::optional<DecodedText> decodeText(const QByteArray& bytes);

// The encoding to write a file back in that was read as this: UTF-8 for what came as Unicode,
// so the user's choice of a Unicode file is kept; code page 936 for the rest.
LrcEncoding lrcEncodingFor(TextEncoding read);
