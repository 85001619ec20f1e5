// Start-up: the application object, the main window and the event loop.
#include "app/application.h"

#include "app/dialogprompts.h"
#include "app/form1.h"

#include <QApplication>

#include <clocale>

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // libmpv parses numbers with the C library and refuses to start under a locale with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("xiaoyun-lrc"));
    QApplication::setApplicationDisplayName(QStringLiteral("LRC晓韵星舟"));

    DialogPrompts prompts;
    auto* mainWindow = new Form1(prompts);
    mainWindow->show();
    // The program ends when its last window closes, which may be the About dialog.
    return QApplication::exec();
}
