// Opening a 50,000-line LRC file until the sheet shows it, through the real main window, against two
// floors linked to nothing of the program: open_bare, a bare read and decode of the same bytes, and
// open_bare_editor, a bare Qt editor showing them. All run alternately, each open in a fresh process
// of its own. Needs an X server (bench/run.sh uses xvfb-run).
//
//   open_bench                 runs both sides and prints the figures
//   open_bench program FILE    one open by the program, its time in ms and how often the preview read it
#include "app/form1.h"
#include "app/sheetbox.h"
#include "figures/figures.h"
#include "lyrics/lrcfile.h"
#include "playback/mediaplayer.h"
#include "sheets.h"
#include "support/numericlocale.h"
#include "support/paintcounter.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 50000;
constexpr int kRounds = 11;

// Lines as the export leaves them: one or two tags and a Chinese line; no line end after the
// last, so that the sheet holds kLines lines.
QString longSheet()
{
    QString sheet = sheets::taggedSheet(kLines, 30, sheets::SecondTag::RepeatOnly, sheets::phrases().first(8), u"\r\n");
    sheet.chop(2);
    return sheet;
}

int runProgram(int argc, char* argv[])
{
    QApplication app(argc, argv);
    useCNumericLocale();
    ScriptedPrompts prompts;
    Form1 form(prompts);
    form.mp3->setAudioDriver(u"null"_s);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    // The player starts once the window is on the screen; its start is not part of an open.
    const QDeadlineTimer startDeadline(10000);
    while (!form.mp3->isStarted() && !startDeadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTest::qWait(100);

    PaintCounter painted(form.Text2->viewport());
    int readByPreview = 0;
    QObject::connect(form.Text2, &QPlainTextEdit::textChanged, [&] { ++readByPreview; });
    const int paintsBefore = painted.count;
    QElapsedTimer clock;
    clock.start();
    form.openPaths({QString::fromLocal8Bit(argv[2])});
    // The filter sees the paint event before the sheet paints; the paint is done once it returns.
    while (painted.count == paintsBefore && prompts.errors.isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const double ms = clock.nsecsElapsed() / 1e6;
    for (const ShownMessage& error : prompts.errors)
        std::fprintf(stderr, "error: %s\n", qPrintable(error.text));
    if (!prompts.errors.isEmpty() || form.Text2->blockCount() != kLines) {
        std::fprintf(stderr, "the sheet has %d lines\n", form.Text2->blockCount());
        return 1;
    }
    std::printf("%.3f %d\n", ms, readByPreview);
    return 0;
}

struct Run
{
    double ms;
    int count; // the preview's reads, or the floor's UTF-16 units
};

std::optional<Run> launch(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.start(program, arguments);
    child.waitForFinished(120000);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (child.exitCode() != 0 || fields.size() != 2) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), child.readAllStandardError().constData());
        return std::nullopt;
    }
    return Run{fields[0].toDouble(), fields[1].toInt()};
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "program") == 0)
        return runProgram(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString sheet = longSheet();
    struct Kind
    {
        const char* name;
        QString path;
        QByteArray bytes;
        const char* iconvName;
    };
    std::vector<Kind> kinds = {
        {"GBK", dir.filePath(u"gbk.lrc"_s), lrcFileBytes(sheet), "GB18030"},
        {"UTF-8", dir.filePath(u"utf8.lrc"_s), lrcFileBytes(sheet, LrcEncoding::Utf8), "UTF-8"},
    };
    for (const Kind& kind : kinds) {
        if (!writeFile(kind.path, kind.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(kind.path));
            return 1;
        }
    }
    std::printf("%d-line file (GBK %lld bytes, UTF-8 %lld bytes), %d rounds of the program and the floor, "
                "alternately, each open in a fresh process\n",
                kLines, static_cast<long long>(kinds[0].bytes.size()), static_cast<long long>(kinds[1].bytes.size()),
                kRounds);
    figures::printTableHeader();
    for (const Kind& kind : kinds) {
        std::vector<double> program, floor, editorFloor;
        int reads = 0;
        for (int round = 0; round < kRounds; ++round) {
            if (const auto run = launch(QCoreApplication::applicationFilePath(), {u"program"_s, kind.path})) {
                program.push_back(run->ms);
                reads = std::max(reads, run->count);
            }
            if (const auto run
                = launch(QStringLiteral(LRC_OPEN_BARE), {kind.path, QString::fromLatin1(kind.iconvName)}))
                floor.push_back(run->ms);
            if (const auto run
                = launch(QStringLiteral(LRC_OPEN_BARE_EDITOR), {kind.path, QString::fromLatin1(kind.iconvName)}))
                editorFloor.push_back(run->ms);
        }
        if (program.empty() || floor.empty() || editorFloor.empty())
            return 1;
        const std::string name = kind.name;
        figures::printRow("open of a " + name + " file until the sheet is painted, median", figures::median(program),
                          figures::median(floor), "ms", 1);
        figures::printRow("open of a " + name + " file until the sheet is painted, worst", figures::worst(program),
                          figures::worst(floor), "ms", 1);
        figures::printRow("open of a " + name + " file until painted, against a bare Qt editor, median",
                          figures::median(program), figures::median(editorFloor), "ms", 1);
        std::printf("%s: the preview read the sheet at most %d time(s) per open; target under 100 ms\n", kind.name,
                    reads);
    }
    std::printf("The first floor only reads the bytes and decodes them to UTF-16; the second also puts the text "
                "into a QPlainTextEdit and waits for its paint. The program also checks the file and hands the "
                "sheet to the preview.\n");
    return 0;
}
