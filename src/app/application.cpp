// Start-up: the application object, the main window and the event loop.
#include "app/application.h"

#include "app/dialogprompts.h"
#include "app/form1.h"
#include "app/recovery.h"
#include "app/singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The program speaks Chinese whatever the desktop's language, so Qt's own buttons and file
// dialogs should too ("确定" rather than "OK"); without the translation they stay English.
void loadQtChinese(QTranslator& translator)
{
    if (translator.load(u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

// Whether Qt will find something to draw on. Without one it ends the process with an abort and an
// English hint to reinstall, which tells a user who started the program from a text console
// nothing. Platforms that need no display (offscreen, a framebuffer) are trusted as named.
bool displayAvailable(int argc, char* argv[])
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    }
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (const QString& platform : platforms.split(u';', Qt::SkipEmptyParts)) {
        if (!platform.startsWith(u"xcb"_s) && !platform.startsWith(u"wayland"_s))
            return true;
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

} // namespace

QStringList commandLineFiles(const QStringList& arguments)
{
    QCommandLineParser commandLine;
    commandLine.setApplicationDescription(u"LRC晓韵星舟：给歌曲制作 LRC 歌词文件"_s);
    commandLine.addHelpOption();
    // Handled before the application starts (see runApplication); listed here for --help.
    commandLine.addOption({u"toggle"_s, u"让正在运行的程序播放或暂停，如同按下 F9"_s});
    commandLine.addPositionalArgument(u"文件"_s, u"要打开的 LRC 歌词文件或要载入的歌曲"_s, u"[文件…]"_s);
    commandLine.process(arguments);
    QStringList files;
    for (const QString& argument : commandLine.positionalArguments())
        files << QFileInfo(argument).absoluteFilePath();
    return files;
}

int runApplication(int argc, char* argv[])
{
    // The toggle command needs no window: the running program does the work.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--toggle") == 0) {
            QCoreApplication app(argc, argv);
            return SingleInstance::sendToggle();
        }
    }
    if (!displayAvailable(argc, argv)) {
        std::fputs("LRC晓韵星舟需要图形桌面才能运行：没有找到 X11 或 Wayland 显示。"
                   " / xiaoyun-lrc needs a graphical desktop: no X11 or Wayland display was found.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    // libmpv parses numbers with the C library and refuses to start under a locale with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(u"xiaoyun-lrc"_s);
    QApplication::setDesktopFileName(u"xiaoyun-lrc"_s);
    QTranslator qtChinese;
    loadQtChinese(qtChinese);

    const QStringList files = commandLineFiles(QApplication::arguments());
    // A program already running in this session gets the files (or just comes to the front).
    SingleInstance instance;
    if (const std::optional<int> status = instance.claimOrHandOver(files))
        return *status;

    DialogPrompts prompts;
    Form1* mainWindow = nullptr;
    try {
        mainWindow = new Form1(prompts);
    } catch (const std::exception& error) {
        prompts.showError(nullptr, u"启动"_s, QString::fromUtf8(error.what()));
        return 1;
    }
    instance.serve(mainWindow);
    mainWindow->show();
    // Offers the work an ended program left, then keeps this one's outside the window.
    Recovery recovery(*mainWindow, prompts);
    recovery.watchTheEnd();
    recovery.offerLeftover();
    // Files named on the command line come after it, with their question over restored work.
    mainWindow->openPaths(files);
    // The program ends when its last window closes, which may be the About dialog.
    return QApplication::exec();
}
