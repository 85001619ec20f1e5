// F9 to pause latency through the real main window and player, and the CPU the idle program
// uses with both 1 ms timers running. Needs an X server with XTEST (bench/run.sh uses xvfb-run).
#include "app/form1.h"
#include "app/userprompts.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <X11/keysym.h>
#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPresses = 50;
constexpr int kIdleMilliseconds = 10000;

// Notes when the readout is shown, which is right after the player has paused.
class TimingPrompts : public UserPrompts
{
public:
    QString song;
    QElapsedTimer clock;
    qint64 readoutAtNs = -1;
    QString askOpenFile(QWidget*, const QString&) override { return song; }
    QString askSaveFile(QWidget*, const QString&) override { return {}; }
    void showMessage(QWidget*, const QString&, const QString&) override { readoutAtNs = clock.nsecsElapsed(); }
    bool dismissMessage(const QString&) override { return false; }
    void showError(QWidget*, const QString&, const QString& reason) override
    {
        std::printf("error: %s\n", qPrintable(reason));
    }
    bool dismissError(const QString&) override { return false; }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double idleCpuPercent()
{
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(kIdleMilliseconds);
    return 100.0 * (cpuSeconds() - cpuBefore) / (wall.nsecsElapsed() / 1e9);
}

void pressF9(XTestKeyboard& keyboard)
{
    keyboard.press(XK_F9);
    QTest::qWait(30);
    keyboard.release(XK_F9);
    QTest::qWait(30);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    XTestKeyboard keyboard;
    if (!keyboard.isOpen()) {
        std::printf("needs an X server with XTEST\n");
        return 1;
    }
    MediaFixtures fixtures;
    TimingPrompts prompts;
    prompts.song = fixtures.tone(u"bench.mp3"_s, 120);
    prompts.clock.start();

    Form1 form(prompts);
    form.mp3->setAudioDriver(u"null"_s);
    form.show();
    QTest::qWait(200);
    std::printf("idle, no song: CPU %.2f %% of one core over %d s (target at most 1 %%)\n", idleCpuPercent(),
                kIdleMilliseconds / 1000);

    form.载入歌曲_Click();
    QTest::qWait(50);
    std::vector<double> latencies;
    for (int press = 0; press < kPresses; ++press) {
        pressF9(keyboard); // plays
        QTest::qWait(QRandomGenerator::global()->bounded(50, 250));
        prompts.readoutAtNs = -1;
        const qint64 keyDownNs = prompts.clock.nsecsElapsed();
        keyboard.press(XK_F9);
        while (prompts.readoutAtNs < 0 && prompts.clock.nsecsElapsed() - keyDownNs < 2'000'000'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (prompts.readoutAtNs >= 0)
            latencies.push_back((prompts.readoutAtNs - keyDownNs) / 1e6);
        QTest::qWait(30);
        keyboard.release(XK_F9);
        QTest::qWait(30);
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::printf("F9 to pause: no pause seen\n");
        return 1;
    }
    std::printf("F9 to pause over %zu presses: median %.2f ms, worst %.2f ms (targets 2 ms and 5 ms)\n",
                latencies.size(), latencies[latencies.size() / 2], latencies.back());

    std::printf("idle, song paused: CPU %.2f %% of one core over %d s (target at most 1 %%)\n", idleCpuPercent(),
                kIdleMilliseconds / 1000);
    return 0;
}
