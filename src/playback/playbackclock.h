// The position the player shows: what is being heard while playing, what was heard when paused.
#pragma once

#include <optional>

// mpv's time-pos is worked out (media time less what the sound server still holds) only when
// mpv feeds the audio output, tens of milliseconds apart, so while playing it trails what is
// heard; audio-pts is worked out when read. After a pause, pull-based outputs (PipeWire) keep
// taking the time since the last feed off audio the server no longer holds, so a paused
// time-pos creeps on by up to a buffer. This holds the position the pause gave instead.
class PlaybackClock
{
public:
    // Playback halted here: the position stays this until forget().
    void halted(double seconds);
    // Resumed, sought, or other media: nothing from before holds.
    void forget();

    // timePos: mpv's time-pos now; audioPts: its audio-pts when playing and known.
    double position(double timePos, std::optional<double> audioPts) const;

private:
    std::optional<double> m_halted;
};
