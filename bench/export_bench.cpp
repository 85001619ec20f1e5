// The export of a 10,000-line sheet as the program runs it: a real main window whose 生成 button is
// clicked, with the Save box answered from a script: the sheet box's cleaning as one undoable
// edit, the sheet's text, the code page 936 encoding and the atomic write. Against export_bare,
// the bare export linked to nothing of the program, run in turns with it.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "export_sheet.h"
#include "figures/figures.h"
#include "support/numericlocale.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The floor's own times, one a line, for count exports into folder; none when it failed.
std::vector<double> bareExports(const QString& folder, int count)
{
    QProcess bare;
    bare.start(QStringLiteral(LRC_EXPORT_BARE), {folder, QString::number(count)});
    std::vector<double> times;
    if (!bare.waitForFinished(-1) || bare.exitStatus() != QProcess::NormalExit || bare.exitCode() != 0)
        return times;
    for (const QByteArray& line : bare.readAllStandardOutput().split('\n')) {
        if (!line.trimmed().isEmpty())
            times.push_back(line.toDouble());
    }
    return times;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "export_bench: no temporary folder\n");
        return 1;
    }
    const QString sheet = exportbench::sheet();
    const QString path = dir.filePath(u"歌词.lrc"_s);
    ScriptedPrompts prompts;
    Form1 form(prompts);
    form.show();

    std::vector<double> program, bare;
    for (int round = 0; round < exportbench::kRounds; ++round) {
        for (int run = 0; run < exportbench::kExportsPerRound; ++run) {
            form.Text2->setText(sheet);
            QApplication::processEvents();
            prompts.fileAnswers << path;
            QElapsedTimer clock;
            clock.start();
            form.Command7->click();
            program.push_back(double(clock.nsecsElapsed()) / 1e6);
            QApplication::processEvents();
        }
        const std::vector<double> times = bareExports(dir.path(), exportbench::kExportsPerRound);
        if (times.size() != size_t(exportbench::kExportsPerRound)) {
            std::fprintf(stderr, "export_bench: export_bare failed\n");
            return 1;
        }
        bare.insert(bare.end(), times.begin(), times.end());
    }
    if (!prompts.errors.isEmpty() || prompts.messages.size() != int(program.size())) {
        std::fprintf(stderr, "export_bench: the export did not succeed every time\n");
        return 1;
    }

    figures::printTableHeader();
    figures::printRow("export of a 10,000-line sheet (undoable cleaning, encoding, atomic write), median",
                      figures::median(program), figures::median(bare), "ms");
    figures::printRow("the same, worst", figures::worst(program), figures::worst(bare), "ms");
    std::printf("%zu exports each, the program and export_bare (one pass of QString::replace, iconv to GB18030, "
                "write, fsync, rename) in %d turns; the file holds %lld bytes\n",
                program.size(), exportbench::kRounds, static_cast<long long>(QFileInfo(path).size()));
    return 0;
}
