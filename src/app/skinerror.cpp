// The error that stops a window from taking the skin: a broken stored skin or a window without room for it.
#include "app/skinerror.h"

SkinError::SkinError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString SkinError::message() const
{
    return QString::fromUtf8(what());
}
