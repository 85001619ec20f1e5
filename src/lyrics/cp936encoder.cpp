// Text to Windows code page 936 bytes, with GB18030 sequences for what that code page lacks.
#include "lyrics/cp936encoder.h"

#include <QList>

#include <algorithm>
#include <cstring>

namespace {

// glibc's own form: code points as native 32-bit integers. From it glibc converts in one step;
// from UTF-16 it goes through a buffer that it redoes at every character code page 936 lacks.
constexpr const char* kCodePoints = "WCHAR_T";

struct PrivateUseRun
{
    uint first;
    uint last;
    uint firstCode;
};

// Windows' codes for the private-use points where glibc's GB18030 (following the later editions
// of the standard) gives other bytes or none. For every other private-use point Windows maps,
// glibc's GB18030 gives Windows' bytes already.
constexpr PrivateUseRun kWindowsPrivateUse[] = {
    {0xE76C, 0xE76C, 0xA2E3}, {0xE78D, 0xE793, 0xA6D9}, {0xE794, 0xE795, 0xA6EC}, {0xE796, 0xE796, 0xA6F3},
    {0xE7C7, 0xE7C7, 0xA8BC}, {0xE7C8, 0xE7C8, 0xA8BF}, {0xE7E7, 0xE7F3, 0xA989}, {0xE815, 0xE843, 0xFE50},
    {0xE844, 0xE864, 0xFE80}, {0xF8F5, 0xF8F5, 0x00FF},
};

std::optional<QByteArray> windowsPrivateUseBytes(uint codePoint)
{
    for (const PrivateUseRun& run : kWindowsPrivateUse) {
        if (codePoint >= run.first && codePoint <= run.last) {
            const uint code = run.firstCode + (codePoint - run.first);
            const char bytes[] = {char(code >> 8), char(code & 0xFF)};
            return code <= 0xFF ? QByteArray(bytes + 1, 1) : QByteArray(bytes, 2);
        }
    }
    return std::nullopt;
}

// GB18030 numbers the planes above the BMP straight through its four-byte codes from
// 90 30 81 30 on. Done here rather than by glibc, which silently drops the tag characters
// U+E0000…U+E007F (as in emoji flags) when the target lacks them.
QByteArray supplementaryBytes(uint codePoint)
{
    uint index = codePoint - 0x10000;
    char bytes[4];
    bytes[3] = char(0x30 + index % 10);
    index /= 10;
    bytes[2] = char(0x81 + index % 126);
    index /= 126;
    bytes[1] = char(0x30 + index % 10);
    bytes[0] = char(0x90 + index / 10);
    return QByteArray(bytes, 4);
}

bool isSupplementary(uint codePoint)
{
    return codePoint > 0xFFFF;
}

} // namespace

Cp936Encoder::Cp936Encoder()
    : m_toCp936("CP936", kCodePoints)
{}

QByteArray Cp936Encoder::encode(const QString& text)
{
    // toUcs4() turns a lone surrogate into U+FFFD, which is what the file gets for it.
    const QList<uint> codePoints = text.toUcs4();
    // No code point gives more than four bytes, so one allocation holds the whole result.
    m_bytes = QByteArray(codePoints.size() * 4, Qt::Uninitialized);
    m_out = m_bytes.data();
    m_outLeft = m_bytes.size();
    const uint* at = codePoints.constData();
    const uint* const end = at + codePoints.size();
    while (at != end) {
        const uint* supplementary = std::find_if(at, end, isSupplementary);
        appendBmpRun(at, supplementary);
        if (supplementary == end)
            break;
        append(supplementaryBytes(*supplementary));
        at = supplementary + 1;
    }
    m_bytes.truncate(m_out - m_bytes.constData());
    return m_bytes;
}

void Cp936Encoder::appendBmpRun(const uint* begin, const uint* end)
{
    const char* in = reinterpret_cast<const char*>(begin);
    std::size_t inLeft = (end - begin) * sizeof(uint);
    while (inLeft > 0 && m_toCp936.convert(in, inLeft, m_out, m_outLeft) != 0) {
        uint codePoint;
        std::memcpy(&codePoint, in, sizeof codePoint);
        append(missingBmpCharacter(codePoint));
        in += sizeof codePoint;
        inLeft -= sizeof codePoint;
    }
}

// The GB18030 converter is opened only when the text has a character code page 936 lacks.
QByteArray Cp936Encoder::missingBmpCharacter(uint codePoint)
{
    if (std::optional<QByteArray> windowsBytes = windowsPrivateUseBytes(codePoint))
        return *windowsBytes;
    if (!m_toGb18030)
        m_toGb18030.emplace("GB18030", kCodePoints);
    char buffer[8];
    const char* in = reinterpret_cast<const char*>(&codePoint);
    std::size_t inLeft = sizeof codePoint;
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    if (m_toGb18030->convert(in, inLeft, out, outLeft) != 0 || out == buffer)
        return QByteArrayLiteral("\x84\x31\xA4\x37"); // U+FFFD, never silence
    return QByteArray(buffer, out - buffer);
}

void Cp936Encoder::append(const QByteArray& bytes)
{
    std::memcpy(m_out, bytes.constData(), bytes.size());
    m_out += bytes.size();
    m_outLeft -= bytes.size();
}
