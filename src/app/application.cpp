// Start-up: the application object, the main window and the event loop.
#include "app/application.h"

#include "app/dialogprompts.h"
#include "app/form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

// The program speaks Chinese whatever the desktop's language, so Qt's own buttons and file
// dialogs should too ("确定" rather than "OK"); without the translation they stay English.
void loadQtChinese(QTranslator& translator)
{
    if (translator.load(u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

} // namespace

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // libmpv parses numbers with the C library and refuses to start under a locale with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(u"xiaoyun-lrc"_s);
    QApplication::setDesktopFileName(u"xiaoyun-lrc"_s);
    QTranslator qtChinese;
    loadQtChinese(qtChinese);

    DialogPrompts prompts;
    Form1* mainWindow = nullptr;
    try {
        mainWindow = new Form1(prompts);
    } catch (const std::exception& error) {
        prompts.showError(nullptr, u"启动"_s, QString::fromUtf8(error.what()));
        return 1;
    }
    mainWindow->show();
    // The program ends when its last window closes, which may be the About dialog.
    return QApplication::exec();
}
