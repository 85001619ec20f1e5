// Measures how close the position read right after pause() is to the time really played.
// With ao=null mpv plays on the wall clock, so the time played is what a clock on the wall
// measured between play() and pause(). Prints the errors of 20 pauses at random moments.
#include "figures/figures.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/numericlocale.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPauses = 20;
constexpr int kSongSeconds = 60;
constexpr int kShortestPlayMs = 200;
constexpr int kLongestPlayMs = 1500;

struct Sample
{
    double errorMs;
    double pauseCallMs;
};

double milliseconds(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

// One stretch of playback from the position where the last one halted.
Sample playAndPause(MediaPlayer& player, int playMs)
{
    const double from = player.controls().currentPosition();
    QElapsedTimer clock;
    clock.start();
    player.controls().play();
    QTest::qWait(playMs);
    const qint64 pauseCalled = clock.nsecsElapsed();
    player.controls().pause();
    const qint64 pauseReturned = clock.nsecsElapsed();
    const double readout = player.controls().currentPosition();
    const double played = double(pauseCalled) / 1e9;
    return {(readout - from - played) * 1000.0, milliseconds(pauseReturned - pauseCalled)};
}

void printFigures(const std::vector<Sample>& samples)
{
    std::vector<double> errors;
    std::vector<double> calls;
    for (const Sample& sample : samples) {
        errors.push_back(std::fabs(sample.errorMs));
        calls.push_back(sample.pauseCallMs);
    }
    figures::printTableHeader();
    figures::printRow("pause readout off the time played (wall clock), median size of the error",
                      figures::median(errors), "ms");
    figures::printRow("the same, worst", figures::worst(errors), "ms");
    figures::printRow("pause() until mpv confirmed it, median", figures::median(calls), "ms");
    figures::printRow("the same, worst", figures::worst(calls), "ms");
    std::printf("%zu pauses at random moments, mpv with ao=null (plays on the wall clock)\n", samples.size());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    MediaFixtures fixtures;
    const QString song = fixtures.tone(u"pause-bench.mp3"_s, kSongSeconds);
    if (song.isEmpty()) {
        std::fprintf(stderr, "pause_bench: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    MediaPlayer player;
    player.setAudioDriver(u"null"_s);
    player.setURL(song);
    player.controls().stop();

    QRandomGenerator random(9);
    std::vector<Sample> samples;
    for (int i = 0; i < kPauses; ++i) {
        const Sample sample = playAndPause(player, random.bounded(kShortestPlayMs, kLongestPlayMs));
        std::fprintf(stderr, "pause %2d: error %+7.3f ms, pause() took %.3f ms\n", i + 1, sample.errorMs,
                     sample.pauseCallMs);
        samples.push_back(sample);
    }
    printFigures(samples);
    return 0;
}
