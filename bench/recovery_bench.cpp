// Typing into a 50,000-line sheet while the recovery file is kept up to date: the time from a real
// key event to the sheet drawn anew, with the timed recovery writes on against the same typing
// with them off (the floor), alternated in blocks on one window.
#include "app/form1.h"
#include "app/recovery.h"
#include "app/sheetbox.h"
#include "app/sheetmirror.h"
#include "figures/figures.h"
#include "lyrics/recoverydata.h"
#include "playback/mediaplayer.h"
#include "sheets.h"
#include "support/numericlocale.h"
#include "support/paintcounter.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <vector>

// Xlib's macros clash with Qt names: its headers come last.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSheetLines = 50000;
constexpr int kKeys = 200;
constexpr int kBlock = 20;
// A brisk typist: a key every 60 ms, so that about one recovery write falls into each block.
constexpr qint64 kKeyPacingMs = 60;
constexpr qint64 kGiveUpMs = 5000;

// The value below which the given fraction of the values lie.
double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[size_t(fraction * double(values.size() - 1))];
}

void runEventsFor(qint64 ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
}

// From the key's press on the X server until the sheet's viewport has been painted anew (the
// paint and its flush to the server happen in one go, before processEvents returns).
double keyToDrawnMs(Display* display, KeySym key, PaintCounter& painted)
{
    const int before = painted.count;
    QElapsedTimer timer;
    timer.start();
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
    XFlush(display);
    while (painted.count == before && timer.elapsed() < kGiveUpMs)
        QApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    runEventsFor(std::max<qint64>(0, kKeyPacingMs - timer.elapsed()));
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    Display* display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "recovery_bench: needs an X server with XTEST (run it under xvfb-run)\n");
        return 1;
    }
    QTemporaryDir state;
    const QString folder = state.path() + u"/xiaoyun-lrc"_s;
    ScriptedPrompts prompts;
    Form1 form(prompts);
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form)) {
        std::fprintf(stderr, "recovery_bench: the window never became active\n");
        return 1;
    }
    Recovery recovery(form, prompts, folder);
    form.Text2->setPlainText(sheets::numberedSheet(kSheetLines, true, u"\n"));
    form.Text2->document()->setModified(true);
    form.Text2->setFocus();
    form.Text2->moveCursor(QTextCursor::End);
    PaintCounter paints(form.Text2->viewport());
    runEventsFor(500);

    // What the GUI thread spends on one snapshot of this sheet, against copying the sheet out.
    const SheetMirror mirror(form.Text2->document());
    std::vector<double> snapshots;
    std::vector<double> copies;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        const RecoveryData snapshot{mirror.text(), form.gridTexts(), form.mp3->URL()};
        snapshots.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        const QString copy = form.Text2->toPlainText();
        copies.push_back(clock.nsecsElapsed() / 1e6);
    }

    std::vector<double> withRecovery;
    std::vector<double> floor;
    int writes = 0;
    QDateTime lastWrite;
    const KeySym letters[] = {XK_a, XK_b, XK_c, XK_d, XK_e, XK_f, XK_g, XK_h};
    int next = 0;
    for (int block = 0; block < 2 * kKeys / kBlock; ++block) {
        // Blocks alternate, and so does which kind comes first in each pair.
        const bool on = (block % 2 == 0) == (block / 2 % 2 == 0);
        recovery.autoSaver().setTimed(on);
        for (int key = 0; key < kBlock; ++key) {
            const double ms = keyToDrawnMs(display, letters[next++ % 8], paints);
            (on ? withRecovery : floor).push_back(ms);
            const QDateTime written = QFileInfo(recovery.path()).lastModified();
            if (written.isValid() && written != lastWrite) {
                ++writes;
                lastWrite = written;
            }
        }
        // The write of the block's last change lands before the floor's block begins.
        runEventsFor(on ? 2 * AutoSaver::kDelayMs : 0);
    }

    for (const ShownMessage& shown : prompts.errors)
        std::printf("error: %s\n", qPrintable(shown.text));
    std::printf(
        "note: %d-line sheet (%.1f MB of recovery file), a key every %lld ms, %d keys each way in blocks of %d\n",
        kSheetLines, QFileInfo(recovery.path()).size() / 1e6, kKeyPacingMs, kKeys, kBlock);
    std::printf("note: recovery writes seen during the typing: %d; the GUI thread's snapshot: median %.3f ms "
                "(copying the sheet out with toPlainText instead: %.2f ms)\n",
                writes, figures::median(snapshots), figures::median(copies));
    const std::string keys = std::to_string(kKeys);
    figures::printTableHeader();
    figures::printRow("key to drawn, worst of " + keys + " keys, recovery on vs off", figures::worst(withRecovery),
                      figures::worst(floor), "ms");
    figures::printRow("key to drawn, median of " + keys + " keys, recovery on vs off", figures::median(withRecovery),
                      figures::median(floor), "ms");
    figures::printRow("key to drawn, 95th percentile of " + keys + " keys, recovery on vs off",
                      percentile(withRecovery, 0.95), percentile(floor, 0.95), "ms");
    std::printf("note: worst above the floor: %.2f ms (target: no more than 2 ms)\n",
                figures::worst(withRecovery) - figures::worst(floor));
    XCloseDisplay(display);
    return 0;
}
