// The embedded media player `mp3`: libmpv behind the interface of a media player control.
#pragma once

#include "lyrics/lyrictimeline.h"
#include "playback/mpvstarter.h"
#include "playback/playercontrols.h"
#include "playback/playermedia.h"
#include "playback/playersettings.h"

#include <QRect>
#include <QTimer>
#include <QWidget>

#include <optional>

class MpvSession;
class ProgressTrack;
class QMenu;

class MediaPlayer : public QWidget
{
    Q_OBJECT

public:
    // The design-time settings: volume 50, rate 1.0, not muted, autoStart, context menu enabled.
    // libmpv is loaded on a worker thread once the player's first frame is on the screen, and
    // starts when it is there; an operation that needs it before then waits for it (or loads it,
    // if the player was never shown). Until it runs, the display shows no media.
    explicit MediaPlayer(QWidget* parent = nullptr);
    // Stops playback at once, then shuts libmpv down.
    ~MediaPlayer() override;

    // The address last set, also when that file could not be opened; "" until the first load.
    QString URL() const;
    // Which libmpv file to load, by default MpvLibrary::defaultFileName(); only before loading began.
    void setLibraryName(const QString& fileName);
    // Whether libmpv runs.
    bool isStarted() const;

    // These wait for libmpv to start, and throw UserError when it cannot (see startFailed()).
    // Loads the file paused and returns once it is ready or has failed; with autoStart it plays
    // from the event loop unless the caller plays, pauses or stops it first (nothing is heard of
    // a song loaded and stopped in one handler). A file that cannot be opened throws UserError,
    // and so does play() afterwards.
    // "" unloads the media.
    void setURL(const QString& path);

    PlayerControls& controls();
    PlayerSettings& settings();
    PlayerMedia& currentMedia();
    // The loaded media's length in seconds, as the display shows it; 0.0 when nothing is loaded.
    double duration() const;

    bool enableContextMenu() const;
    void setEnableContextMenu(bool enabled);

    // mpv's audio output ("null" plays silently on the wall clock) for files loaded afterwards.
    void setAudioDriver(const QString& driver);
    // Where in the widget the display is drawn; an empty rectangle means the whole widget.
    void setDisplayRect(const QRect& rect);
    QRect displayRect() const;
    // The clickable band over the progress bar: a click there seeks to the place clicked, a drag
    // shows the place under the pointer and seeks where the button comes up.
    ProgressTrack* progressTrack() const;
    // The sheet's lines to show as the song plays; the display follows them at once. While a
    // song plays and the timeline holds tags, the display is redrawn at the screen's frame rate.
    void setLyricTimeline(const LyricTimeline& timeline);

Q_SIGNALS:
    // libmpv cannot start: its library is missing or broken, or mpv_initialize failed. Emitted
    // once, from the event loop; the player cannot be used.
    void startFailed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    MpvSession& session();
    void useSession();
    void scheduleRepaint();
    void repaintIfPending();
    void refreshDisplay();
    void updateFrameClock();
    std::optional<LyricMoment> currentLyric(double at) const;
    void rememberTitle();
    void placeTrack();
    void updateTrack();
    void showDraggedTo(double fraction);
    void seekToFraction(double fraction);
    int volume() const;
    void runFromMenu(void (PlayerControls::*operation)());
    double position() const;
    QString statusText() const;
    QMenu* createContextMenu();

    MpvStarter m_starter;
    // The starter's session once it runs; nullptr until then.
    MpvSession* m_session = nullptr;
    QString m_audioDriver;
    std::optional<PlayerControls> m_controls;
    std::optional<PlayerSettings> m_settings;
    std::optional<PlayerMedia> m_media;
    QString m_displayTitle;
    QString m_url;
    QRect m_displayRect;
    bool m_enableContextMenu = true;
    bool m_autoStart = true;
    QTimer m_repaintThrottle;
    bool m_repaintPending = false;
    LyricTimeline m_lyrics;
    QTimer m_frameClock;
    ProgressTrack* m_track = nullptr;
    // Where a drag on the track holds the pointer, as a fraction of the song; shown, not yet sought.
    std::optional<double> m_dragFraction;
};
