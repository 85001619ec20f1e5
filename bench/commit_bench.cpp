// Time of one page commit onto a long sheet, through the real main window and its sheet box.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "figures/figures.h"
#include "sheets.h"
#include "support/numericlocale.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSheetLines = 10000;
constexpr int kCommits = 20;

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    ScriptedPrompts prompts;
    Form1 form(prompts);
    form.show();
    form.Text2->setText(sheets::numberedSheet(kSheetLines, true));
    QApplication::processEvents();

    std::vector<double> times;
    for (int commit = 0; commit < kCommits; ++commit) {
        for (int element = 1; element <= 21; ++element)
            form.Text1[element]->setText(element % 3 == 0 ? u"新的一句歌词"_s : u"01:23.45"_s);
        QElapsedTimer clock;
        clock.start();
        form.Command6_Click();
        times.push_back(clock.nsecsElapsed() / 1e6);
        QApplication::processEvents();
    }
    figures::printTableHeader();
    figures::printRow("commit of a page onto a 10,000-line sheet, median", figures::median(times), "ms");
    figures::printRow("the same, worst", figures::worst(times), "ms");
    std::printf("%d commits; the lyric preview reads the sheet again after each\n", kCommits);
    return 0;
}
