// F9 to the readout on the screen, watched from outside as a person sees it. The program and
// hotkey_bare, its floor (the same toggle with only Xlib, XInput2 and libmpv), run alternately,
// each started on its own with a song loaded, and are driven by XTest presses of F9, held 30 ms or
// released at once, at random moments while the song plays. Measured over the benchmark's own X
// connection: from the key-down to the first changed pixels on a line down the middle of the
// screen, which both readouts cross (Qt puts a message box a little above its window's middle);
// and that each press toggled (the readout came, then went with the next press). Also the
// processor time the idle program uses, with no song and with a song paused, against two floors
// side by side: timers_bare, two 1 ms Qt timers that do nothing (the program's two periodic timers
// on their own), and hotkey_bare idling with its song paused, waiting for F9 with no timer at all.
// Read from /proc while each runs its own event loop. Run under an X server.
#include "figures/figures.h"
#include "outside/childprocess.h"
#include "outside/desktop.h"
#include "outside/watching.h"
#include "support/mediafixtures.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>

#include <X11/keysym.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace watching;

namespace {

constexpr int kRounds = 2;
constexpr int kPresses = 40;
constexpr auto kHold = 30ms;
constexpr auto kIdle = 10s;
constexpr auto kPixelPoll = 100us;
constexpr auto kToggleTimeout = 2s;
constexpr int kWatchedLine = 240; // pixels, one wide

struct Presses
{
    std::vector<double> latencies; // key-down to the readout's first pixels, in milliseconds
    int resumes = 0;
};

struct Side
{
    Presses held;
    Presses quick;
    std::vector<double> idleCpuPercent; // the program's or hotkey_bare's, with a song paused
    std::vector<double> idleWithoutSongCpuPercent; // the program's, or timers_bare's
};

QByteArray watched(const Desktop& screen)
{
    return screen.middle(1, kWatchedLine);
}

void stroke(Desktop& screen, bool quick)
{
    screen.press(XK_F9);
    if (!quick)
        std::this_thread::sleep_for(kHold);
    screen.release(XK_F9);
}

// Each press pair resumes (the readout goes), plays for a random moment, and pauses (the readout
// comes). nothing: the middle of the screen with no readout over it.
void pressAndWatch(Desktop& screen, const ChildProcess& child, const QByteArray& nothing, bool quick, Presses& run)
{
    for (int press = 0; press < kPresses; ++press) {
        stroke(screen, quick);
        if (waitFor(
                child, [&] { return watched(screen) == nothing; }, kPixelPoll, kToggleTimeout))
            ++run.resumes;
        std::this_thread::sleep_for(std::chrono::milliseconds(QRandomGenerator::global()->bounded(50, 250)));
        const Clock::time_point keyDown = Clock::now();
        screen.press(XK_F9);
        if (quick)
            screen.release(XK_F9);
        if (waitFor(
                child, [&] { return watched(screen) != nothing; }, kPixelPoll, kToggleTimeout))
            run.latencies.push_back(millisecondsSince(keyDown));
        if (!quick) {
            std::this_thread::sleep_for(kHold);
            screen.release(XK_F9);
        }
        std::this_thread::sleep_for(kHold);
    }
}

// The share of one core the child uses while nothing is asked of it, once what started it settled.
double idleCpuPercent(const ChildProcess& child)
{
    std::this_thread::sleep_for(2s);
    const double cpuBefore = child.cpuSeconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(kIdle);
    return 100.0 * (child.cpuSeconds() - cpuBefore) / (millisecondsSince(start) / 1000.0);
}

// With the song loaded and paused: both kinds of press.
bool measurePresses(Desktop& screen, const ChildProcess& child, Side& side)
{
    std::this_thread::sleep_for(1s);
    const QByteArray nothing = watched(screen);
    pressAndWatch(screen, child, nothing, false, side.held);
    // The last press paused: the quick presses start from there, as the held ones did from a
    // paused song with no readout.
    pressAndWatch(screen, child, nothing, true, side.quick);
    return child.isRunning();
}

bool runProgram(Desktop& screen, const QByteArray& program, const QString& song, Side& side)
{
    const ChildProcess child(program, {}, QFileInfo(song).path());
    if (!waitFor(child, [&] { return !screen.isEmpty() && child.hasThread(kPlayerThread); }))
        return false;
    side.idleWithoutSongCpuPercent.push_back(idleCpuPercent(child));
    if (!loadSong(screen, child, song)) {
        std::fprintf(stderr, "the song could not be loaded through the program's Open box\n");
        return false;
    }
    side.idleCpuPercent.push_back(idleCpuPercent(child));
    return measurePresses(screen, child, side);
}

// hotkey_bare loads the song paused and waits for F9 with no timer: the least idling can cost.
bool runBare(Desktop& screen, const QByteArray& bare, const QString& song, Side& side)
{
    const ChildProcess child(bare, {song});
    if (!waitFor(
            child, [&] { return child.hasOpen(song); }, 10ms))
        return false;
    side.idleCpuPercent.push_back(idleCpuPercent(child));
    return measurePresses(screen, child, side);
}

// Two 1 ms timers that do nothing: what the designed poll costs on its own.
bool runTimersBare(Side& side)
{
    const ChildProcess child(LRC_TIMERS_BARE);
    side.idleWithoutSongCpuPercent.push_back(idleCpuPercent(child));
    return child.isRunning();
}

// The last press of each kind pauses, so the run before ends with a readout shown; it goes with its program.
void waitForEmptyScreen(Desktop& screen)
{
    for (const Clock::time_point deadline = Clock::now() + kTimeout; !screen.isEmpty() && Clock::now() < deadline;)
        std::this_thread::sleep_for(10ms);
}

void report(const std::string& what, const Presses& program, const Presses& bare, int presses)
{
    figures::printRow(what + ", key-down to the readout's first pixels, median", figures::median(program.latencies),
                      figures::median(bare.latencies), "ms");
    figures::printRow("the same, worst", figures::worst(program.latencies), figures::worst(bare.latencies), "ms");
    std::printf("%s: the program showed %zu of %d readouts and %d of %d resumes, hotkey_bare %zu of %d and %d of %d\n",
                what.c_str(), program.latencies.size(), presses, program.resumes, presses, bare.latencies.size(),
                presses, bare.resumes, presses);
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
    MediaFixtures fixtures;
    // Its name is typed key by key into the program's Open box.
    const QString song = fixtures.tone(u"song.mp3"_s, 120);
    if (song.isEmpty()) {
        std::fprintf(stderr, "no song: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    Side program, bare;
    for (int round = 0; round < kRounds; ++round) {
        waitForEmptyScreen(screen);
        if (!runProgram(screen, LRC_PROGRAM, song, program)) {
            std::fprintf(stderr, "the program's run failed\n");
            return 1;
        }
        waitForEmptyScreen(screen);
        if (!runBare(screen, LRC_HOTKEY_BARE, song, bare) || !runTimersBare(bare)) {
            std::fprintf(stderr, "the bare run failed\n");
            return 1;
        }
    }
    const int presses = kRounds * kPresses;
    figures::printTableHeader();
    report("F9 held 30 ms, while playing", program.held, bare.held, presses);
    report("F9 down and up at once, while playing", program.quick, bare.quick, presses);
    // The idle figures side by side against both floors: the poll's price is the gap between them.
    const double idlePaused = figures::median(program.idleCpuPercent);
    const double idleWithoutSong = figures::median(program.idleWithoutSongCpuPercent);
    const double timers = figures::median(bare.idleWithoutSongCpuPercent);
    const double eventDriven = figures::median(bare.idleCpuPercent);
    figures::printRow("idle CPU, a song paused, against two bare 1 ms Qt timers (timers_bare)", idlePaused, timers,
                      "%");
    figures::printRow("idle CPU, a song paused, against hotkey_bare (waits for F9 with no timer)", idlePaused,
                      eventDriven, "%", 3);
    figures::printRow("idle CPU, no song, against two bare 1 ms Qt timers (timers_bare)", idleWithoutSong, timers, "%");
    figures::printRow("idle CPU, no song, against hotkey_bare (waits for F9 with no timer)", idleWithoutSong,
                      eventDriven, "%", 3);
    if (eventDriven == 0.0)
        std::printf("hotkey_bare used no processor time that /proc could count while idle (it counts in ticks of "
                    "10 ms: less than 0.1 %% over %lld s), so its ratios have no figure\n",
                    static_cast<long long>(kIdle.count()));
    std::printf("%d rounds, the program and the floors in turns, %d presses of each kind a run; idle CPU is the share "
                "of one core over %lld s, read from /proc\n",
                kRounds, kPresses, static_cast<long long>(kIdle.count()));
    return 0;
}
