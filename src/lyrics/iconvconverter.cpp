// A glibc iconv conversion that closes itself, for the code page 936 / GB18030 codec.
#include "lyrics/iconvconverter.h"

#include "common/usererror.h"

#include <QString>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
}

IconvConverter::IconvConverter(const char* toCode, const char* fromCode)
    : m_descriptor(iconv_open(toCode, fromCode))
{
    if (m_descriptor == kNoDescriptor)
        throw UserError(
            u"系统的 iconv 不支持从 %1 到 %2 的转换"_s.arg(QString::fromLatin1(fromCode), QString::fromLatin1(toCode)));
}

IconvConverter::~IconvConverter()
{
    iconv_close(m_descriptor);
}

int IconvConverter::convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
{
    // iconv(3) never writes through its input pointer; the missing const is historical.
    char* input = const_cast<char*>(in);
    const std::size_t result = iconv(m_descriptor, &input, &inLeft, &out, &outLeft);
    in = input;
    return result == static_cast<std::size_t>(-1) ? errno : 0;
}
