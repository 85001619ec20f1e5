// The player's position from a sound server that reports block by block, as PipeWire's
// PulseAudio server does: each block of the graph counts as played the moment it is taken.
#include "playback/playbackclock.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr double kReadGap = 0.010;
// The readout's target: within 3 ms of what is heard (its median).
constexpr double kMedianTolerance = 0.003;

// A server playing media from `start` at moment `t0`, in blocks of `block` seconds.
struct BlockServer
{
    double t0;
    double start;
    double block;

    // A block the server is late to count, by this long.
    int lateBlock = -1;
    double lateBy = 0.0;

    double heard(double at) const { return start + (at - t0); }
    // The whole block being played counts as played.
    double report(double at) const
    {
        const double playing = std::floor((at - t0) / block);
        const bool late = int(playing) == lateBlock && at - t0 - playing * block < lateBy;
        return start + (late ? playing : playing + 1.0) * block;
    }
};

// Reports read about every 7 ms, as a timer of the event loop reads them, for `seconds`.
double feed(PlaybackClock& clock, const BlockServer& server, double from, double seconds, QRandomGenerator& random)
{
    double at = from;
    while (at < from + seconds) {
        clock.reported(at, server.report(at));
        at += 0.007 + random.bounded(kReadGap - 0.007);
    }
    return at;
}

} // namespace

class TestPlaybackClock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void blockwiseReportsGiveWhatIsHeard_data();
    void blockwiseReportsGiveWhatIsHeard();
    void aBlockCountedLateIsPassedOver();
    void reportsFromBeforeASeekDoNotCount();
};

void TestPlaybackClock::blockwiseReportsGiveWhatIsHeard_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<double>("played");
    QTest::newRow("128 frames") << 128 << 0.5;
    QTest::newRow("512 frames") << 512 << 0.5;
    QTest::newRow("2048 frames, short play") << 2048 << 0.4;
    QTest::newRow("2048 frames") << 2048 << 3.0;
    QTest::newRow("8192 frames") << 8192 << 2.0;
}

// Never behind what is heard, ahead by less than the time between two reads, and by less than
// 3 ms (the median over 20 pauses) once reads have fallen at many points of its blocks.
void TestPlaybackClock::blockwiseReportsGiveWhatIsHeard()
{
    QFETCH(int, frames);
    QFETCH(double, played);
    QRandomGenerator random{quint32(frames)};
    std::vector<double> errors;
    for (int pause = 0; pause < 20; ++pause) {
        PlaybackClock clock;
        clock.setBlockwise(true);
        const BlockServer server{100.0 + random.bounded(1.0), 10.0 * pause, frames / kRate};
        const double at = feed(clock, server, server.t0, played, random);
        const double asked = at + random.bounded(0.007);
        const double error = *clock.heardAt(asked) - server.heard(asked);
        QVERIFY2(error > -1e-9 && error < kReadGap, qPrintable(QString::number(error)));
        errors.push_back(error);
    }
    std::nth_element(errors.begin(), errors.begin() + errors.size() / 2, errors.end());
    QVERIFY2(errors[errors.size() / 2] < kMedianTolerance, qPrintable(QString::number(errors[errors.size() / 2])));
}

// The server's thread held up for 35 ms of a 2048-frame cycle, under load: its report stays on
// the block before, behind what is heard, until it catches up.
void TestPlaybackClock::aBlockCountedLateIsPassedOver()
{
    QRandomGenerator random(5);
    PlaybackClock clock;
    clock.setBlockwise(true);
    BlockServer server{100.0, 20.0, 2048 / kRate};
    server.lateBlock = 20;
    server.lateBy = 0.035;
    const double at = feed(clock, server, server.t0, 1.0, random);
    const double shown = clock.position(at, 0.0, server.report(at)) - server.heard(at);
    QVERIFY2(shown > -1e-9 && shown < kMedianTolerance, qPrintable(QString::number(shown)));
}

void TestPlaybackClock::reportsFromBeforeASeekDoNotCount()
{
    QRandomGenerator random(7);
    PlaybackClock clock;
    clock.setBlockwise(true);
    const BlockServer before{100.0, 60.0, 2048 / kRate};
    const double sought = feed(clock, before, before.t0, 0.8, random);
    clock.forget();
    const BlockServer after{sought + 0.05, 5.0, 2048 / kRate};
    QVERIFY(!clock.heardAt(after.t0).has_value());
    const double at = feed(clock, after, after.t0, 0.5, random);
    QVERIFY(std::abs(*clock.heardAt(at) - after.heard(at)) < kMedianTolerance);
}

QTEST_GUILESS_MAIN(TestPlaybackClock)
#include "tst_playbackclock.moc"
