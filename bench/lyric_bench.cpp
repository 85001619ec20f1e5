// The lyric preview's cost on a 10,000-line sheet: reading the sheet on each change, a key typed
// into it, and each frame of the player's strip while a song plays, through the real main window.
// Each figure is set against lyric_bare, a plain Qt editor and a plain strip playing the same song
// through libmpv, a separate program linked to nothing of this one, run alternately with it in
// processes of their own. Needs an X server (bench/run.sh uses xvfb-run).
//
//   lyric_bench              runs both sides and prints the figures
//   lyric_bench program SONG one run of the program's side, its figures as one line
#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/userprompts.h"
#include "lyric_measures.h"
#include "lyrics/lyrictimeline.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"

#include <QAction>
#include <QApplication>
#include <QProcess>

#include <clocale>
#include <cstdio>
#include <optional>
#include <vector>

using namespace lyricbench;

namespace {

constexpr int kRounds = 5;
constexpr int kLookups = 100000;

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

int runProgram(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString sheet = longSheet();
    SongPrompts prompts;
    prompts.song = QString::fromLocal8Bit(argv[2]);
    Form1 form(prompts);
    form.mp3->setAudioDriver(u"null"_s);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.载入歌曲->trigger();
    form.Text2->setText(sheet);
    Figures figures;
    figures.parseMs = medianMs(kSamples, [&] { LyricTimeline timeline(sheet); });
    figures.keyMs = keyMs(*form.Text2);
    form.Command1_Click();
    measurePlaying(*form.mp3, form.mp3->displayRect(), figures);
    form.Text2->clear();
    figures.cpuWithoutLyricsPercent = cpuPercentPlaying(*form.mp3);
    figures.print();
    return 0;
}

std::optional<Figures> launch(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.start(program, arguments);
    child.waitForFinished(120000);
    Figures figures;
    if (child.exitCode() != 0 || !Figures::parse(child.readAllStandardOutput(), figures)) {
        std::fprintf(stderr, "%s run failed: %s\n", qPrintable(program), child.readAllStandardError().constData());
        return std::nullopt;
    }
    return figures;
}

void report(const char* what, const char* unit, const std::vector<Figures>& program, const std::vector<Figures>& bare,
            double Figures::*field, const char* target)
{
    std::vector<double> ours, floor;
    for (const Figures& figures : program)
        ours.push_back(figures.*field);
    for (const Figures& figures : bare)
        floor.push_back(figures.*field);
    std::printf("%s: program median %.3f %s, bare floor %.3f %s (%.2fx)%s\n", what, median(ours), unit, median(floor),
                unit, median(ours) / median(floor), target);
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
    if (argc == 3 && qstrcmp(argv[1], "program") == 0)
        return runProgram(argc, argv);

    QCoreApplication app(argc, argv);
    MediaFixtures fixtures;
    const QString song = fixtures.tone(u"lyric-bench.mp3"_s, 30);
    if (song.isEmpty()) {
        std::fprintf(stderr, "lyric_bench: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    std::vector<Figures> program, bare;
    for (int round = 0; round < kRounds; ++round) {
        if (const auto figures = launch(QCoreApplication::applicationFilePath(), {u"program"_s, song}))
            program.push_back(*figures);
        if (const auto figures = launch(QStringLiteral(LRC_LYRIC_BARE), {song}))
            bare.push_back(*figures);
    }
    if (program.empty() || bare.empty())
        return 1;
    std::printf("%d-line sheet, %d rounds of the program and the bare floor, alternately\n", kLines, kRounds);
    report("reading the sheet (floor: a walk over its lines)", "ms", program, bare, &Figures::parseMs,
           ", target well under 5 ms");
    report("a key typed into the sheet, until drawn", "ms", program, bare, &Figures::keyMs, "");
    report("one frame of the strip while playing", "ms", program, bare, &Figures::frameMs, "");
    report("frames drawn while playing", "per second", program, bare, &Figures::framesPerSecond,
           ", target at least 30");
    report("CPU while playing, mpv included", "%", program, bare, &Figures::cpuPercent, "");
    std::vector<double> withoutLyrics;
    for (const Figures& figures : program)
        withoutLyrics.push_back(figures.cpuWithoutLyricsPercent);
    std::printf("CPU while playing an empty sheet (clock only, as before the preview): program median %.3f %%\n",
                median(withoutLyrics));
    reportLookup();
    return 0;
}
