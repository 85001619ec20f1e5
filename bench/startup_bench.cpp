// Start-up cost: time from launch to the main window first shown, and peak memory, against a
// bare Qt window with the same widgets. Run under an X server (bench/run.sh uses xvfb-run).
#include "app/dialogprompts.h"
#include "app/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 10;

// Reports once, at the first paint of the watched window, and ends the process.
class FirstPaintReporter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            QTimer::singleShot(0, qApp, [] {
                std::printf("shown %ld\n", peakResidentKiB());
                std::fflush(stdout);
                QApplication::exit(0);
            });
            watched->removeEventFilter(this);
        }
        return false;
    }

    static long peakResidentKiB()
    {
        QFile status(u"/proc/self/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toLong();
        }
        return -1;
    }
};

QWidget* bareWindow()
{
    auto* window = new QWidget;
    auto* layout = new QVBoxLayout(window);
    auto* bar = new QMenuBar(window);
    bar->addMenu(u"文件"_s)->addAction(u"载入歌曲"_s);
    bar->addMenu(u"帮助"_s)->addAction(u"关于"_s);
    layout->addWidget(bar);
    auto* client = new QWidget(window);
    client->setFixedSize(748, 509);
    layout->addWidget(client);
    new QPlainTextEdit(client);
    for (int i = 0; i < 22; ++i)
        (new QLineEdit(u"此处输入歌词信息"_s, client))->move(24 + (i % 3) * 100, 184 + (i / 3) * 40);
    for (int i = 0; i < 7; ++i)
        (new QPushButton(u"播放"_s, client))->move(24 + i * 90, 112);
    new QGroupBox(u"播放控制"_s, client);
    new QGroupBox(u"音量控制"_s, client);
    for (int i = 0; i < 3; ++i)
        new QLabel(u"歌词出现时间："_s, client);
    return window;
}

int runChild(int argc, char* argv[], bool bare)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    DialogPrompts prompts;
    QWidget* window = bare ? bareWindow() : new Form1(prompts);
    FirstPaintReporter reporter;
    window->installEventFilter(&reporter);
    window->show();
    const int code = QApplication::exec();
    delete window;
    return code;
}

struct Sample {
    double milliseconds;
    long peakKiB;
};

Sample launch(const QString& self, const QString& mode)
{
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(self, {mode});
    child.waitForReadyRead(30000);
    const double elapsed = clock.nsecsElapsed() / 1e6;
    const QByteArray line = child.readLine().trimmed();
    child.waitForFinished(30000);
    return {elapsed, line.startsWith("shown ") ? line.mid(6).toLong() : -1};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && (qstrcmp(argv[1], "program") == 0 || qstrcmp(argv[1], "bare") == 0))
        return runChild(argc, argv, qstrcmp(argv[1], "bare") == 0);

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> program, bare;
    long programPeak = 0, barePeak = 0;
    launch(self, u"program"_s); // warm the file cache
    for (int run = 0; run < kRuns; ++run) {
        const Sample p = launch(self, u"program"_s);
        const Sample b = launch(self, u"bare"_s);
        program.push_back(p.milliseconds);
        bare.push_back(b.milliseconds);
        programPeak = std::max(programPeak, p.peakKiB);
        barePeak = std::max(barePeak, b.peakKiB);
    }
    const double ratio = median(program) / median(bare);
    std::printf("start to window shown: program median %.1f ms, bare Qt window median %.1f ms (%.2fx, target 1.5x)\n",
                median(program), median(bare), ratio);
    std::printf("peak memory at first show: program %.1f MiB, bare Qt window %.1f MiB (target under 100 MiB)\n",
                programPeak / 1024.0, barePeak / 1024.0);
    return 0;
}
