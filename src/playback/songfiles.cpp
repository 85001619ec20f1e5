// Which files are songs for the player rather than lyrics, told by their names.
#include "playback/songfiles.h"

#include <QFileInfo>
#include <QStringList>

using namespace Qt::StringLiterals;

bool isSongFileName(const QString& path)
{
    static const QStringList songSuffixes
        = {u"mp3"_s, u"flac"_s, u"m4a"_s, u"aac"_s, u"ogg"_s, u"opus"_s, u"wav"_s, u"ape"_s, u"wma"_s};
    return songSuffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}
