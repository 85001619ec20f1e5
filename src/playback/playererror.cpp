// The error every failing player operation throws: the message the main window shows.
#include "playback/playererror.h"

PlayerError::PlayerError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString PlayerError::message() const
{
    return QString::fromUtf8(what());
}
