// Which files are songs for the player rather than lyrics, told by their names.
#pragma once

#include <QString>

// True for the audio files the player takes (mp3, flac, m4a, aac, ogg, opus, wav, ape, wma),
// whatever the case of the extension.
bool isSongFileName(const QString& path);
