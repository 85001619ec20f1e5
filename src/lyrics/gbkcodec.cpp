// Code page 936 (GBK) bytes as a Simplified-Chinese Windows writes them, with GB18030 for the rest.
#include "lyrics/gbkcodec.h"

#include "lyrics/iconvconverter.h"

#include <QSysInfo>

#include <cerrno>
#include <cstring>

namespace {

const char* const kUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
const char kEuroByte = '\x80';
const QByteArray kReplacementGb18030 = QByteArrayLiteral("\x84\x31\xA4\x37");

struct PrivateUseRun
{
    char32_t first;
    char32_t last;
    unsigned firstCode;
};

// Windows' codes for the private-use points where glibc's GB18030 (following the later editions
// of the standard) gives other bytes or none. For every other private-use point Windows maps,
// glibc's GB18030 gives Windows' bytes already.
constexpr PrivateUseRun kWindowsPrivateUse[] = {
    {0xE76C, 0xE76C, 0xA2E3}, {0xE78D, 0xE793, 0xA6D9}, {0xE794, 0xE795, 0xA6EC},
    {0xE796, 0xE796, 0xA6F3}, {0xE7C7, 0xE7C7, 0xA8BC}, {0xE7C8, 0xE7C8, 0xA8BF},
    {0xE7E7, 0xE7F3, 0xA989}, {0xE815, 0xE843, 0xFE50}, {0xE844, 0xE864, 0xFE80},
    {0xF8F5, 0xF8F5, 0x00FF},
};

// The character that stopped the bulk conversion, as UTF-16 units.
struct Character
{
    const char16_t* units;
    int length;
    bool loneSurrogate;
};

Character characterAt(const char16_t* units, std::size_t unitsLeft)
{
    if (QChar::isHighSurrogate(units[0]) && unitsLeft > 1 && QChar::isLowSurrogate(units[1]))
        return {units, 2, false};
    return {units, 1, QChar::isSurrogate(units[0])};
}

std::optional<QByteArray> windowsPrivateUseBytes(const Character& character)
{
    const char32_t codePoint = character.units[0];
    for (const PrivateUseRun& run : kWindowsPrivateUse) {
        if (character.length == 1 && codePoint >= run.first && codePoint <= run.last) {
            const unsigned code = run.firstCode + (codePoint - run.first);
            const char bytes[] = {char(code >> 8), char(code & 0xFF)};
            return code <= 0xFF ? QByteArray(bytes + 1, 1) : QByteArray(bytes, 2);
        }
    }
    return std::nullopt;
}

QByteArray gb18030Bytes(IconvConverter& toGb18030, const Character& character)
{
    char buffer[8];
    const char* in = reinterpret_cast<const char*>(character.units);
    std::size_t inLeft = character.length * sizeof(char16_t);
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    if (toGb18030.convert(in, inLeft, out, outLeft) != 0)
        return kReplacementGb18030;
    return QByteArray(buffer, out - buffer);
}

// The GB18030 converter is opened only when the text has a character code page 936 lacks.
QByteArray fallbackBytes(const Character& character, std::optional<IconvConverter>& toGb18030)
{
    if (character.loneSurrogate)
        return kReplacementGb18030;
    if (std::optional<QByteArray> windowsBytes = windowsPrivateUseBytes(character))
        return *windowsBytes;
    if (!toGb18030)
        toGb18030.emplace("GB18030", kUtf16);
    return gb18030Bytes(*toGb18030, character);
}

} // namespace

QByteArray encodeCodePage936(const QString& text)
{
    IconvConverter toCp936("CP936", kUtf16);
    std::optional<IconvConverter> toGb18030;
    const char* in = reinterpret_cast<const char*>(text.utf16());
    std::size_t inLeft = text.size() * sizeof(char16_t);
    QByteArray bytes;
    while (inLeft > 0) {
        // One UTF-16 unit never gives more than two bytes of code page 936, so the output
        // always has room and iconv stops only at a character it cannot convert.
        const qsizetype used = bytes.size();
        bytes.resize(used + qsizetype(inLeft));
        char* out = bytes.data() + used;
        std::size_t outLeft = inLeft;
        toCp936.convert(in, inLeft, out, outLeft);
        bytes.resize(out - bytes.constData());
        if (inLeft == 0)
            break;
        const auto* units = reinterpret_cast<const char16_t*>(in);
        const Character character = characterAt(units, inLeft / sizeof(char16_t));
        bytes += fallbackBytes(character, toGb18030);
        in += character.length * sizeof(char16_t);
        inLeft -= character.length * sizeof(char16_t);
    }
    return bytes;
}

std::optional<QString> decodeGb18030(const QByteArray& bytes)
{
    IconvConverter fromGb18030(kUtf16, "GB18030");
    // No GB18030 sequence gives more UTF-16 units than it has bytes.
    QString text(bytes.size(), Qt::Uninitialized);
    char* const begin = reinterpret_cast<char*>(text.data());
    char* out = begin;
    std::size_t outLeft = bytes.size() * sizeof(char16_t);
    const char* in = bytes.constData();
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        const int stop = fromGb18030.convert(in, inLeft, out, outLeft);
        if (stop == 0)
            break;
        if (stop != EILSEQ || *in != kEuroByte)
            return std::nullopt;
        const char16_t euro = u'\u20AC';
        std::memcpy(out, &euro, sizeof euro);
        out += sizeof euro;
        outLeft -= sizeof euro;
        ++in;
        --inLeft;
    }
    text.truncate((out - begin) / qsizetype(sizeof(char16_t)));
    return text;
}
