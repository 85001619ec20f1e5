// Turns a title tag that arrived as Latin-1 mojibake of GBK bytes back into its Chinese text.
#include "playback/titlerepair.h"

#include "lyrics/gbkcodec.h"

#include <algorithm>

namespace {

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

bool hasNonAscii(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80; });
}

} // namespace

QString repairTitle(const QString& title)
{
    if (!fitsLatin1(title) || !hasNonAscii(title))
        return title;
    return decodeGb18030(title.toLatin1()).value_or(title);
}
