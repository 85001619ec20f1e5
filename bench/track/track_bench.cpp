// From the release of a click on the player's progress bar until the screen shows the new
// position, watched from outside as a person sees it. track_player (the program's strip,
// MediaPlayer, with a song loaded and stopped) and track_bare, its floor (Qt Widgets and libmpv
// only: seek on release, wait for mpv, repaint), run alternately, each alone in a window of the
// same size with its bar at the same place. XTest clicks land at random places of the bar, each
// at least a tenth of it away from the one before; measured over the benchmark's own X
// connection from the moment the server has the click to the first changed pixel of a line
// across the middle of the bar. Run under an X server; without a compositor the figures are
// the time to the pixels, to be set beside a frame (16.7 ms at 60 Hz).
#include "figures/figures.h"
#include "outside/childprocess.h"
#include "outside/desktop.h"
#include "outside/watching.h"
#include "support/mediafixtures.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace watching;

namespace {

constexpr int kRounds = 3;
constexpr int kClicks = 20;
constexpr auto kPixelPoll = 100us;
constexpr auto kShownTimeout = 2s;
// Both windows are 640 × 240 with the bar 6 px in from the sides, rows 226 to 233.
constexpr int kBarLeft = 6;
constexpr int kBarWidth = 628;
constexpr int kBarRow = 230;

struct Side
{
    std::vector<double> latencies;
    int missed = 0;
};

bool measure(Desktop& screen, const QByteArray& program, const QString& song, Side& side)
{
    const ChildProcess child(program, {song});
    const auto shown = [&] { return screen.windows().size() == 1 && child.hasThread(kPlayerThread); };
    if (!waitFor(child, shown))
        return false;
    std::this_thread::sleep_for(1s);
    const QRect window = screen.geometry(screen.windows().front());
    const QRect line(window.x() + kBarLeft, window.y() + kBarRow, kBarWidth, 1);
    QRandomGenerator random(22);
    double last = 0.0;
    for (int click = 0; click < kClicks; ++click) {
        double fraction = last;
        while (std::abs(fraction - last) < 0.1)
            fraction = 0.05 + random.bounded(0.9);
        last = fraction;
        const QByteArray before = screen.pixels(line);
        const QPoint at(line.x() + int(fraction * (kBarWidth - 1)), line.y());
        screen.click(at);
        const Clock::time_point released = Clock::now();
        if (waitFor(
                child, [&] { return screen.pixels(line) != before; }, kPixelPoll, kShownTimeout))
            side.latencies.push_back(millisecondsSince(released));
        else
            ++side.missed;
        std::this_thread::sleep_for(std::chrono::milliseconds(random.bounded(100, 300)));
    }
    return child.isRunning();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Desktop screen;
    if (!screen.isOpen()) {
        std::fprintf(stderr, "track_bench: no X server (run it under xvfb-run)\n");
        return 1;
    }
    MediaFixtures fixtures;
    const QString song = fixtures.tone(u"track.mp3"_s, 120);
    if (song.isEmpty()) {
        std::fprintf(stderr, "no song: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    Side program;
    Side bare;
    for (int round = 0; round < kRounds; ++round) {
        if (!measure(screen, LRC_TRACK_PLAYER, song, program) || !measure(screen, LRC_TRACK_BARE, song, bare)) {
            std::fprintf(stderr, "track_bench: a player did not start or ended early\n");
            return 1;
        }
    }
    std::printf("click on the progress bar to the new position on the screen, %zu clicks each; unseen within %lld s: "
                "program %d, bare %d\n",
                program.latencies.size(), (long long)std::chrono::seconds(kShownTimeout).count(), program.missed,
                bare.missed);
    figures::printTableHeader();
    figures::printRow("click on the bar to the new position shown, median", figures::median(program.latencies),
                      figures::median(bare.latencies), "ms");
    figures::printRow("click on the bar to the new position shown, worst", figures::worst(program.latencies),
                      figures::worst(bare.latencies), "ms");
    std::printf("one frame at 60 Hz: 16.67 ms\n");
    return 0;
}
