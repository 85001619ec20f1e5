// The error a failing operation throws when its message is meant for the user: a box shows it as the reason.
#include "common/usererror.h"

UserError::UserError(const QString& message)
    : std::runtime_error(message.toStdString())
{}

QString UserError::message() const
{
    return QString::fromUtf8(what());
}
