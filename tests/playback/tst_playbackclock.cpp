// The player's position from a sound server that reports block by block, as PipeWire's
// PulseAudio server does: each block of the graph counts as played the moment it is taken.
#include "playback/playbackclock.h"
#include "support/testmain.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
// Reads come 7 to 10 ms apart, as the player's timer makes them.
constexpr double kReadGap = 0.010;
// The readout's target: within 3 ms of what is heard (its median).
constexpr double kTarget = 0.003;

} // namespace

class TestPlaybackClock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void blockwiseReportsGiveWhatIsHeard_data();
    void blockwiseReportsGiveWhatIsHeard();
};

void TestPlaybackClock::blockwiseReportsGiveWhatIsHeard_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<double>("played");
    // The server's thread held up under load: its report stays on the block before for so long.
    QTest::addColumn<double>("lateBy");
    // Song seconds per second: slowed down, a block of the server holds less of the song.
    QTest::addColumn<double>("rate");
    QTest::newRow("128 frames") << 128 << 0.5 << 0.0 << 1.0;
    QTest::newRow("512 frames") << 512 << 0.5 << 0.0 << 1.0;
    QTest::newRow("2048 frames, short play") << 2048 << 0.4 << 0.0 << 1.0;
    QTest::newRow("2048 frames") << 2048 << 3.0 << 0.0 << 1.0;
    QTest::newRow("2048 frames, one counted 35 ms late") << 2048 << 1.0 << 0.035 << 1.0;
    QTest::newRow("8192 frames") << 8192 << 2.0 << 0.0 << 1.0;
    QTest::newRow("2048 frames at half speed") << 2048 << 3.0 << 0.0 << 0.5;
    QTest::newRow("512 frames at three quarters") << 512 << 1.0 << 0.0 << 0.75;
    QTest::newRow("2048 frames at half speed, one late") << 2048 << 1.0 << 0.035 << 0.5;
}

// Never behind what is heard, ahead by less than the time between two reads, and within the
// target (the median over 20 pauses), all in song time, once reads have fallen at many points of the blocks.
void TestPlaybackClock::blockwiseReportsGiveWhatIsHeard()
{
    QFETCH(int, frames);
    QFETCH(double, played);
    QFETCH(double, lateBy);
    QFETCH(double, rate);
    const double block = frames / kRate;
    const double late = std::floor(played / block) - 3.0;
    QRandomGenerator random{quint32(frames)};
    std::vector<double> errors;
    for (int pause = 0; pause < 20; ++pause) {
        PlaybackClock clock;
        clock.setBlockwise(true);
        clock.setRate(rate);
        const double t0 = 100.0 + random.bounded(1.0);
        const double start = 10.0 * pause;
        const auto report = [&](double at) {
            const double playing = std::floor((at - t0) / block);
            const bool held = playing == late && at - t0 - playing * block < lateBy;
            return start + rate * (held ? playing : playing + 1.0) * block;
        };
        double at = t0;
        for (; at < t0 + played; at += 0.007 + random.bounded(kReadGap - 0.007))
            clock.reported(at, report(at));
        const double error = clock.position(at, 0.0, report(at)) - (start + rate * (at - t0));
        QVERIFY2(error > -1e-9 && error < rate * kReadGap, qPrintable(QString::number(error)));
        errors.push_back(error);
    }
    std::nth_element(errors.begin(), errors.begin() + errors.size() / 2, errors.end());
    QVERIFY2(errors[errors.size() / 2] < rate * kTarget, qPrintable(QString::number(errors[errors.size() / 2])));
}

LRC_TEST_GUILESS_MAIN(TestPlaybackClock)
#include "tst_playbackclock.moc"
