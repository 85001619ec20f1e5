// The error a failing operation throws when its message is meant for the user: a box shows it as the reason.
#pragma once

#include <QString>

#include <stdexcept>

class UserError : public std::runtime_error
{
public:
    // what() is the message in UTF-8, e.g. "无法打开媒体文件“<path>”：文件不存在".
    explicit UserError(const QString& message);

    // what() as the text for a message box.
    QString message() const;
};
