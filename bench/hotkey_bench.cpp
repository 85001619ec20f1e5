// F9 to pause latency through the real main window and player, for held presses and for presses
// whose release follows at once (pedals, macro keys), timed inside the program's process from the
// XTest key-down to the moment the readout is asked for, right after the player paused.
// hotkey_screen_bench watches the same from outside, with the idle CPU. Needs an X server with
// XTEST (bench/run.sh uses xvfb-run).
#include "app/form1.h"
#include "app/userprompts.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <X11/keysym.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPresses = 50;

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
    bool confirm(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString& reason) override
    {
        std::printf("error: %s\n", qPrintable(reason));
    }
    bool dismissError(const QString&) override { return false; }
};

// A held press lasts 30 ms; a short one is released at once, both sent before the program looks.
void pressF9(XTestKeyboard& keyboard, bool shortPress)
{
    keyboard.press(XK_F9);
    if (!shortPress)
        QTest::qWait(30);
    keyboard.release(XK_F9);
}

// Spins the event loop until done() or two seconds have passed; false on giving up.
template <typename Done>
bool spinUntil(const QElapsedTimer& clock, Done done)
{
    const qint64 startNs = clock.nsecsElapsed();
    while (!done()) {
        if (clock.nsecsElapsed() - startNs > 2'000'000'000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

struct PressRun
{
    std::vector<double> latencies; // key-down to paused, in milliseconds
    int resumed = 0;
};

// Each round resumes playback with one press, waits a random moment, and pauses with another.
PressRun measurePresses(Form1& form, TimingPrompts& prompts, XTestKeyboard& keyboard, bool shortPresses)
{
    PressRun run;
    for (int press = 0; press < kPresses; ++press) {
        pressF9(keyboard, shortPresses);
        if (spinUntil(prompts.clock, [&] { return form.Command1->text() == u"暂停"_s; }))
            ++run.resumed;
        QTest::qWait(QRandomGenerator::global()->bounded(50, 250));
        prompts.readoutAtNs = -1;
        const qint64 keyDownNs = prompts.clock.nsecsElapsed();
        keyboard.press(XK_F9);
        if (shortPresses)
            keyboard.release(XK_F9);
        if (spinUntil(prompts.clock, [&] { return prompts.readoutAtNs >= 0; }))
            run.latencies.push_back((prompts.readoutAtNs - keyDownNs) / 1e6);
        if (!shortPresses) {
            QTest::qWait(30);
            keyboard.release(XK_F9);
        }
        QTest::qWait(30);
    }
    std::sort(run.latencies.begin(), run.latencies.end());
    return run;
}

void report(const char* what, const PressRun& run)
{
    std::printf("%s: %zu of %d pauses and %d of %d resumes seen", what, run.latencies.size(), kPresses, run.resumed,
                kPresses);
    if (!run.latencies.empty())
        std::printf("; key-down to paused median %.2f ms, worst %.2f ms (targets 2 ms and 5 ms)",
                    run.latencies[run.latencies.size() / 2], run.latencies.back());
    std::printf("\n");
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

    form.载入歌曲_Click();
    QTest::qWait(50);
    const PressRun held = measurePresses(form, prompts, keyboard, false);
    report("F9 held 30 ms, while playing", held);
    const PressRun shortPresses = measurePresses(form, prompts, keyboard, true);
    report("F9 down and up back to back, while playing", shortPresses);
    return held.latencies.empty() || shortPresses.latencies.empty() ? 1 : 0;
}
