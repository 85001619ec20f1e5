// Saves pictures of the main window at work and of the About dialog (scripts/screenshots.sh).
#include "app/dialog.h"
#include "app/form1.h"
#include "playback/mediaplayer.h"
#include "playback/playercontrols.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
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

// The main window a little way into a song: one page committed into the sheet, the next page
// begun, and the player paused past a tag, so that its strip previews the sheet's lines.
bool setUpWork(Form1& form, ScriptedPrompts& prompts, MediaFixtures& fixtures)
{
    const QString song
        = fixtures.withId3v2Title(u"晓风残月.mp3"_s, u"晓风残月"_s, MediaFixtures::TextEncoding::Utf8, 14);
    if (song.isEmpty()) {
        std::fprintf(stderr, "no song: %s\n", qPrintable(fixtures.error()));
        return false;
    }
    const QStringList firstPage = {u"00:01.20"_s, u""_s,         u"风吹过山岗的时候，你在远方轻轻唱"_s,
                                   u"00:04.50"_s, u""_s,         u"那年夏天的雨落满了整条街"_s,
                                   u"00:07.80"_s, u""_s,         u"我把思念写进星光里"_s,
                                   u"00:10.60"_s, u"00:12.90"_s, u"月光洒在窗前的小路上"_s};
    for (int element = 1; element <= 21; ++element)
        form.Text1[element]->setText(firstPage.value(element - 1));
    form.Command6->click();
    form.Text1[1]->setText(u"00:14.05"_s);
    form.Text1[3]->setText(u"晓风残月，一梦千年"_s);

    form.mp3->setAudioDriver(u"null"_s);
    prompts.fileAnswers << song;
    form.载入歌曲->trigger();
    form.mp3->controls().setCurrentPosition(5.3);
    // Timer1 enables the transport buttons on its next tick.
    return QTest::qWaitFor([&] { return form.Command1->isEnabled(); });
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList arguments = QApplication::arguments();
    const QDir folder(arguments.value(1, u"."_s));

    ScriptedPrompts prompts;
    MediaFixtures fixtures;
    auto* form = new Form1(prompts);
    if (!showActive(form) || !setUpWork(*form, prompts, fixtures)
        || !save(form, folder.filePath(u"screenshot-main.png"_s)))
        return 1;
    form->about->trigger();
    Dialog* dialog = form->aboutDialog();
    if (!dialog || !showActive(dialog) || !save(dialog, folder.filePath(u"screenshot-about.png"_s)))
        return 1;
    delete dialog;
    delete form;
    return 0;
}
