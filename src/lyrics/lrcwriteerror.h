// The error that stops the export when the LRC file cannot be written.
#pragma once

#include <QString>

#include <stdexcept>

class LrcWriteError : public std::runtime_error
{
public:
    // what() is UTF-8: "无法写入文件“<path>”：<reason>".
    LrcWriteError(const QString& path, const QString& reason);
    // A whole message, for a refusal that names the path in its own words.
    explicit LrcWriteError(const QString& message);

    // what() as the text for the message box.
    QString message() const;
};
