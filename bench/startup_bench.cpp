// Start-up as a person sees it. Launches the program and a bare Qt window with the same widgets
// (startup_bare) alternately, and watches both from outside over an X connection of its own: the
// time from launch to the window's first pixels on the screen, and each one's peak memory then.
// For the program also the time until its player runs, and its memory once a song is loaded
// through the menu and the Open box with real key events. Run under an X server (bench/run.sh);
// a program named as the argument is measured in place of this build's, e.g. an older build.
#include "figures/figures.h"
#include "outside/childprocess.h"
#include "outside/desktop.h"
#include "outside/watching.h"
#include "support/mediafixtures.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace watching;

namespace {

constexpr int kPairs = 15;

struct Launch
{
    double firstPaintMs = -1;
    long peakKiB = -1;
    double playerReadyMs = -1;
};

// One launch, from spawning the process to its first pixels in the middle of the screen; with
// waitForPlayer, on until the player's thread runs.
std::optional<Launch> launch(Desktop& screen, const QByteArray& program, bool waitForPlayer)
{
    // The window of the launch before must be gone.
    for (const Clock::time_point deadline = Clock::now() + kTimeout; !screen.isEmpty();) {
        if (Clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(1ms);
    }
    const Clock::time_point start = Clock::now();
    const ChildProcess child(program);
    Launch result;
    if (!waitFor(child, [&] { return !screen.isEmpty(); }))
        return std::nullopt;
    result.firstPaintMs = millisecondsSince(start);
    result.peakKiB = child.statusKiB("VmHWM");
    if (waitForPlayer) {
        if (!waitFor(child, [&] { return child.hasThread(kPlayerThread); }))
            return std::nullopt;
        result.playerReadyMs = millisecondsSince(start);
    }
    return result;
}

struct Loaded
{
    long peakKiB = -1;
    long residentKiB = -1;
};

// The program started in the song's folder, the song loaded through the menu and the Open box.
std::optional<Loaded> loadSongAndMeasure(Desktop& screen, const QByteArray& program, const QString& song)
{
    const ChildProcess child(program, {}, QFileInfo(song).path());
    if (!loadSong(screen, child, song))
        return std::nullopt;
    std::this_thread::sleep_for(1s);
    return Loaded{child.statusKiB("VmHWM"), child.statusKiB("VmRSS")};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Desktop screen;
    if (!screen.isOpen()) {
        std::fprintf(stderr, "no X server: run this under one (bench/run.sh does)\n");
        return 1;
    }
    const QByteArray program(argc > 1 ? argv[1] : LRC_PROGRAM);
    const QByteArray bare(LRC_BARE_PROGRAM);

    std::vector<double> programPaint, barePaint, ready;
    std::vector<double> programPeak, barePeak;
    for (int pair = 0; pair <= kPairs; ++pair) {
        const std::optional<Launch> p = launch(screen, program, true);
        const std::optional<Launch> b = launch(screen, bare, false);
        if (!p || !b) {
            std::fprintf(stderr, "a window did not show within %lld s\n", static_cast<long long>(kTimeout.count()));
            return 1;
        }
        if (pair == 0)
            continue; // the warm-up pair fills the file cache
        programPaint.push_back(p->firstPaintMs);
        barePaint.push_back(b->firstPaintMs);
        ready.push_back(p->playerReadyMs);
        programPeak.push_back(p->peakKiB / 1024.0);
        barePeak.push_back(b->peakKiB / 1024.0);
    }
    figures::printTableHeader();
    figures::printRow("launch to the main window's first pixels on the X server, median", figures::median(programPaint),
                      figures::median(barePaint), "ms", 1);
    figures::printRow("peak memory at first paint, median", figures::median(programPeak), figures::median(barePeak),
                      "MiB", 1);
    figures::printRow("launch to the player running (libmpv loaded, its core thread started), median",
                      figures::median(ready), "ms", 1);
    std::printf("%d alternating pairs after a warm-up pair; the floor is startup_bare, a Qt window with the same "
                "widgets and texts linked to Qt only\n",
                kPairs);

    MediaFixtures fixtures;
    // Its name is typed key by key, so it holds nothing a keyboard layout might lack.
    const QString song = fixtures.tone(u"song.mp3"_s, 60);
    if (song.isEmpty()) {
        std::fprintf(stderr, "no song to load: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    const std::optional<Loaded> loaded = loadSongAndMeasure(screen, program, song);
    if (!loaded) {
        std::fprintf(stderr, "the song could not be loaded through the Open box\n");
        return 1;
    }
    figures::printRow("peak memory with a song loaded through the Open box", loaded->peakKiB / 1024.0, "MiB", 1);
    figures::printRow("resident memory then", loaded->residentKiB / 1024.0, "MiB", 1);
    return 0;
}
