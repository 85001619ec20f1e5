// Text to Windows code page 936 bytes, with GB18030 sequences for what that code page lacks.
#pragma once

#include "lyrics/iconvconverter.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

// One encoding per object: encodeCodePage936() makes a fresh one for each text.
class Cp936Encoder
{
public:
    Cp936Encoder();
    QByteArray encode(const QString& text);

private:
    void appendBmpRun(const uint* begin, const uint* end);
    QByteArray missingBmpCharacter(uint codePoint);
    void append(const QByteArray& bytes);

    IconvConverter m_toCp936;
    std::optional<IconvConverter> m_toGb18030;
    QByteArray m_bytes;
    char* m_out = nullptr;
    std::size_t m_outLeft = 0;
};
