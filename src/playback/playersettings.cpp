// The player's settings the program changes: the volume on the scale 0 to 100 and the rate.
#include "playback/playersettings.h"

#include "playback/mpvsession.h"

#include <QtMath>

#include <algorithm>

namespace {

constexpr int kMinVolume = 0;
// mpv would go on to 130 (amplified); the scale the program shows ends at 100.
constexpr int kMaxVolume = 100;

} // namespace

PlayerSettings::PlayerSettings(MpvSession& session)
    : m_session(session)
{}

int PlayerSettings::volume() const
{
    return qRound(m_session.volume());
}

void PlayerSettings::setVolume(int volume)
{
    m_session.setVolume(std::clamp(volume, kMinVolume, kMaxVolume));
}

double PlayerSettings::rate() const
{
    return m_session.speed();
}

void PlayerSettings::setRate(double rate)
{
    m_session.setSpeed(std::clamp(rate, kMinRate, kMaxRate));
}
