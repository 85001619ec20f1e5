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
#include "lyric_measures.h"
#include "lyrics/lyrictimeline.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/numericlocale.h"
#include "support/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QProcess>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace lyricbench;

namespace {

constexpr int kRounds = 5;
constexpr int kLookups = 100000;

int runProgram(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    const QString sheet = longSheet();
    ScriptedPrompts prompts;
    prompts.fileAnswers << QString::fromLocal8Bit(argv[2]);
    Form1 form(prompts);
    form.mp3->setAudioDriver(u"null"_s);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.载入歌曲->trigger();
    form.Text2->setText(sheet);
    Figures measured;
    measured.parseMs = medianMs(kSamples, [&] { LyricTimeline timeline(sheet); });
    measured.keyMs = keyMs(*form.Text2);
    form.Command1_Click();
    measurePlaying(*form.mp3, form.mp3->displayRect(), measured);
    form.Text2->clear();
    measured.cpuWithoutLyricsPercent = cpuPercentPlaying(*form.mp3);
    measured.print();
    return 0;
}

std::optional<Figures> launch(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.start(program, arguments);
    child.waitForFinished(120000);
    Figures run;
    if (child.exitCode() != 0 || !Figures::parse(child.readAllStandardOutput(), run)) {
        std::fprintf(stderr, "%s run failed: %s\n", qPrintable(program), child.readAllStandardError().constData());
        return std::nullopt;
    }
    return run;
}

void report(const std::string& what, const char* unit, const std::vector<Figures>& program,
            const std::vector<Figures>& bare, double Figures::*field, int decimals = 2)
{
    std::vector<double> ours, floor;
    for (const Figures& run : program)
        ours.push_back(run.*field);
    for (const Figures& run : bare)
        floor.push_back(run.*field);
    figures::printRow(what, figures::median(ours), figures::median(floor), unit, decimals);
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
    figures::printRow("finding the current line in the sheet, mean of 100,000 lookups", ms * 1e6 / kLookups, "ns", 0);
    std::printf("the lookups found %lld characters of lines\n", static_cast<long long>(found));
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
        if (const auto run = launch(QCoreApplication::applicationFilePath(), {u"program"_s, song}))
            program.push_back(*run);
        if (const auto run = launch(QStringLiteral(LRC_LYRIC_BARE), {song}))
            bare.push_back(*run);
    }
    if (program.empty() || bare.empty())
        return 1;
    figures::printTableHeader();
    report("reading the sheet's time tags after a change, median (floor: a walk over its lines)", "ms", program, bare,
           &Figures::parseMs);
    report("a key typed into the sheet, until drawn, median", "ms", program, bare, &Figures::keyMs);
    report("one frame of the strip while playing, median", "ms", program, bare, &Figures::frameMs);
    report("frames drawn a second while playing, median", "/s", program, bare, &Figures::framesPerSecond, 1);
    report("CPU while playing, mpv included, median", "%", program, bare, &Figures::cpuPercent);
    std::vector<double> withoutLyrics;
    for (const Figures& run : program)
        withoutLyrics.push_back(run.cpuWithoutLyricsPercent);
    figures::printRow("CPU while playing an empty sheet (the clock alone repaints), median",
                      figures::median(withoutLyrics), "%");
    std::printf("%d-line sheet; %d rounds of the program and lyric_bare (a plain Qt editor and strip playing the same "
                "song through libmpv), alternately, each in a process of its own\n",
                kLines, kRounds);
    reportLookup();
    return 0;
}
