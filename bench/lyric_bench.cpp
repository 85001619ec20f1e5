// The lyric preview's cost on a 10,000-line sheet: reading the sheet on each change, a key typed
// into it, and each frame of the player's strip while a song plays, through the real main window.
// Each figure is set against a bare Qt floor (a plain editor and a plain painted strip, nothing of
// the program) run alternately in its own process. Needs an X server (bench/run.sh uses xvfb-run).
#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/userprompts.h"
#include "lyrics/lyrictimeline.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 10000;
constexpr int kRounds = 5;
constexpr int kSamples = 40;
constexpr int kFrames = 200;
constexpr int kPlayMs = 2000;
constexpr int kLookups = 100000;

const QStringList kPhrases = {
    u"风吹过山岗的时候，你在远方轻轻唱"_s, u"那年夏天的雨落满了整条街"_s, u"我把思念写进星光里"_s,
    u"月光洒在窗前的小路上"_s,           u"走过的春天还留在心里，不曾老去"_s, u"海浪一遍遍诉说着从前"_s,
};

QString tag(int centiseconds)
{
    return u"%1:%2.%3"_s.arg(centiseconds / 6000, 2, 10, QLatin1Char('0'))
        .arg(centiseconds / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(centiseconds % 100, 2, 10, QLatin1Char('0'));
}

// Lines as pages of the grid leave them: one tag and an empty one, now and then a repeat tag.
QString longSheet()
{
    QString sheet;
    for (int line = 0; line < kLines; ++line) {
        const int at = line * 30;
        const QString second = line % 5 == 0 ? tag(at + 90000) : QString();
        sheet += u'[' + tag(at) + u"]["_s + second + u']' + kPhrases[line % kPhrases.size()] + u"\n"_s;
    }
    return sheet;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timedMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(timedMs(work));
    return median(times);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

struct Figures
{
    double parseMs = 0;
    double keyMs = 0;
    double frameMs = 0;
    double framesPerSecond = 0;
    double cpuPercent = 0;
    // The program only: playing with an empty sheet, the clock alone repainting.
    double cpuWithoutLyricsPercent = 0;
};

// A key typed at the end of the sheet, until the editor has drawn it.
double keyMs(QPlainTextEdit& editor)
{
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    return medianMs(kSamples, [&] {
        QTest::keyClick(&editor, Qt::Key_A);
        QApplication::processEvents();
    });
}

// The share of one core the process uses over a stretch of playback, and the frames drawn meanwhile.
double cpuPercentPlaying(QWidget& strip, double* framesPerSecond = nullptr)
{
    PaintCounter counter(&strip);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(kPlayMs);
    const double seconds = wall.nsecsElapsed() / 1e9;
    if (framesPerSecond)
        *framesPerSecond = counter.count / seconds;
    return 100.0 * (cpuSeconds() - cpuBefore) / seconds;
}

void measurePlaying(QWidget& strip, const QRect& area, Figures& figures)
{
    figures.cpuPercent = cpuPercentPlaying(strip, &figures.framesPerSecond);
    figures.frameMs = medianMs(kFrames, [&] { strip.repaint(area); });
}

class SongPrompts : public UserPrompts
{
public:
    QString song;
    QString askOpenFile(QWidget*, const QString&) override { return song; }
    QString askSaveFile(QWidget*, const QString&) override { return {}; }
    void showMessage(QWidget*, const QString&, const QString&) override {}
    bool dismissMessage(const QString&) override { return false; }
    bool dismissError(const QString&) override { return false; }
    bool confirm(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString& reason) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(reason));
    }
};

int runProgram(const QString& sheet, Figures& figures)
{
    MediaFixtures fixtures;
    SongPrompts prompts;
    prompts.song = fixtures.tone(u"lyric-bench.mp3"_s, 30);
    if (prompts.song.isEmpty()) {
        std::fprintf(stderr, "lyric_bench: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    Form1 form(prompts);
    form.mp3->setAudioDriver(u"null"_s);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.载入歌曲->trigger();
    form.Text2->setText(sheet);
    figures.parseMs = medianMs(kSamples, [&] { LyricTimeline timeline(sheet); });
    figures.keyMs = keyMs(*form.Text2);
    form.Command1_Click();
    measurePlaying(*form.mp3, form.mp3->displayRect(), figures);
    form.Text2->clear();
    figures.cpuWithoutLyricsPercent = cpuPercentPlaying(*form.mp3);
    return 0;
}

// The floor's strip: a clock and two lines of text drawn at the screen's rate, nothing looked up.
class BareStrip : public QWidget
{
public:
    explicit BareStrip(QWidget* parent)
        : QWidget(parent)
    {
        m_clock.start();
        connect(&m_frames, &QTimer::timeout, this, [this] { update(); });
        m_frames.setTimerType(Qt::PreciseTimer);
        m_frames.start(16);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().base());
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignTop, QString::number(m_clock.elapsed() / 1000.0, 'f', 2));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, kPhrases[0]);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignBottom, kPhrases[1]);
    }

private:
    QElapsedTimer m_clock;
    QTimer m_frames;
};

int runBare(const QString& sheet, Figures& figures)
{
    QWidget window;
    window.resize(756, 564);
    QPlainTextEdit editor(&window);
    editor.setLineWrapMode(QPlainTextEdit::NoWrap);
    editor.setGeometry(8, 8, 745, 25);
    BareStrip strip(&window);
    strip.setGeometry(24, 33, 697, 63);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    editor.setPlainText(sheet);
    // The bare walk over the sheet's lines, looking at the first character of each.
    qsizetype bracketed = 0;
    figures.parseMs = medianMs(kSamples, [&] {
        for (qsizetype start = 0, end = 0; end >= 0; start = end + 1) {
            end = sheet.indexOf(u'\n', start);
            bracketed += start < sheet.size() && sheet[start] == u'[';
        }
    });
    figures.keyMs = keyMs(editor);
    measurePlaying(strip, strip.rect(), figures);
    figures.cpuWithoutLyricsPercent = figures.cpuPercent;
    return 0;
}

int runChild(int argc, char* argv[], bool bare)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString sheet = longSheet();
    Figures figures;
    if (const int error = bare ? runBare(sheet, figures) : runProgram(sheet, figures))
        return error;
    std::printf("%f %f %f %f %f %f\n", figures.parseMs, figures.keyMs, figures.frameMs, figures.framesPerSecond,
                figures.cpuPercent, figures.cpuWithoutLyricsPercent);
    return 0;
}

Figures launch(const QString& self, const QString& mode)
{
    QProcess child;
    child.start(self, {mode});
    child.waitForFinished(120000);
    const QList<QByteArray> values = child.readAllStandardOutput().trimmed().split(' ');
    if (values.size() != 6) {
        std::fprintf(stderr, "%s run failed: %s\n", qPrintable(mode), child.readAllStandardError().constData());
        return {};
    }
    return {values[0].toDouble(), values[1].toDouble(), values[2].toDouble(), values[3].toDouble(),
            values[4].toDouble(), values[5].toDouble()};
}

void report(const char* what, const char* unit, const std::vector<Figures>& program, const std::vector<Figures>& bare,
            double Figures::*field, const char* target)
{
    std::vector<double> ours, floor;
    for (const Figures& figures : program)
        ours.push_back(figures.*field);
    for (const Figures& figures : bare)
        floor.push_back(figures.*field);
    std::printf("%s: program median %.3f %s, bare Qt %.3f %s (%.2fx)%s\n", what, median(ours), unit, median(floor), unit,
                median(ours) / median(floor), target);
}

// The lookup a frame makes, on its own: positions spread over the whole sheet.
void reportLookup()
{
    const LyricTimeline timeline(longSheet());
    qsizetype found = 0;
    const double ms = timedMs([&] {
        for (int i = 0; i < kLookups; ++i)
            found += timeline.at(i * 3.0)->line.size();
    });
    std::printf("lookup of the current line in a %d-line sheet: %.0f ns (%lld characters found)\n", kLines,
                ms * 1e6 / kLookups, static_cast<long long>(found));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && (qstrcmp(argv[1], "program") == 0 || qstrcmp(argv[1], "bare") == 0))
        return runChild(argc, argv, qstrcmp(argv[1], "bare") == 0);

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<Figures> program, bare;
    for (int round = 0; round < kRounds; ++round) {
        program.push_back(launch(self, u"program"_s));
        bare.push_back(launch(self, u"bare"_s));
    }
    std::printf("%d-line sheet, %d rounds of the program and the bare floor, alternately\n", kLines, kRounds);
    report("reading the sheet (floor: a walk over its lines)", "ms", program, bare, &Figures::parseMs,
           ", target well under 5 ms");
    report("a key typed into the sheet, until drawn", "ms", program, bare, &Figures::keyMs, "");
    report("one frame of the strip while playing", "ms", program, bare, &Figures::frameMs, "");
    report("frames drawn while playing", "per second", program, bare, &Figures::framesPerSecond, ", target at least 30");
    report("CPU while playing, mpv included", "%", program, bare, &Figures::cpuPercent, "");
    std::vector<double> withoutLyrics;
    for (const Figures& figures : program)
        withoutLyrics.push_back(figures.cpuWithoutLyricsPercent);
    std::printf("CPU while playing an empty sheet (clock only, as before the preview): program median %.3f %%\n",
                median(withoutLyrics));
    reportLookup();
    return 0;
}
