// F9 to pause latency through the real main window and player, for held presses and for presses
// whose release follows at once (pedals, macro keys), timed inside the program's process from the
// XTest key-down to the moment the readout is asked for, right after the player paused.
// hotkey_screen_bench watches the same from outside, with the idle CPU. Needs an X server with
// XTEST (bench/run.sh uses xvfb-run).
#include "app/form1.h"
#include "figures/figures.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/numericlocale.h"
#include "support/scriptedprompts.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <X11/keysym.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPresses = 50;

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
PressRun measurePresses(Form1& form, const QElapsedTimer& clock, const qint64& readoutAtNs, XTestKeyboard& keyboard,
                        bool shortPresses)
{
    PressRun run;
    for (int press = 0; press < kPresses; ++press) {
        pressF9(keyboard, shortPresses);
        if (spinUntil(clock, [&] { return form.Command1->text() == u"暂停"_s; }))
            ++run.resumed;
        QTest::qWait(QRandomGenerator::global()->bounded(50, 250));
        const qint64 keyDownNs = clock.nsecsElapsed();
        keyboard.press(XK_F9);
        if (shortPresses)
            keyboard.release(XK_F9);
        if (spinUntil(clock, [&] { return readoutAtNs >= keyDownNs; }))
            run.latencies.push_back((readoutAtNs - keyDownNs) / 1e6);
        if (!shortPresses) {
            QTest::qWait(30);
            keyboard.release(XK_F9);
        }
        QTest::qWait(30);
    }
    return run;
}

void report(const char* what, const PressRun& run)
{
    figures::printRow(std::string(what) + ", key-down to paused, median", figures::median(run.latencies), "ms");
    figures::printRow("the same, worst", figures::worst(run.latencies), "ms");
    std::printf("%s: %zu of %d pauses and %d of %d resumes seen\n", what, run.latencies.size(), kPresses, run.resumed,
                kPresses);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    XTestKeyboard keyboard;
    if (!keyboard.isOpen()) {
        std::fprintf(stderr, "hotkey_bench: needs an X server with XTEST\n");
        return 1;
    }
    MediaFixtures fixtures;
    const QString song = fixtures.tone(u"bench.mp3"_s, 120);
    if (song.isEmpty()) {
        std::fprintf(stderr, "hotkey_bench: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    // The readout is shown right after the player has paused.
    QElapsedTimer clock;
    clock.start();
    qint64 readoutAtNs = -1;
    ScriptedPrompts prompts;
    prompts.fileAnswers << song;
    prompts.onMessage = [&](const ShownMessage&) { readoutAtNs = clock.nsecsElapsed(); };

    Form1 form(prompts);
    form.mp3->setAudioDriver(u"null"_s);
    form.show();
    QTest::qWait(200);

    form.载入歌曲_Click();
    QTest::qWait(50);
    const PressRun held = measurePresses(form, clock, readoutAtNs, keyboard, false);
    figures::printTableHeader();
    report("F9 held 30 ms, while playing", held);
    const PressRun shortPresses = measurePresses(form, clock, readoutAtNs, keyboard, true);
    report("F9 down and up back to back, while playing", shortPresses);
    for (const ShownMessage& error : std::as_const(prompts.errors))
        std::fprintf(stderr, "hotkey_bench: %s: %s\n", qPrintable(error.title), qPrintable(error.text));
    return held.latencies.empty() || shortPresses.latencies.empty() ? 1 : 0;
}
