// A glibc iconv conversion that closes itself, for the code page 936 / GB18030 codec.
#pragma once

#include <iconv.h>

#include <cstddef>

class IconvConverter
{
public:
    // Throws UserError when glibc has no such conversion (missing gconv modules).
    IconvConverter(const char* toCode, const char* fromCode);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // Converts as much of the input as it can, advancing all four arguments like iconv(3).
    // Returns 0 once all input is taken, otherwise the errno that stopped it: EILSEQ (a
    // character the target lacks, or bad input), EINVAL (input ends inside a character)
    // or E2BIG (output full). The input is left at the start of the character it stopped at.
    int convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft);

private:
    iconv_t m_descriptor;
};
