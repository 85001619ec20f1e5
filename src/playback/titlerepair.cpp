// Turns title tags that arrived as raw GBK bytes or as Latin-1 mojibake of them into Chinese text.
#include "playback/titlerepair.h"

#include "lyrics/gbkcodec.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

bool hasNonAscii(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80; });
}

// Chinese text in GBK comes in pairs of high bytes. A Latin-1 letter followed by a plain
// one ("Für", "Señor") can also decode as GBK, into a wrong ideograph, so such a pair is
// taken as Latin-1. GBK's few characters whose second byte is ASCII are given up for this.
bool pairsOfHighBytes(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80)
            continue;
        if (i + 1 >= bytes.size() || static_cast<unsigned char>(bytes[i + 1]) < 0x80)
            return false;
        ++i;
    }
    return true;
}

std::optional<QString> decodeChinese(const QByteArray& bytes)
{
    if (!pairsOfHighBytes(bytes))
        return std::nullopt;
    return decodeGb18030(bytes);
}

} // namespace

QString repairTitle(const QString& title)
{
    if (!fitsLatin1(title) || !hasNonAscii(title))
        return title;
    return decodeChinese(title.toLatin1()).value_or(title);
}

QString singleLineTitle(const QString& title)
{
    qsizetype length = title.size();
    if (length > kMaxTitleLength)
        length = title.at(kMaxTitleLength - 1).isHighSurrogate() ? kMaxTitleLength - 1 : kMaxTitleLength;
    QString line = title.left(length);
    for (QChar& c : line) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = u' ';
    }
    if (length < title.size())
        line += u'…';
    return line;
}

QString decodeTagText(const QByteArray& raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return repairTitle(text);
    return decodeChinese(raw).value_or(QString::fromLatin1(raw));
}
