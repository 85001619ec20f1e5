// Cost of reading the hotkey: takePress() per call, and the delay from a key event until takePress() has it.
#include "playback/globalkey.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

// Xlib's macros clash with Qt names: its headers come last.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

constexpr int kCalls = 1'000'000;
constexpr int kPresses = 50;
constexpr qint64 kGiveUpMs = 2000;

double meanCallNs(GlobalKey& key)
{
    int presses = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kCalls; ++i)
        presses += key.takePress() ? 1 : 0;
    const double ns = double(clock.nsecsElapsed()) / kCalls;
    if (presses)
        std::printf("  (%d presses of F9 taken while nobody pressed it)\n", presses);
    return ns;
}

// Polls as fast as the event loop allows; nanoseconds since the clock started, -1 if never.
qint64 waitForPress(GlobalKey& key, const QElapsedTimer& clock)
{
    while (!key.takePress()) {
        QCoreApplication::processEvents();
        if (clock.elapsed() > kGiveUpMs)
            return -1;
    }
    return clock.nsecsElapsed();
}

// Lets the release come in (a keymap query must see the key up before the next press counts).
void settle(GlobalKey& key)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5) {
        QCoreApplication::processEvents();
        key.takePress();
    }
}

void sendF9(Display* display, bool down)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_F9), down ? True : False, CurrentTime);
    XFlush(display);
}

std::vector<qint64> pressDelays(GlobalKey& key, Display* display)
{
    std::vector<qint64> delays;
    QElapsedTimer clock;
    for (int i = 0; i < kPresses; ++i) {
        clock.start();
        sendF9(display, true);
        delays.push_back(waitForPress(key, clock));
        sendF9(display, false);
        settle(key);
    }
    return delays;
}

void report(GlobalKey::Source source, Display* display)
{
    GlobalKey key(Qt::Key_F9, source);
    std::printf("%s\n", qPrintable(key.mechanism()));
    std::printf("  takePress() with nothing pressed: %.1f ns per call (mean of %d calls)\n", meanCallNs(key), kCalls);

    std::vector<qint64> delays = pressDelays(key, display);
    const auto missed = std::erase(delays, -1);
    std::sort(delays.begin(), delays.end());
    if (delays.empty()) {
        std::printf("  key event to takePress(): never seen in %d presses\n", kPresses);
        return;
    }
    const double median = (delays[(delays.size() - 1) / 2] + delays[delays.size() / 2]) / 2.0;
    std::printf("  key event to takePress(): median %.1f us, worst %.1f us of %zu presses, %zu never seen\n",
                median / 1000, delays.back() / 1000.0, delays.size(), size_t(missed));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Display* display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "key_bench: needs an X server with XTEST (run it under xvfb-run)\n");
        return 1;
    }
    report(GlobalKey::Source::Best, display);
    report(GlobalKey::Source::KeymapQuery, display);
    XCloseDisplay(display);
    return 0;
}
