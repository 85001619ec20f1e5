// Reads the TGA pictures of a skin without depending on an image-format plugin being installed.
#pragma once

#include <QByteArray>
#include <QImage>

// Uncompressed true-colour TGA (image type 2), 24 or 32 bits per pixel, any of the four corner
// origins; an ID field is skipped and a TGA 2.0 footer ignored. Anything else (colour-mapped,
// grey-scale or run-length-encoded images, a cut-off file) throws UserError. 32-bit pictures
// keep their alpha channel (Format_ARGB32).
QImage readTga(const QByteArray& data);
