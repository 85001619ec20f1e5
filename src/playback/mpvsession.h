// The one libmpv instance of a player, driven from the GUI thread: loading, pausing, seeking, reading.
#pragma once

#include "playback/mpvlibrary.h"
#include "playback/playbackclock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <optional>

struct mpv_handle;
struct mpv_event;

class MpvSession : public QObject
{
    Q_OBJECT

public:
    enum class Media { None, Loading, Ready, Failed };

    // Throws UserError when libmpv cannot start (e.g. LC_NUMERIC is not "C").
    explicit MpvSession(const MpvLibrary& mpv, QObject* parent = nullptr);
    // Halts playback at once, then shuts libmpv down.
    ~MpvSession() override;

    // mpv's "ao" for audio opened from now on; "" restores the program's own choice.
    void setAudioDriver(const QString& driver);

    // Loads a local file and returns once it plays (or sits paused) or has failed;
    // a failure is remembered (see failure()) and thrown as UserError.
    void load(const QString& path, bool paused);
    // Unloads the media; afterwards there is no media.
    void unload();

    Media media() const { return m_media; }
    QString mediaPath() const { return m_path; }
    // Why the current media failed: "无法打开媒体文件“<path>”：<reason>".
    QString failure() const { return m_failure; }

    bool isPaused() const;
    bool isAtEnd() const;
    // Returns once mpv has applied it, so that a position read next is where playback halted.
    void setPaused(bool paused);

    // Seconds from the start: while playing, the media time leaving the sound server now; while
    // paused, what had left it when the pause was asked for. 0.0 when nothing is loaded.
    double position() const;
    double duration() const;
    // Exact seek, clamped to 0 … duration; returns once mpv has applied it.
    void seek(double seconds);

    double volume() const;
    void setVolume(double volume);

    // Song seconds per second of playback, with the pitch kept; it stays for every song loaded
    // afterwards. Positions stay in the song's own time.
    double speed() const;
    void setSpeed(double speed);

    // A tag of the media, looked up without regard to case, as the file's bytes came through
    // (usually UTF-8, but ID3v1 tags hand over their own code page); nullopt when it has none.
    std::optional<QByteArray> tag(const QString& key) const;

Q_SIGNALS:
    void positionChanged();
    void stateChanged();
    // A seek has been applied: the position reads the new place now.
    void sought();
    void volumeChanged();

private:
    static void wakeUp(void* context);
    void drainEvents();
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    void handleEvent(const mpv_event& event);
    void handlePropertyChange(const mpv_event& event);
    void handleEndFile(const mpv_event& event);
    void checkAudioStarted();
    void fail(const QString& reason);
    void command(std::initializer_list<QByteArray> arguments);
    void startLoading(const QString& path);
    double mpvPosition(bool paused) const;
    void readReport();
    double doubleProperty(const char* name, double fallback) const;
    bool flagProperty(const char* name) const;
    void setFlagProperty(const char* name, bool value);

    MpvLibrary m_mpv;
    mpv_handle* m_handle = nullptr;
    Media m_media = Media::None;
    QString m_path;
    QString m_failure;
    qint64 m_entryId = -1;
    quint64 m_pauseEvents = 0;
    bool m_observedPause = false;
    quint64 m_restarts = 0;
    // mpv 0.35 reports a position short by the output delay captured at the last pause after
    // an exact seek made while paused; playback itself resumes at the target. Kept until the
    // next resume or load.
    double m_pausedSeekCorrection = 0.0;
    // What position() gives: mpv's reports moved on while playing, held while paused.
    PlaybackClock m_clock;
    // Reads a report for m_clock now and then while playing, when the output reports blockwise.
    QTimer m_reportClock;
};
