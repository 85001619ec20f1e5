// Code page 936 (GBK) bytes as a Simplified-Chinese Windows writes them, with GB18030 for the rest.
#include "lyrics/gbkcodec.h"

#include "lyrics/cp936encoder.h"
#include "lyrics/iconvconverter.h"

#include <QSysInfo>

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
constexpr char kEuroByte = '\x80';

} // namespace

QByteArray encodeCodePage936(const QString& text)
{
    return Cp936Encoder().encode(text);
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
