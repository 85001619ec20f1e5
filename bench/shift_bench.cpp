// Moving 10,000 time tags of a 10,000-line sheet as one undoable edit of the real sheet box (the
// main window's, so its lyric preview reads the sheet again too), set against shift_bare, a
// separate program linked to nothing of this one that rewrites the same tags in a std::string.
// The two run alternately, each in processes of its own; each times its runs itself, as the
// operation lasts milliseconds inside a process. Needs a display (bench/run.sh uses xvfb-run).
//
//   shift_bench          runs both sides and prints the figures
//   shift_bench program  one run of the program's side, its medians as one line
#include "app/form1.h"
#include "app/sheetbox.h"
#include "figures/figures.h"
#include "sheets.h"
#include "support/numericlocale.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 10000;
constexpr int kRounds = 5;
constexpr int kShifts = 11;

// The same lines as shift_bare's, which makes them without Qt.
QString longSheet()
{
    return sheets::numberedSheet(kLines, false);
}

// Time this thread has run, in ms: on a busy machine the wall clock also counts the waits for a core.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Figures
{
    double shiftMs = 0;
    double drawnMs = 0;
    double undoMs = 0;
};

int runProgram(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    ScriptedPrompts prompts;
    Form1 form(prompts);
    form.show();
    form.Text2->setText(longSheet());
    QApplication::processEvents();

    std::vector<double> shifts, cpu, drawn, undos;
    for (int run = 0; run < kShifts; ++run) {
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = threadCpuMs();
        form.Text2->shiftTimeTags(run % 2 == 0 ? 150 : -150);
        cpu.push_back(threadCpuMs() - cpuStart);
        shifts.push_back(clock.nsecsElapsed() / 1e6);
        QApplication::processEvents();
        drawn.push_back(clock.nsecsElapsed() / 1e6);
    }
    for (int run = 0; run < kShifts; ++run) {
        QElapsedTimer clock;
        clock.start();
        form.Text2->undo();
        undos.push_back(clock.nsecsElapsed() / 1e6);
        QApplication::processEvents();
    }
    if (form.Text2->text() != longSheet()) {
        std::fprintf(stderr, "the undos did not bring the sheet back\n");
        return 1;
    }
    std::printf("%.4f %.4f %.4f %.4f\n", figures::median(shifts), figures::median(cpu), figures::median(drawn),
                figures::median(undos));
    return 0;
}

std::optional<QList<double>> launch(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, arguments);
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return std::nullopt;
    QList<double> figures;
    for (const QByteArray& field : child.readAllStandardOutput().simplified().split(' '))
        figures << field.toDouble();
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 2 && qstrcmp(argv[1], "program") == 0)
        return runProgram(argc, argv);

    QCoreApplication app(argc, argv);
    std::vector<double> shift, shiftCpu, drawn, undo, bare, bareCpu;
    for (int round = 0; round < kRounds; ++round) {
        const auto ours = launch(QCoreApplication::applicationFilePath(), {u"program"_s});
        const auto floor = launch(QStringLiteral(LRC_SHIFT_BARE), {QString::number(kLines), QString::number(kShifts)});
        if (!ours || ours->size() < 4 || !floor || floor->size() < 2) {
            std::fprintf(stderr, "shift_bench: a run failed\n");
            return 1;
        }
        shift.push_back((*ours)[0]);
        shiftCpu.push_back((*ours)[1]);
        drawn.push_back((*ours)[2]);
        undo.push_back((*ours)[3]);
        bare.push_back((*floor)[0]);
        bareCpu.push_back((*floor)[1]);
    }
    std::printf("%d tags in a %d-line sheet moved by 150 ms, %d rounds of %d shifts each, program and floor "
                "alternately; medians of the rounds' medians. Target: the shift under 20 ms.\n",
                kLines, kLines, kRounds, kShifts);
    figures::printTableHeader();
    figures::printRow("shift of 10,000 tags as one undoable edit of the sheet box, wall clock, median",
                      figures::median(shift), figures::median(bare), "ms");
    figures::printRow("the same, CPU time of the thread, median", figures::median(shiftCpu), figures::median(bareCpu),
                      "ms");
    std::printf("the shift until the window has drawn it: median %.2f ms; one undo of the shift: median %.2f ms\n",
                figures::median(drawn), figures::median(undo));
    return 0;
}
