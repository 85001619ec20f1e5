// What the lyric benchmark measures, taken the same way in the program and in its bare floor: the
// sheet both hold, a key typed into an editor until it is drawn, and the CPU, frames and frame time
// of a strip while a song plays. Qt only, so that the floor stays linked to nothing of the program.
#pragma once

#include "figures/figures.h"
#include "sheets.h"
#include "support/paintcounter.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace lyricbench {

using namespace Qt::StringLiterals;

constexpr int kLines = 10000;
constexpr int kSamples = 40;
constexpr int kFrames = 200;
constexpr int kPlayMs = 2000;

// Lines as pages of the grid leave them: one tag and an empty one, now and then a repeat tag.
inline QString longSheet()
{
    return sheets::taggedSheet(kLines, 30, sheets::SecondTag::EmptyOrRepeat, sheets::phrases().first(6), u"\n");
}

inline double timedMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

inline double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(timedMs(work));
    return figures::median(times);
}

inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One run's figures, passed from the measured process to lyric_bench as one line of numbers.
struct Figures
{
    double parseMs = 0;
    double keyMs = 0;
    double frameMs = 0;
    double framesPerSecond = 0;
    double cpuPercent = 0;
    // Playing with an empty sheet: in the program the clock alone repaints; the floor has no such mode.
    double cpuWithoutLyricsPercent = 0;

    void print() const
    {
        std::printf("%f %f %f %f %f %f\n", parseMs, keyMs, frameMs, framesPerSecond, cpuPercent,
                    cpuWithoutLyricsPercent);
    }
    static bool parse(const QByteArray& line, Figures& figures)
    {
        const QList<QByteArray> values = line.trimmed().split(' ');
        if (values.size() != 6)
            return false;
        figures = {values[0].toDouble(), values[1].toDouble(), values[2].toDouble(),
                   values[3].toDouble(), values[4].toDouble(), values[5].toDouble()};
        return true;
    }
};

// A key typed at the end of the sheet, until the editor has drawn it.
inline double keyMs(QPlainTextEdit& editor)
{
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    return medianMs(kSamples, [&] {
        QTest::keyClick(&editor, Qt::Key_A);
        QApplication::processEvents();
    });
}

// The share of one core the process uses over a stretch of playback, and the frames drawn meanwhile.
inline double cpuPercentPlaying(QWidget& strip, double* framesPerSecond = nullptr)
{
    PaintCounter counter(&strip);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // An event loop as the program's own: QTest::qWait sleeps 10 ms between its rounds, which
    // would hold the main window's 1 ms timers back and make the program look cheaper.
    QEventLoop loop;
    QTimer::singleShot(kPlayMs, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = wall.nsecsElapsed() / 1e9;
    if (framesPerSecond)
        *framesPerSecond = counter.count / seconds;
    return 100.0 * (cpuSeconds() - cpuBefore) / seconds;
}

inline void measurePlaying(QWidget& strip, const QRect& area, Figures& figures)
{
    figures.cpuPercent = cpuPercentPlaying(strip, &figures.framesPerSecond);
    figures.frameMs = medianMs(kFrames, [&] { strip.repaint(area); });
}

} // namespace lyricbench
