// The lyric benchmark's floor, launched by lyric_bench: a plain Qt editor holding the same sheet,
// and a plain strip that plays the same song through libmpv and, at the screen's rate, draws the
// position mpv gives and two fixed lines, nothing looked up. Linked to Qt and libmpv only.
//
//   lyric_bare SONG
#include "lyric_measures.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <mpv/client.h>

#include <clocale>
#include <cstdio>

using namespace lyricbench;

namespace {

// libmpv on the wall clock, as the program's benchmark side plays: no sound device, no video.
class BarePlayer
{
public:
    explicit BarePlayer(const QString& song)
        : m_mpv(mpv_create())
    {
        if (!m_mpv)
            return;
        const char* const options[][2] = {{"ao", "null"},   {"vo", "null"},     {"vid", "no"},
                                          {"config", "no"}, {"terminal", "no"}, {"audio-display", "no"}};
        for (const auto& option : options)
            mpv_set_option_string(m_mpv, option[0], option[1]);
        if (mpv_initialize(m_mpv) < 0)
            return;
        const QByteArray path = song.toUtf8();
        const char* command[] = {"loadfile", path.constData(), nullptr};
        mpv_command(m_mpv, command);
        for (;;) {
            const mpv_event* event = mpv_wait_event(m_mpv, 5.0);
            if (event->event_id == MPV_EVENT_PLAYBACK_RESTART) {
                m_playing = true;
                return;
            }
            if (event->event_id == MPV_EVENT_NONE || event->event_id == MPV_EVENT_END_FILE)
                return;
        }
    }
    ~BarePlayer()
    {
        if (m_mpv)
            mpv_terminate_destroy(m_mpv);
    }
    BarePlayer(const BarePlayer&) = delete;
    BarePlayer& operator=(const BarePlayer&) = delete;

    bool isPlaying() const { return m_playing; }
    double position() const
    {
        double seconds = 0.0;
        mpv_get_property(m_mpv, "time-pos", MPV_FORMAT_DOUBLE, &seconds);
        return seconds;
    }

private:
    mpv_handle* m_mpv;
    bool m_playing = false;
};

class BareStrip : public QWidget
{
public:
    BareStrip(const BarePlayer& player, QWidget* parent)
        : QWidget(parent)
        , m_player(player)
    {
        connect(&m_frames, &QTimer::timeout, this, [this] { update(); });
        m_frames.setTimerType(Qt::PreciseTimer);
        m_frames.start(16);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().base());
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignTop, QString::number(m_player.position(), 'f', 2));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, sheets::phrases()[0]);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignBottom, sheets::phrases()[1]);
    }

private:
    const BarePlayer& m_player;
    QTimer m_frames;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc != 2) {
        std::fprintf(stderr, "usage: lyric_bare SONG\n");
        return 2;
    }
    const QString sheet = longSheet();
    QWidget window;
    window.resize(756, 564);
    QPlainTextEdit editor(&window);
    editor.setLineWrapMode(QPlainTextEdit::NoWrap);
    editor.setGeometry(8, 8, 745, 25);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    editor.setPlainText(sheet);

    Figures measured;
    // The bare walk over the sheet's lines, looking at the first character of each.
    qsizetype bracketed = 0;
    measured.parseMs = medianMs(kSamples, [&] {
        for (qsizetype start = 0, end = 0; end >= 0; start = end + 1) {
            end = sheet.indexOf(u'\n', start);
            bracketed += start < sheet.size() && sheet[start] == u'[';
        }
    });
    measured.keyMs = keyMs(editor);

    const BarePlayer player(QString::fromLocal8Bit(argv[1]));
    if (!player.isPlaying()) {
        std::fprintf(stderr, "lyric_bare: libmpv did not play %s\n", argv[1]);
        return 1;
    }
    BareStrip strip(player, &window);
    strip.setGeometry(24, 33, 697, 63);
    strip.show();
    measurePlaying(strip, strip.rect(), measured);
    measured.cpuWithoutLyricsPercent = measured.cpuPercent;
    measured.print();
    return bracketed > 0 ? 0 : 1;
}
