// Bytes of a text file of unknown encoding read as text: byte-order marks, UTF-8, else GB18030.
#include "lyrics/textdecoder.h"

#include "lyrics/gbkcodec.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

bool startsWith(const QByteArray& bytes, const char* mark)
{
    return bytes.startsWith(QByteArrayView(mark));
}

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// A mark right after the first one is a character of the text and stays.
std::optional<QString> decodeStrictly(QStringDecoder::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Qt reads UTF-16 without judging it: an odd byte at the end, a surrogate without its partner
// and the NUL character are what no text file holds.
std::optional<QString> decodeUtf16(QStringDecoder::Encoding encoding, QByteArrayView bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::optional<QString> text = decodeStrictly(encoding, bytes);
    if (!text)
        return std::nullopt;
    const QStringView units(*text);
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QChar unit = units[i];
        if (unit.isNull())
            return std::nullopt;
        if (unit.isHighSurrogate() && i + 1 < units.size() && units[i + 1].isLowSurrogate())
            ++i;
        else if (unit.isSurrogate())
            return std::nullopt;
    }
    return text;
}

// The codes the export gives private-use characters as Windows does, where GB18030 reads another
// character (A2E3 is its euro sign, FE51… ideographs of its latest edition) or none (FF). They are
// read back as written, so that a file the program made comes back byte for byte.
struct WindowsCode
{
    QByteArrayView bytes;
    char16_t character;
};

constexpr WindowsCode kWindowsCodes[] = {
    {"\xFF", u'\uF8F5'},     {"\xA2\xE3", u'\uE76C'}, {"\xFE\x51", u'\uE816'}, {"\xFE\x52", u'\uE817'},
    {"\xFE\x53", u'\uE818'}, {"\xFE\x6C", u'\uE831'}, {"\xFE\x76", u'\uE83B'}, {"\xFE\x91", u'\uE855'},
};

bool mayHoldWindowsCodes(QByteArrayView bytes)
{
    return bytes.contains('\xFF') || bytes.contains('\xFE') || bytes.contains(QByteArrayView("\xA2\xE3"));
}

// The length of the GB18030 character at the start: one byte below 81 (and FF), four when the
// second is a digit, two otherwise. Bad bytes are left to the strict decoder to find.
qsizetype gb18030Length(QByteArrayView bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x81 || lead == 0xFF || bytes.size() < 2)
        return 1;
    return bytes[1] >= '0' && bytes[1] <= '9' ? qMin<qsizetype>(4, bytes.size()) : 2;
}

// GB18030, with the byte 80 as the euro sign and the Windows codes above.
std::optional<QString> decodeAsExportWrites(const QByteArray& bytes)
{
    if (!mayHoldWindowsCodes(bytes))
        return decodeGb18030(bytes);
    const QByteArrayView view(bytes);
    QString text;
    qsizetype runStart = 0;
    const auto decodeRunUpTo = [&](qsizetype end) {
        const std::optional<QString> run = decodeGb18030(view.sliced(runStart, end - runStart).toByteArray());
        if (run)
            text += *run;
        return run.has_value();
    };
    for (qsizetype at = 0; at < view.size();) {
        const qsizetype length = gb18030Length(view.sliced(at));
        const QByteArrayView character = view.sliced(at, length);
        const auto windowsCode = std::find_if(std::begin(kWindowsCodes), std::end(kWindowsCodes),
                                              [&](const WindowsCode& code) { return code.bytes == character; });
        if (windowsCode != std::end(kWindowsCodes)) {
            if (!decodeRunUpTo(at))
                return std::nullopt;
            text += QChar(windowsCode->character);
            runStart = at + length;
        }
        at += length;
    }
    if (!decodeRunUpTo(view.size()))
        return std::nullopt;
    return text;
}

std::optional<DecodedText> withEncoding(std::optional<QString> text, TextEncoding encoding)
{
    if (!text)
        return std::nullopt;
    return DecodedText{std::move(*text), encoding};
}

} // namespace

std::optional<DecodedText> decodeText(const QByteArray& bytes)
{
    const QByteArrayView view(bytes);
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        if (view.contains('\0'))
            return std::nullopt;
        return withEncoding(decodeStrictly(QStringDecoder::Utf8, view.sliced(3)), TextEncoding::Utf8WithBom);
    }
    if (startsWith(bytes, "\xFF\xFE"))
        return withEncoding(decodeUtf16(QStringDecoder::Utf16LE, view.sliced(2)), TextEncoding::Utf16Le);
    if (startsWith(bytes, "\xFE\xFF"))
        return withEncoding(decodeUtf16(QStringDecoder::Utf16BE, view.sliced(2)), TextEncoding::Utf16Be);
    if (view.contains('\0'))
        return std::nullopt;
    // ASCII reads the same in every candidate; GB18030 is the one the file is written back in.
    if (isAscii(bytes))
        return DecodedText{QString::fromLatin1(bytes), TextEncoding::Gb18030};
    if (std::optional<QString> utf8 = decodeStrictly(QStringDecoder::Utf8, view))
        return DecodedText{std::move(*utf8), TextEncoding::Utf8};
    return withEncoding(decodeAsExportWrites(bytes), TextEncoding::Gb18030);
}

LrcEncoding lrcEncodingFor(TextEncoding read)
{
    return read == TextEncoding::Gb18030 ? LrcEncoding::CodePage936 : LrcEncoding::Utf8;
}
