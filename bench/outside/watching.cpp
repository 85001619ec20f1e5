#include "outside/watching.h"

#include "outside/desktop.h"

#include <QFileInfo>

#include <X11/keysym.h>

#include <algorithm>

double watching::millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool watching::loadSong(Desktop& screen, const ChildProcess& program, const QString& song)
{
    if (!waitFor(program, [&] { return !screen.isEmpty() && program.hasThread(kPlayerThread); }))
        return false;
    const std::vector<Desktop::Window> mainWindows = screen.windows();
    if (mainWindows.size() != 1)
        return false;
    screen.focus(mainWindows.front());
    std::this_thread::sleep_for(200ms);
    for (const Desktop::KeySym key : {XK_Alt_L, XK_Down, XK_Return}) {
        screen.key(key);
        std::this_thread::sleep_for(200ms);
    }
    Desktop::Window dialog = 0;
    const auto dialogShown = [&] {
        for (const Desktop::Window window : screen.windows()) {
            if (window != mainWindows.front())
                dialog = window;
        }
        return dialog != 0;
    };
    if (!waitFor(program, dialogShown, 10ms))
        return false;
    screen.focus(dialog);
    std::this_thread::sleep_for(300ms);
    screen.type(QFileInfo(song).fileName());
    std::this_thread::sleep_for(300ms);
    screen.key(XK_Return);
    // A completion list over the name box may take the first Return.
    std::this_thread::sleep_for(1s);
    if (screen.windows().size() > 1)
        screen.key(XK_Return);
    return waitFor(
        program, [&] { return program.hasOpen(song); }, 10ms);
}
