// Saves pictures of the main window and the About dialog as they first appear (scripts/screenshots.sh).
#include "app/dialog.h"
#include "app/form1.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool save(QWidget* window, const QString& path)
{
    // Frameless windows: the grab holds the skin's border and caption bar as well.
    const QPixmap picture = window->grab();
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %d x %d\n", qPrintable(path), picture.width(), picture.height());
    return true;
}

bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowExposed(window) && QTest::qWaitForWindowActive(window);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList arguments = QApplication::arguments();
    const QDir folder(arguments.value(1, u"."_s));

    ScriptedPrompts prompts;
    auto* form = new Form1(prompts);
    if (!showActive(form) || !save(form, folder.filePath(u"screenshot-main.png"_s)))
        return 1;
    form->about->trigger();
    Dialog* dialog = form->aboutDialog();
    if (!dialog || !showActive(dialog) || !save(dialog, folder.filePath(u"screenshot-about.png"_s)))
        return 1;
    delete dialog;
    delete form;
    return 0;
}
