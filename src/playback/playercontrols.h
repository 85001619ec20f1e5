// The player's transport: play, pause, stop and the play position, as the program uses them.
#pragma once

class MpvSession;

class PlayerControls
{
public:
    explicit PlayerControls(MpvSession& session);

    // Starts or resumes; at the end of the media starts over. Nothing loaded: does nothing.
    // Throws UserError when the media could not be opened.
    void play();
    // Halts and keeps the position; returns once the position reads where playback halted.
    void pause();
    // Halts and goes back to the start; the media stays loaded.
    void stop();

    // Seconds from the start of the media; 0.0 when nothing is loaded.
    double currentPosition() const;
    // Below 0 goes to the start, beyond the end to the end; exact; returns once applied.
    // Throws UserError when the media could not be opened.
    void setCurrentPosition(double seconds);

    // Plays once the event loop is next idle, unless play(), pause() or stop() comes first: a
    // song loaded and stopped in one go never reaches the sound server.
    void playWhenIdle();

private:
    void throwIfFailed() const;

    MpvSession& m_session;
    bool m_playPending = false;
};
