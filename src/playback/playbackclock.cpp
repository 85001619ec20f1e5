// The position the player shows: what is being heard while playing, what was heard when paused.
#include "playback/playbackclock.h"

void PlaybackClock::halted(double seconds)
{
    m_halted = seconds;
}

void PlaybackClock::forget()
{
    m_halted.reset();
}

double PlaybackClock::position(double timePos, std::optional<double> audioPts) const
{
    if (audioPts)
        return *audioPts;
    return m_halted.value_or(timePos);
}
