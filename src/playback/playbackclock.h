// The position the player shows: what is being heard while playing, what was heard when paused.
#pragma once

#include <deque>
#include <optional>

// mpv's time-pos is worked out (media time less what the sound server still holds) only when
// mpv feeds the audio output, tens of milliseconds apart, so while playing it trails what is
// heard; audio-pts is worked out when read. After a pause, pull-based outputs (PipeWire) keep
// taking the time since the last feed off audio the server no longer holds, so a paused
// time-pos creeps on by up to a buffer. This holds the position the pause gave instead.
//
// Some servers report block by block: PipeWire's PulseAudio server counts a whole cycle of the
// graph (up to 43 ms at 2048 frames) as played the moment it takes it. Such a report runs ahead
// of what is heard by up to a block; moved on by the time since it was read, it still is never
// behind. So what is heard is the least of the reports read in the last second, each moved on
// to the moment asked about; read at moments that fall differently in the server's cycle, the
// least comes within a millisecond or two of what is heard. Only when the server is held up in
// counting a block is a report behind, until it catches up; one such block is passed over.
class PlaybackClock
{
public:
    // Seconds on a steady clock, for the moments passed in below.
    static double now();

    // The audio output reports block by block (mpv's PulseAudio output); else reports are taken
    // as they are.
    void setBlockwise(bool blockwise);
    bool isBlockwise() const;
    // Song seconds per second of the steady clock (mpv's speed): a report moves on at this rate.
    // Reports read at another rate say nothing of this one and are dropped; a halt stays.
    void setRate(double rate);

    // A report of what is heard, read while playing; `at` is taken just before the read, so
    // that a slow read can only make the report run ahead.
    void reported(double at, double position);
    // What the reports so far say was heard at `at`; nothing when the output reports exactly
    // or no report was read since playback last started.
    std::optional<double> heardAt(double at) const;

    // Playback halted here: the position stays this until forget().
    void halted(double seconds);
    // Resumed, sought, or other media: nothing from before holds.
    void forget();

    // The position at `at`. timePos: mpv's time-pos then; report: its audio-pts, read at `at`
    // while playing and known.
    double position(double at, double timePos, std::optional<double> report) const;

private:
    struct Report
    {
        double at;
        // The report less its moment in song time: what it says was heard at moment 0.
        double offset;
    };

    bool m_blockwise = false;
    double m_rate = 1.0;
    // Blockwise reports of the last second, oldest first.
    std::deque<Report> m_reports;
    std::optional<double> m_halted;
};
