// Turns title tags that arrived as raw GBK bytes or as Latin-1 mojibake of them into Chinese text.
#include "playback/titlerepair.h"

#include "lyrics/gbkcodec.h"

#include <QStringDecoder>

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

QString decodeTagText(const QByteArray& raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return repairTitle(text);
    return decodeGb18030(raw).value_or(QString::fromLatin1(raw));
}
