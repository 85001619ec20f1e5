// Time of one page commit onto a long sheet, and of the export's cleaning of that sheet as one
// undoable edit, through the real main window and its sheet box.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/userprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSheetLines = 10000;
constexpr int kCommits = 20;
constexpr int kCleanings = 5;

class SilentPrompts : public UserPrompts
{
public:
    QString askOpenFile(QWidget*, const QString&) override { return {}; }
    QString askSaveFile(QWidget*, const QString&) override { return {}; }
    void showMessage(QWidget*, const QString&, const QString&) override {}
    bool dismissMessage(const QString&) override { return false; }
    bool confirm(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString&) override {}
    bool dismissError(const QString&) override { return false; }
};

QString longSheet()
{
    QString sheet;
    for (int line = 0; line < kSheetLines; ++line)
        sheet += u"[%1:%2.50][]这是第%3行歌词，月光洒在窗前\r\n"_s.arg(line / 60 % 100, 2, 10, QLatin1Char('0'))
                     .arg(line % 60, 2, 10, QLatin1Char('0'))
                     .arg(line);
    return sheet;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    SilentPrompts prompts;
    Form1 form(prompts);
    form.show();
    form.Text2->setText(longSheet());
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
    std::sort(times.begin(), times.end());
    std::printf("commit onto a %d-line sheet: median %.2f ms, worst %.2f ms (target under 10 ms)\n", kSheetLines,
                times[times.size() / 2], times.back());

    // Every line holds one "[]", as a sheet of pages whose second times were left empty does.
    std::vector<double> cleanings;
    for (int run = 0; run < kCleanings; ++run) {
        form.Text2->setText(longSheet());
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        form.Text2->removeEmptyTags();
        QApplication::processEvents();
        cleanings.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(cleanings.begin(), cleanings.end());
    std::printf("undoable cleaning of %d \"[]\" in the sheet box: median %.1f ms, worst %.1f ms\n", kSheetLines,
                cleanings[cleanings.size() / 2], cleanings.back());
    return 0;
}
