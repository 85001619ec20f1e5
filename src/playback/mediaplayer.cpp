// The embedded media player `mp3`: libmpv behind the interface of a media player control.
#include "playback/mediaplayer.h"

#include "playback/mpvsession.h"
#include "playback/playerdisplay.h"
#include "playback/progresstrack.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

// About 20 frames a second is smooth for a clock that shows hundredths and costs next to nothing.
constexpr int kRepaintIntervalMs = 50;
// Lyrics must change on the frame their tag falls on; never fewer frames than this a second.
constexpr double kMinFrameRate = 30.0;
constexpr double kAssumedFrameRate = 60.0;
// The volume libmpv starts with; shown until it runs.
constexpr int kDesignVolume = 50;

int frameIntervalMs(const QScreen* screen)
{
    const double rate = screen && screen->refreshRate() > 0.0 ? screen->refreshRate() : kAssumedFrameRate;
    return std::max(1, int(1000.0 / std::max(rate, kMinFrameRate)));
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent)
    : QWidget(parent)
{
    m_repaintThrottle.setSingleShot(true);
    m_repaintThrottle.setInterval(kRepaintIntervalMs);
    connect(&m_repaintThrottle, &QTimer::timeout, this, &MediaPlayer::repaintIfPending);
    m_frameClock.setTimerType(Qt::PreciseTimer);
    connect(&m_frameClock, &QTimer::timeout, this, &MediaPlayer::refreshDisplay);
    connect(&m_starter, &MpvStarter::started, this, &MediaPlayer::useSession);
    connect(&m_starter, &MpvStarter::failed, this, &MediaPlayer::startFailed);
    m_track = new ProgressTrack(this);
    connect(m_track, &ProgressTrack::dragged, this, &MediaPlayer::showDraggedTo);
    connect(m_track, &ProgressTrack::released, this, &MediaPlayer::seekToFraction);
    placeTrack();
    refreshDisplay();
}

MediaPlayer::~MediaPlayer() = default;

void MediaPlayer::setLibraryName(const QString& fileName)
{
    m_starter.setLibraryName(fileName);
}

bool MediaPlayer::isStarted() const
{
    return m_session != nullptr;
}

MpvSession& MediaPlayer::session()
{
    return m_starter.start();
}

void MediaPlayer::useSession()
{
    m_session = m_starter.session();
    m_controls.emplace(*m_session);
    m_settings.emplace(*m_session);
    m_media.emplace(*m_session);
    if (!m_audioDriver.isEmpty())
        m_session->setAudioDriver(m_audioDriver);
    connect(m_session, &MpvSession::positionChanged, this, &MediaPlayer::scheduleRepaint);
    connect(m_session, &MpvSession::stateChanged, this, &MediaPlayer::rememberTitle);
    connect(m_session, &MpvSession::stateChanged, this, &MediaPlayer::updateFrameClock);
    connect(m_session, &MpvSession::stateChanged, this, &MediaPlayer::scheduleRepaint);
    connect(m_session, &MpvSession::stateChanged, this, &MediaPlayer::updateTrack);
    // Not held back by the repaint throttle: a seek or a volume step shows on the next frame.
    connect(m_session, &MpvSession::sought, this, &MediaPlayer::refreshDisplay);
    connect(m_session, &MpvSession::volumeChanged, this, &MediaPlayer::refreshDisplay);
}

QString MediaPlayer::URL() const
{
    return m_url;
}

void MediaPlayer::setURL(const QString& path)
{
    m_url = path;
    if (path.isEmpty()) {
        session().unload();
        return;
    }
    // Always opened paused: starting at once and being stopped by the caller right after would
    // already have sent the song's first milliseconds to the sound server.
    session().load(path, true);
    if (m_autoStart)
        m_controls->playWhenIdle();
}

PlayerControls& MediaPlayer::controls()
{
    session();
    return *m_controls;
}

PlayerSettings& MediaPlayer::settings()
{
    session();
    return *m_settings;
}

PlayerMedia& MediaPlayer::currentMedia()
{
    session();
    return *m_media;
}

bool MediaPlayer::enableContextMenu() const
{
    return m_enableContextMenu;
}

void MediaPlayer::setEnableContextMenu(bool enabled)
{
    m_enableContextMenu = enabled;
}

void MediaPlayer::setAudioDriver(const QString& driver)
{
    m_audioDriver = driver;
    if (m_session)
        m_session->setAudioDriver(driver);
}

void MediaPlayer::setDisplayRect(const QRect& rect)
{
    m_displayRect = rect;
    placeTrack();
    update();
}

ProgressTrack* MediaPlayer::progressTrack() const
{
    return m_track;
}

void MediaPlayer::resizeEvent(QResizeEvent*)
{
    placeTrack();
}

void MediaPlayer::placeTrack()
{
    m_track->setGeometry(progressTrackArea(displayRect()));
}

void MediaPlayer::updateTrack()
{
    const bool seekable = m_session && m_session->media() == MpvSession::Media::Ready && duration() > 0.0;
    m_track->setSeekable(seekable);
    if (!seekable && m_dragFraction) {
        m_dragFraction.reset();
        refreshDisplay();
    }
}

void MediaPlayer::showDraggedTo(double fraction)
{
    m_dragFraction = fraction;
    refreshDisplay();
}

// Through the player's controls, as the program's own seek steps go: the same clamping, the
// same wait until mpv has applied it. Errors are not shown, as with the player's own menu.
void MediaPlayer::seekToFraction(double fraction)
{
    m_dragFraction.reset();
    const double length = duration();
    if (length > 0.0) {
        try {
            controls().setCurrentPosition(fraction * length);
        } catch (const std::exception&) {}
    }
    refreshDisplay();
}

QRect MediaPlayer::displayRect() const
{
    return m_displayRect.isEmpty() ? rect() : m_displayRect;
}

void MediaPlayer::setLyricTimeline(const LyricTimeline& timeline)
{
    const double now = position();
    const std::optional<LyricMoment> shown = currentLyric(now);
    m_lyrics = timeline;
    updateFrameClock();
    // Most edits of a long sheet leave the shown lines alone; the strip is not redrawn for those.
    if (currentLyric(now) != shown)
        refreshDisplay();
}

// The position is read from the player at every paint, not kept from its last report.
void MediaPlayer::paintEvent(QPaintEvent*)
{
    m_starter.startAfterThisFrame();
    QPainter painter(this);
    const double length = duration();
    const double now = m_dragFraction ? *m_dragFraction * length : position();
    const PlayerDisplayState state{m_displayTitle, statusText(), now, length, currentLyric(now), volume()};
    paintPlayerDisplay(painter, displayRect(), palette(), state);
}

std::optional<LyricMoment> MediaPlayer::currentLyric(double at) const
{
    if (!m_session || m_session->media() != MpvSession::Media::Ready)
        return std::nullopt;
    return m_lyrics.at(at);
}

// mpv's position reports come about 20 times a second, too seldom for a line to appear on its
// tag; so while lyrics play, a clock of the screen's frame rate redraws, and stops with playback.
void MediaPlayer::updateFrameClock()
{
    const bool playing = m_session && m_session->media() == MpvSession::Media::Ready && !m_session->isPaused();
    if (!playing || m_lyrics.isEmpty()) {
        m_frameClock.stop();
    } else if (!m_frameClock.isActive()) {
        m_frameClock.setInterval(frameIntervalMs(screen()));
        m_frameClock.start();
    }
}

// Worked out when the player's state changes rather than on every paint: it decodes the tags,
// and a paint handler must not throw.
void MediaPlayer::rememberTitle()
{
    try {
        m_displayTitle = m_media->title();
    } catch (const std::exception&) {
        m_displayTitle.clear();
    }
}

double MediaPlayer::position() const
{
    return m_session ? m_session->position() : 0.0;
}

double MediaPlayer::duration() const
{
    return m_session ? m_session->duration() : 0.0;
}

int MediaPlayer::volume() const
{
    return m_session ? qRound(m_session->volume()) : kDesignVolume;
}

QString MediaPlayer::statusText() const
{
    switch (m_session ? m_session->media() : MpvSession::Media::None) {
    case MpvSession::Media::Ready:
        if (!m_session->isPaused())
            return u"播放中"_s;
        return m_session->isAtEnd() ? u"已播完"_s : u"已暂停"_s;
    case MpvSession::Media::Failed:
        return u"无法播放"_s;
    default:
        return u"未载入媒体"_s;
    }
}

// mpv reports the position about 20 times a second while playing and not at all while paused,
// so repainting on its reports, at most once per interval, costs nothing when nothing moves.
void MediaPlayer::scheduleRepaint()
{
    if (m_frameClock.isActive())
        return;
    if (m_repaintThrottle.isActive()) {
        m_repaintPending = true;
        return;
    }
    refreshDisplay();
    m_repaintThrottle.start();
}

void MediaPlayer::repaintIfPending()
{
    if (!m_repaintPending)
        return;
    m_repaintPending = false;
    refreshDisplay();
    m_repaintThrottle.start();
}

// A screen reader cannot read the painted clock, so the position and length it shows, and the
// current lyric, also go into the accessible description, changed only when its text does.
void MediaPlayer::refreshDisplay()
{
    update(displayRect());
    const double length = duration();
    const double now = m_dragFraction ? *m_dragFraction * length : position();
    QString description
        = u"位置 %1 / 时长 %2 / 音量 %3"_s.arg(lrcClockText(now), lrcClockText(length), QString::number(volume()));
    if (const std::optional<LyricMoment> lyric = currentLyric(now); lyric && !lyric->line.isEmpty())
        description += u" / 歌词 %1"_s.arg(lyric->line);
    if (description != accessibleDescription())
        setAccessibleDescription(description);
}

void MediaPlayer::contextMenuEvent(QContextMenuEvent* event)
{
    // Taken either way: with the menu switched off the click must not reach the window below.
    event->accept();
    if (!m_enableContextMenu)
        return;
    createContextMenu()->popup(event->globalPos());
}

QMenu* MediaPlayer::createContextMenu()
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool loaded = m_session && m_session->media() == MpvSession::Media::Ready;
    menu->addAction(u"播放"_s, this, [this] { runFromMenu(&PlayerControls::play); })->setEnabled(loaded);
    menu->addAction(u"暂停"_s, this, [this] { runFromMenu(&PlayerControls::pause); })->setEnabled(loaded);
    menu->addAction(u"停止"_s, this, [this] { runFromMenu(&PlayerControls::stop); })->setEnabled(loaded);
    return menu;
}

// The player's own menu shows no error boxes: the player's error dialogs are off, and the
// program's own buttons are what report errors.
void MediaPlayer::runFromMenu(void (PlayerControls::*operation)())
{
    try {
        (controls().*operation)();
    } catch (const std::exception&) {}
}
