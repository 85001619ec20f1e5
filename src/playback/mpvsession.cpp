// The one libmpv instance of a player, driven from the GUI thread: loading, pausing, seeking, reading.
#include "playback/mpvsession.h"

#include "common/usererror.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QUrl>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

enum Observed : uint64_t { kPause = 1, kTimePos, kEofReached };

// Opening a file includes probing the audio device; a few seconds is generous even for a slow
// network folder, and short enough that a hung load cannot freeze the window for long.
constexpr int kLoadTimeoutMs = 5000;
constexpr int kStepTimeoutMs = 2000;
// A corrected position is never off by more than the audio output's buffer.
constexpr double kMaxSeekCorrection = 1.0;
// Blockwise reports read this often fall at every point of a server's cycle within a second.
constexpr int kReportIntervalMs = 7;
// mpv's PipeWire output asks the server for its buffer's length as the latency of its stream,
// which would make the whole graph run at its largest quantum while the program plays: sound
// would go on up to 43 ms after a pause instead of about 10. PipeWire takes a process's
// PIPEWIRE_LATENCY over what its streams ask for; this is mpv's usual 20 ms.
constexpr const char* kGraphLatency = "960/48000";

// Without a sound device (a server, a container) the file still plays, silently, on the wall
// clock, so timing lyrics keeps working instead of every load failing.
constexpr const char* kDefaultAudioDrivers = "pipewire,pulse,alsa,jack,null";

QString reasonFor(const MpvLibrary& mpv, int error)
{
    switch (error) {
    case MPV_ERROR_UNKNOWN_FORMAT:
        return u"无法识别的文件格式，文件可能已损坏或不是音频文件"_s;
    case MPV_ERROR_NOTHING_TO_PLAY:
        return u"文件中没有可以播放的音频"_s;
    case MPV_ERROR_LOADING_FAILED:
        return u"文件无法读取"_s;
    case MPV_ERROR_AO_INIT_FAILED:
        return u"无法打开声音输出设备"_s;
    default:
        return u"播放器出错（%1）"_s.arg(QString::fromUtf8(mpv.error_string(error)));
    }
}

QString localPath(const QString& address)
{
    const QUrl url(address);
    return url.isLocalFile() ? url.toLocalFile() : address;
}

// Why a path cannot be a media file at all, before mpv is asked; "" when it may be one.
QString unopenableReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return u"文件不存在"_s;
    if (info.isDir())
        return u"这是一个文件夹，不是媒体文件"_s;
    // A pipe or a device would keep mpv reading until the load times out, with the window frozen.
    if (!info.isFile())
        return u"这不是普通文件（可能是管道或设备），不是媒体文件"_s;
    return {};
}

} // namespace

MpvSession::MpvSession(const MpvLibrary& mpv, QObject* parent)
    : QObject(parent)
    , m_mpv(mpv)
{
    const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
    m_handle = m_mpv.create();
    if (!m_handle)
        throw UserError(u"无法启动播放器：数字格式区域设置（LC_NUMERIC）是“%1”，必须是“C”"_s.arg(
            QString::fromUtf8(numeric ? numeric : "")));
    const std::pair<const char*, const char*> options[] = {
        {"vo", "null"},
        {"vid", "no"},
        {"audio-display", "no"},
        {"idle", "yes"},
        {"keep-open", "always"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"osc", "no"},
        {"terminal", "no"},
        {"hr-seek", "yes"},
        // mpv's other built-in scripts and saved resume positions have no place in this player.
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"resume-playback", "no"},
        {"volume", "50"},
        {"mute", "no"},
        {"speed", "1"},
        // Slowed down, a song keeps its pitch: mpv puts its scaletempo2 filter in then.
        {"audio-pitch-correction", "yes"},
        {"pause", "yes"},
        {"ao", kDefaultAudioDrivers},
        // mpv's PipeWire output takes the end of the last block it handed over for the end of
        // what the server holds; when one cycle of the server takes several blocks (quanta up
        // to 2048 frames), the earlier ones go uncounted and the position runs up to a cycle
        // ahead of what is heard. Its blocks hold half this time in stereo: 2400 frames at 48 kHz.
        // (It would also ask the server for this latency; see kGraphLatency.)
        {"pipewire-buffer", "100"},
        // mpv's PulseAudio output asks the server what it holds on every read instead of
        // smoothing: PipeWire's PulseAudio server updates its report once a cycle, and the
        // smoothing fixes its offset on the first report after each resume, up to a cycle off.
        // The reports then run ahead by part of a cycle, which the position takes off.
        {"pulse-latency-hacks", "yes"},
    };
    for (const auto& [name, value] : options)
        m_mpv.set_option_string(m_handle, name, value);
    // The user's own setting stands.
    if (!qEnvironmentVariableIsSet("PIPEWIRE_LATENCY"))
        qputenv("PIPEWIRE_LATENCY", kGraphLatency);
    if (const int error = m_mpv.initialize(m_handle); error < 0) {
        m_mpv.terminate_destroy(m_handle);
        m_handle = nullptr;
        throw UserError(u"无法启动播放器：%1"_s.arg(QString::fromUtf8(m_mpv.error_string(error))));
    }
    m_mpv.observe_property(m_handle, kPause, "pause", MPV_FORMAT_FLAG);
    m_mpv.observe_property(m_handle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    m_mpv.observe_property(m_handle, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
    m_mpv.set_wakeup_callback(m_handle, wakeUp, this);
    m_reportClock.setTimerType(Qt::PreciseTimer);
    m_reportClock.setInterval(kReportIntervalMs);
    connect(&m_reportClock, &QTimer::timeout, this, &MpvSession::readReport);
}

MpvSession::~MpvSession()
{
    m_mpv.set_wakeup_callback(m_handle, nullptr, nullptr);
    // Paused first: shutting down a playing output waits for its buffer to play out.
    setFlagProperty("pause", true);
    m_mpv.terminate_destroy(m_handle);
}

void MpvSession::setAudioDriver(const QString& driver)
{
    const QByteArray value = driver.isEmpty() ? QByteArray(kDefaultAudioDrivers) : driver.toUtf8();
    m_mpv.set_property_string(m_handle, "ao", value.constData());
}

void MpvSession::load(const QString& address, bool paused)
{
    drainEvents();
    const QString path = localPath(address);
    startLoading(path);
    if (const QString reason = unopenableReason(path); !reason.isEmpty()) {
        fail(reason);
    } else {
        setFlagProperty("pause", true);
        command({"loadfile", QFileInfo(path).absoluteFilePath().toUtf8()});
        if (!waitUntil([this] { return m_media != Media::Loading; }, kLoadTimeoutMs))
            fail(u"打开文件超时"_s);
    }
    if (m_media == Media::Failed)
        throw UserError(m_failure);
    if (!paused)
        setPaused(false);
}

void MpvSession::unload()
{
    drainEvents();
    command({"stop"});
    m_media = Media::None;
    m_path.clear();
    m_failure.clear();
    m_entryId = -1;
    m_pausedSeekCorrection = 0.0;
    m_clock.forget();
    Q_EMIT stateChanged();
}

void MpvSession::startLoading(const QString& path)
{
    m_media = Media::Loading;
    m_path = path;
    m_failure.clear();
    m_entryId = -1;
    m_pausedSeekCorrection = 0.0;
    m_clock.forget();
}

bool MpvSession::isPaused() const
{
    return flagProperty("pause");
}

bool MpvSession::isAtEnd() const
{
    return flagProperty("eof-reached");
}

void MpvSession::setPaused(bool paused)
{
    const double asked = PlaybackClock::now();
    drainEvents();
    if (isPaused() == paused)
        return;
    const quint64 before = m_pauseEvents;
    setFlagProperty("pause", paused);
    // Read straight away, time-pos still holds what mpv's last playback iteration computed, up
    // to 50 ms old while playing. The pause event comes after the iteration that applied the
    // pause and brought the position up to date.
    waitUntil([&] { return m_pauseEvents > before && m_observedPause == paused; }, kStepTimeoutMs);
    if (!paused) {
        m_pausedSeekCorrection = 0.0;
        m_clock.forget();
        if (m_clock.isBlockwise())
            m_reportClock.start();
        return;
    }
    // What mpv says right after the pause is what had left the sound server; later it creeps on.
    // Blockwise reports say better what had been heard when the pause was asked for.
    m_clock.halted(m_clock.heardAt(asked).value_or(mpvPosition(true)));
}

double MpvSession::position() const
{
    if (m_media != Media::Ready)
        return 0.0;
    const bool paused = isPaused();
    const double at = PlaybackClock::now();
    // Unavailable while no audio plays (a start, a seek, the end): time-pos holds then.
    const double audioPts = paused || isAtEnd() ? NAN : doubleProperty("audio-pts", NAN);
    return m_clock.position(at, mpvPosition(paused), std::isnan(audioPts) ? std::nullopt : std::optional(audioPts));
}

void MpvSession::readReport()
{
    if (m_media != Media::Ready || isPaused()) {
        m_reportClock.stop();
        return;
    }
    const double at = PlaybackClock::now();
    if (const double audioPts = isAtEnd() ? NAN : doubleProperty("audio-pts", NAN); !std::isnan(audioPts))
        m_clock.reported(at, audioPts);
}

double MpvSession::mpvPosition(bool paused) const
{
    const double position = doubleProperty("time-pos", 0.0);
    return paused ? position + m_pausedSeekCorrection : position;
}

double MpvSession::duration() const
{
    return m_media == Media::Ready ? doubleProperty("duration", 0.0) : 0.0;
}

void MpvSession::seek(double seconds)
{
    if (m_media != Media::Ready)
        return;
    const double length = duration();
    // Without a known length (mpv could not tell) the position is passed on as it is.
    double target = std::max(seconds, 0.0);
    if (length > 0.0)
        target = std::min(target, length);
    drainEvents();
    const quint64 before = m_restarts;
    command({"seek", QByteArray::number(target, 'g', 17), "absolute+exact"});
    waitUntil([&] { return m_restarts > before || m_media != Media::Ready; }, kStepTimeoutMs);
    m_pausedSeekCorrection = 0.0;
    m_clock.forget();
    if (isPaused() && target < length) {
        const double correction = target - doubleProperty("time-pos", target);
        if (correction > 0.0 && correction <= kMaxSeekCorrection)
            m_pausedSeekCorrection = correction;
    }
    Q_EMIT positionChanged();
    Q_EMIT sought();
}

double MpvSession::volume() const
{
    return doubleProperty("volume", 0.0);
}

void MpvSession::setVolume(double volume)
{
    m_mpv.set_property(m_handle, "volume", MPV_FORMAT_DOUBLE, &volume);
    Q_EMIT volumeChanged();
}

double MpvSession::speed() const
{
    return doubleProperty("speed", 1.0);
}

// mpv's positions take the speed into account (what the sound server holds counts in song
// time); the clock's own moving on of blockwise reports must do the same.
void MpvSession::setSpeed(double speed)
{
    drainEvents();
    m_mpv.set_property(m_handle, "speed", MPV_FORMAT_DOUBLE, &speed);
    m_clock.setRate(this->speed());
}

std::optional<QByteArray> MpvSession::tag(const QString& key) const
{
    if (m_media != Media::Ready)
        return std::nullopt;
    mpv_node metadata;
    if (m_mpv.get_property(m_handle, "metadata", MPV_FORMAT_NODE, &metadata) < 0)
        return std::nullopt;
    std::optional<QByteArray> value;
    if (metadata.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list& list = *metadata.u.list;
        for (int i = 0; i < list.num && !value; ++i) {
            if (key.compare(QString::fromUtf8(list.keys[i]), Qt::CaseInsensitive) == 0
                && list.values[i].format == MPV_FORMAT_STRING)
                value = QByteArray(list.values[i].u.string);
        }
    }
    m_mpv.free_node_contents(&metadata);
    return value;
}

void MpvSession::drainEvents()
{
    for (;;) {
        const mpv_event* event = m_mpv.wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        handleEvent(*event);
    }
}

// Runs on one of mpv's threads: never call the client API here, only hand over to the GUI thread.
void MpvSession::wakeUp(void* context)
{
    auto* session = static_cast<MpvSession*>(context);
    QMetaObject::invokeMethod(
        session, [session] { session->drainEvents(); }, Qt::QueuedConnection);
}

// Processes only mpv's own events while it waits, so that no window event (a click, a timer
// tick) can run in the middle of a player operation.
bool MpvSession::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        const mpv_event* event = m_mpv.wait_event(m_handle, double(left) / 1000.0);
        if (event->event_id != MPV_EVENT_NONE)
            handleEvent(*event);
    }
    return true;
}

void MpvSession::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        ++m_restarts;
        if (m_media == Media::Loading)
            checkAudioStarted();
        Q_EMIT positionChanged();
        break;
    default:
        break;
    }
}

void MpvSession::handlePropertyChange(const mpv_event& event)
{
    const auto& property = *static_cast<const mpv_event_property*>(event.data);
    // MPV_FORMAT_NONE: the property has no value now (nothing loaded); its data is not there.
    const bool available = property.format != MPV_FORMAT_NONE;
    switch (event.reply_userdata) {
    case kPause:
        ++m_pauseEvents;
        m_observedPause = available && *static_cast<const int*>(property.data) != 0;
        Q_EMIT stateChanged();
        break;
    case kTimePos:
        Q_EMIT positionChanged();
        break;
    case kEofReached:
        Q_EMIT stateChanged();
        break;
    default:
        break;
    }
}

void MpvSession::handleEndFile(const mpv_event& event)
{
    const auto& end = *static_cast<const mpv_event_end_file*>(event.data);
    // The end of the media loaded before, which the new load replaced.
    if (end.playlist_entry_id != m_entryId)
        return;
    if (end.reason == MPV_END_FILE_REASON_ERROR)
        fail(reasonFor(m_mpv, end.error));
    else if (m_media == Media::Loading)
        fail(reasonFor(m_mpv, MPV_ERROR_NOTHING_TO_PLAY));
}

// A file can open and still not play: without an audio stream, or when no output would take it.
void MpvSession::checkAudioStarted()
{
    char* track = m_mpv.get_property_string(m_handle, "current-tracks/audio/id");
    char* output = m_mpv.get_property_string(m_handle, "current-ao");
    const bool hasTrack = track != nullptr;
    const bool hasOutput = output != nullptr;
    m_clock.setBlockwise(hasOutput && std::strcmp(output, "pulse") == 0);
    m_mpv.free(track);
    m_mpv.free(output);
    if (!hasTrack)
        fail(reasonFor(m_mpv, MPV_ERROR_NOTHING_TO_PLAY));
    else if (!hasOutput)
        fail(reasonFor(m_mpv, MPV_ERROR_AO_INIT_FAILED));
    else
        m_media = Media::Ready;
    Q_EMIT stateChanged();
}

// Also unloads whatever mpv still holds, the song before included: nothing plays under the
// address of a file that failed.
void MpvSession::fail(const QString& reason)
{
    if (m_media == Media::Failed)
        return;
    m_media = Media::Failed;
    m_failure = u"无法打开媒体文件“%1”：%2"_s.arg(m_path, reason);
    command({"stop"});
    Q_EMIT stateChanged();
}

void MpvSession::command(std::initializer_list<QByteArray> arguments)
{
    std::vector<const char*> argv;
    for (const QByteArray& argument : arguments)
        argv.push_back(argument.constData());
    argv.push_back(nullptr);
    mpv_node result;
    if (m_mpv.command_ret(m_handle, argv.data(), &result) < 0)
        return;
    // loadfile answers with the playlist entry it made; its end-file event carries the same id.
    if (result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list& map = *result.u.list;
        for (int i = 0; i < map.num; ++i) {
            if (std::strcmp(map.keys[i], "playlist_entry_id") == 0 && map.values[i].format == MPV_FORMAT_INT64)
                m_entryId = map.values[i].u.int64;
        }
    }
    m_mpv.free_node_contents(&result);
}

double MpvSession::doubleProperty(const char* name, double fallback) const
{
    double value = fallback;
    if (m_mpv.get_property(m_handle, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return fallback;
    return value;
}

bool MpvSession::flagProperty(const char* name) const
{
    int value = 0;
    if (m_mpv.get_property(m_handle, name, MPV_FORMAT_FLAG, &value) < 0)
        return false;
    return value != 0;
}

void MpvSession::setFlagProperty(const char* name, bool value)
{
    int flag = value ? 1 : 0;
    m_mpv.set_property(m_handle, name, MPV_FORMAT_FLAG, &flag);
}
