// The error every failing player operation throws: the message the main window shows.
#pragma once

#include <QString>

#include <stdexcept>

class PlayerError : public std::runtime_error
{
public:
    // what() is the message as UTF-8, e.g. "无法打开媒体文件“<path>”：文件不存在".
    explicit PlayerError(const QString& message);

    // what() as the text for a message box.
    QString message() const;
};
