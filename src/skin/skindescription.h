// What a stored skin says about itself: its name, and which image draws which part.
#pragma once

#include <QByteArray>
#include <QString>

struct SkinDescription
{
    QString name;

    // File names of the images, relative to the skin's folder.
    QString paper; // the sheet the windows, menus and buttons are drawn on
    QString paperActive; // the warmer sheet of the active caption bar and of lit-up controls
};

// Reads "Key=Value" lines (UTF-8; blank lines and lines starting with # are skipped). Every key
// must appear exactly once; a malformed, unknown, repeated or missing key throws UserError.
SkinDescription parseSkinDescription(const QByteArray& text);
