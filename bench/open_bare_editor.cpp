// The second floor of open_bench: a bare Qt editor opening the same file, linked to Qt only. It
// reads the bytes, decodes them with Qt, puts the text into a plain-text editor and waits for its
// paint: what any Qt program pays for showing the sheet. Prints its time in ms and the lines.
//
//   open_bare_editor FILE ENCODING   (ENCODING as Qt names it: GB18030, UTF-8)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTest>

#include <clocale>
#include <cstdio>

namespace {

class PaintSeen : public QObject
{
public:
    bool seen = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        seen = seen || event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QPlainTextEdit editor;
    editor.setLineWrapMode(QPlainTextEdit::NoWrap);
    editor.resize(745, 25);
    editor.show();
    if (!QTest::qWaitForWindowExposed(&editor))
        return 1;
    QTest::qWait(100);
    PaintSeen paint;
    editor.viewport()->installEventFilter(&paint);

    QElapsedTimer clock;
    clock.start();
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QStringDecoder decoder(argv[2]);
    editor.setPlainText(decoder.decode(file.readAll()));
    while (!paint.seen)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    std::printf("%.3f %d\n", clock.nsecsElapsed() / 1e6, editor.blockCount());
    return 0;
}
