// The floor of the idle figure in hotkey_screen_bench: what the main window's two periodic timers
// cost on their own. A Qt event loop with two 1 ms timers whose ticks do nothing, linked to Qt
// Core only; it runs until it is ended.
#include <QCoreApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTimer first;
    QTimer second;
    for (QTimer* timer : {&first, &second}) {
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, [] {});
        timer->start(1);
    }
    return QCoreApplication::exec();
}
