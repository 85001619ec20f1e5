// The error that stops a window from taking the skin: a broken stored skin or a window without room for it.
#pragma once

#include <QString>

#include <stdexcept>

class SkinError : public std::runtime_error
{
public:
    // what() is the message in UTF-8.
    explicit SkinError(const QString& message);

    QString message() const;
};
