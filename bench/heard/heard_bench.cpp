// Loads the benchmark song 8 times as the window does (address, stop), then plays it through the
// program's own player and pauses it at 20 random moments the way the window's pause button does
// (pause, then read the position), logging on CLOCK_MONOTONIC when each pause and each play was
// asked for, the readout, the position read again while still paused, and positions read while
// playing. heard_analyse compares them with the sink.
//
//   heard_bench SONG EVENTS_FILE [AUDIO_DRIVER|- [RATE]]   (-: the program's own choice of output)
#include "playback/mediaplayer.h"
#include "support/numericlocale.h"

#include <QApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPauses = 20;
constexpr int kLoads = 8;
constexpr int kSilenceBeforeMs = 1500;
// Long enough for 50 ms of the song to reach the sink after a resume, even on a 2048 quantum.
constexpr int kShortestPlayMs = 400;
constexpr int kLongestPlayMs = 1400;
constexpr int kLiveReadsPerPlay = 3;
constexpr int kSettleAfterPlayMs = 200;
constexpr int kPausedMs = 300;

// The program's own event loop, not QTest::qWait, which sleeps 10 ms between its rounds.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1'000'000'000 + ts.tv_nsec;
}

// Positions read at random moments while playing, each stamped at the middle of its read.
void readWhilePlaying(MediaPlayer& player, int playMs, QRandomGenerator& random, std::FILE* log)
{
    int waited = 0;
    for (int i = 0; i < kLiveReadsPerPlay; ++i) {
        const int at = random.bounded(kSettleAfterPlayMs, playMs);
        if (at <= waited)
            continue;
        waitMs(at - waited);
        waited = at;
        const long long before = monotonicNs();
        const double position = player.controls().currentPosition();
        const long long after = monotonicNs();
        std::fprintf(log, "live %lld %.6f\n", (before + after) / 2, position);
    }
    waitMs(playMs - waited);
}

void run(MediaPlayer& player, std::FILE* log)
{
    QRandomGenerator random(16);
    waitMs(kSilenceBeforeMs);
    for (int i = 0; i < kPauses; ++i) {
        std::fprintf(log, "play %lld\n", monotonicNs());
        player.controls().play();
        readWhilePlaying(player, random.bounded(kShortestPlayMs, kLongestPlayMs), random, log);
        const long long asked = monotonicNs();
        player.controls().pause();
        const double readout = player.controls().currentPosition();
        waitMs(kPausedMs);
        const double again = player.controls().currentPosition();
        std::fprintf(log, "pause %lld %.6f %.6f\n", asked, readout, again);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    if (argc < 3) {
        std::fprintf(stderr, "usage: heard_bench SONG EVENTS_FILE [AUDIO_DRIVER|- [RATE]]\n");
        return 2;
    }
    std::FILE* log = std::fopen(argv[2], "w");
    if (!log) {
        std::fprintf(stderr, "heard_bench: cannot write %s\n", argv[2]);
        return 1;
    }
    try {
        MediaPlayer player;
        if (argc > 3 && std::strcmp(argv[3], "-") != 0)
            player.setAudioDriver(QString::fromLocal8Bit(argv[3]));
        if (argc > 4)
            player.settings().setRate(std::atof(argv[4]));
        // Loaded as the window's 载入歌曲 loads a song (address, stop), several times over: none
        // of it may be heard.
        for (int load = 0; load < kLoads; ++load) {
            player.setURL(QString::fromLocal8Bit(argv[1]));
            player.controls().stop();
        }
        run(player, log);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "heard_bench: %s\n", error.what());
        return 1;
    }
    std::fclose(log);
    return 0;
}
