// Code page 936 (GBK) bytes as a Simplified-Chinese Windows writes them, with GB18030 for the rest.
#include "lyrics/gbkcodec.h"

#include "lyrics/iconvconverter.h"

#include <QList>
#include <QSysInfo>

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kUtf16 =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
// glibc's own form: code points as native 32-bit integers.
constexpr const char* kCodePoints = "WCHAR_T";
constexpr char kEuroByte = '\x80';

QByteArray replacementCharacterBytes()
{
    return QByteArrayLiteral("\x84\x31\xA4\x37");
}

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

std::optional<QByteArray> windowsPrivateUseBytes(char32_t codePoint)
{
    for (const PrivateUseRun& run : kWindowsPrivateUse) {
        if (codePoint >= run.first && codePoint <= run.last) {
            const unsigned code = run.firstCode + (codePoint - run.first);
            const char bytes[] = {char(code >> 8), char(code & 0xFF)};
            return code <= 0xFF ? QByteArray(bytes + 1, 1) : QByteArray(bytes, 2);
        }
    }
    return std::nullopt;
}

QByteArray gb18030Bytes(IconvConverter& toGb18030, char32_t codePoint)
{
    char buffer[8];
    const char* in = reinterpret_cast<const char*>(&codePoint);
    std::size_t inLeft = sizeof codePoint;
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    if (toGb18030.convert(in, inLeft, out, outLeft) != 0)
        return replacementCharacterBytes();
    return QByteArray(buffer, out - buffer);
}

// The GB18030 converter is opened only when the text has a character code page 936 lacks.
QByteArray fallbackBytes(char32_t codePoint, std::optional<IconvConverter>& toGb18030)
{
    if (std::optional<QByteArray> windowsBytes = windowsPrivateUseBytes(codePoint))
        return *windowsBytes;
    if (!toGb18030)
        toGb18030.emplace("GB18030", kCodePoints);
    return gb18030Bytes(*toGb18030, codePoint);
}

} // namespace

QByteArray encodeCodePage936(const QString& text)
{
    // From code points, glibc converts in one step. From UTF-16 it goes through an intermediate
    // buffer and redoes that buffer at every character code page 936 lacks, which made a sheet
    // with an emoji on every line a hundred times slower. toUcs4() also turns a lone surrogate
    // into U+FFFD, which is what the file gets for it.
    const QList<uint> codePoints = text.toUcs4();
    IconvConverter toCp936("CP936", kCodePoints);
    std::optional<IconvConverter> toGb18030;
    // No code point gives more than four bytes, so one allocation holds the whole result.
    QByteArray bytes(codePoints.size() * 4, Qt::Uninitialized);
    char* out = bytes.data();
    std::size_t outLeft = bytes.size();
    const char* in = reinterpret_cast<const char*>(codePoints.constData());
    std::size_t inLeft = codePoints.size() * sizeof(char32_t);
    while (inLeft > 0 && toCp936.convert(in, inLeft, out, outLeft) != 0) {
        char32_t codePoint;
        std::memcpy(&codePoint, in, sizeof codePoint);
        const QByteArray fallback = fallbackBytes(codePoint, toGb18030);
        std::memcpy(out, fallback.constData(), fallback.size());
        out += fallback.size();
        outLeft -= fallback.size();
        in += sizeof codePoint;
        inLeft -= sizeof codePoint;
    }
    bytes.truncate(out - bytes.constData());
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
