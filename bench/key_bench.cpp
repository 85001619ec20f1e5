// Cost of reading the hotkey: takePress() per call, and the delay from a key event until takePress()
// has it, for the X input extension and for the keymap query.
#include "figures/figures.h"
#include "playback/globalkey.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <string>
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
        std::printf("%d presses of F9 were taken while nobody pressed it\n", presses);
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

void report(GlobalKey::Source source, const std::string& mechanism, Display* display)
{
    GlobalKey key(Qt::Key_F9, source);
    std::printf("%s: %s\n", mechanism.c_str(), qPrintable(key.mechanism()));
    figures::printRow("takePress() with nothing pressed, mean of 1,000,000 calls (" + mechanism + ")", meanCallNs(key),
                      "ns", 1);

    std::vector<double> delays;
    int missed = 0;
    for (const qint64 delay : pressDelays(key, display)) {
        if (delay < 0)
            ++missed;
        else
            delays.push_back(double(delay) / 1000.0);
    }
    figures::printRow("key event to takePress(), median (" + mechanism + ")", figures::median(delays), "µs", 1);
    figures::printRow("the same, worst", figures::worst(delays), "µs", 1);
    if (missed)
        std::printf("%s: %d of %d presses never seen\n", mechanism.c_str(), missed, kPresses);
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
    figures::printTableHeader();
    report(GlobalKey::Source::Best, "XInput2", display);
    report(GlobalKey::Source::KeymapQuery, "XQueryKeymap", display);
    XCloseDisplay(display);
    return 0;
}
