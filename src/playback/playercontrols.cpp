// The player's transport: play, pause, stop and the play position, as the program uses them.
#include "playback/playercontrols.h"

#include "common/usererror.h"
#include "playback/mpvsession.h"

#include <QTimer>

#include <exception>

PlayerControls::PlayerControls(MpvSession& session)
    : m_session(session)
{}

void PlayerControls::play()
{
    m_playPending = false;
    throwIfFailed();
    if (m_session.media() != MpvSession::Media::Ready)
        return;
    if (m_session.isAtEnd())
        m_session.seek(0.0);
    m_session.setPaused(false);
}

void PlayerControls::pause()
{
    m_playPending = false;
    if (m_session.media() == MpvSession::Media::Ready)
        m_session.setPaused(true);
}

void PlayerControls::stop()
{
    m_playPending = false;
    if (m_session.media() != MpvSession::Media::Ready)
        return;
    m_session.setPaused(true);
    m_session.seek(0.0);
}

double PlayerControls::currentPosition() const
{
    return m_session.position();
}

void PlayerControls::setCurrentPosition(double seconds)
{
    throwIfFailed();
    m_session.seek(seconds);
}

void PlayerControls::throwIfFailed() const
{
    if (m_session.media() == MpvSession::Media::Failed)
        throw UserError(m_session.failure());
}

// The session outlives these controls' use from its event queue: the timer goes with it.
void PlayerControls::playWhenIdle()
{
    m_playPending = true;
    QTimer::singleShot(0, &m_session, [this] {
        if (!m_playPending)
            return;
        try {
            play();
        } catch (const std::exception&) {
            // Nobody is there to be told; the next play() throws the same again.
        }
    });
}
