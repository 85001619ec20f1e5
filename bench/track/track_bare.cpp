// The floor of track_bench: a window of Qt Widgets and libmpv only, linked to nothing of the
// program, that paints a progress bar where the player's strip has its own and, on the release
// of a click on it, seeks libmpv there exactly, waits until mpv has applied it and repaints: the
// bare thing a click on the program's bar does.
//
//   track_bare SONG
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {

// Where the program's strip puts its bar in a window of this size: 6 px in from the sides,
// 8 px high, ending 6 px above the bottom.
constexpr int kWidth = 640;
constexpr int kHeight = 240;
constexpr int kPadding = 6;
constexpr int kBarHeight = 8;

class Bar : public QWidget
{
public:
    explicit Bar(mpv_handle* mpv)
        : m_mpv(mpv)
    {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        const QRect track(kPadding, height() - kPadding - kBarHeight, width() - 2 * kPadding, kBarHeight);
        painter.fillRect(track, palette().color(QPalette::Midlight));
        double position = 0.0;
        double duration = 0.0;
        mpv_get_property(m_mpv, "time-pos", MPV_FORMAT_DOUBLE, &position);
        mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &duration);
        if (duration > 0.0)
            painter.fillRect(QRect(track.topLeft(), QSize(int(track.width() * position / duration), kBarHeight)),
                             palette().color(QPalette::Highlight));
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        double duration = 0.0;
        mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &duration);
        const double fraction
            = std::clamp((event->position().x() - kPadding) / double(width() - 2 * kPadding - 1), 0.0, 1.0);
        const QByteArray target = QByteArray::number(fraction * duration, 'g', 17);
        const char* seek[] = {"seek", target.constData(), "absolute+exact", nullptr};
        mpv_command(m_mpv, seek);
        for (;;) {
            const mpv_event* mpvEvent = mpv_wait_event(m_mpv, 2.0);
            if (mpvEvent->event_id == MPV_EVENT_PLAYBACK_RESTART || mpvEvent->event_id == MPV_EVENT_NONE)
                break;
        }
        update();
    }

private:
    mpv_handle* m_mpv;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc != 2) {
        std::fprintf(stderr, "usage: track_bare SONG\n");
        return 2;
    }
    mpv_handle* mpv = mpv_create();
    const char* options[][2] = {{"config", "no"}, {"vo", "null"},   {"vid", "no"},          {"terminal", "no"},
                                {"ao", "null"},   {"pause", "yes"}, {"keep-open", "always"}};
    for (const auto& option : options)
        mpv_set_option_string(mpv, option[0], option[1]);
    const char* load[] = {"loadfile", argv[1], nullptr};
    if (mpv_initialize(mpv) < 0 || mpv_command(mpv, load) < 0) {
        std::fprintf(stderr, "track_bare: mpv could not load %s\n", argv[1]);
        return 1;
    }
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv, 5.0);
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
            break;
        if (event->event_id == MPV_EVENT_NONE || event->event_id == MPV_EVENT_END_FILE)
            return 1;
    }
    Bar bar(mpv);
    bar.setFixedSize(kWidth, kHeight);
    bar.move(0, 0);
    bar.show();
    const int result = app.exec();
    mpv_terminate_destroy(mpv);
    return result;
}
