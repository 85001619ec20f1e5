// The error that stops the export when the LRC file cannot be written.
#include "lyrics/lrcwriteerror.h"

using namespace Qt::StringLiterals;

LrcWriteError::LrcWriteError(const QString& path, const QString& reason)
    : std::runtime_error(u"无法写入文件“%1”：%2"_s.arg(path, reason).toStdString())
{
}

LrcWriteError::LrcWriteError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString LrcWriteError::message() const
{
    return QString::fromUtf8(what());
}
