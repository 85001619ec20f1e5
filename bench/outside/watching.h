// Waiting and timing from outside the watched program, and loading a song into the program as a
// person does.
#pragma once

#include "outside/childprocess.h"

#include <QString>

#include <chrono>
#include <thread>
#include <vector>

class Desktop;

namespace watching {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPoll = 500us;
constexpr auto kTimeout = 20s;
// mpv names the thread that mpv_create() starts; the player's session is made right after.
constexpr const char* kPlayerThread = "mpv/mpv core";

double millisecondsSince(Clock::time_point start);

// Polls until done() holds; false when the child ended or the time ran out first.
template <typename Done>
bool waitFor(const ChildProcess& child, Done done, std::chrono::nanoseconds poll = kPoll,
             std::chrono::nanoseconds timeout = kTimeout);

// As a person loads a song: Alt opens the menu bar, Down the 文件 menu, Return its first item
// 载入歌曲; the song's name is typed into the Open box, which opens in the program's working
// folder (start the program there). Done once mpv holds the file open.
bool loadSong(Desktop& screen, const ChildProcess& program, const QString& song);

} // namespace watching

template <typename Done>
bool watching::waitFor(const ChildProcess& child, Done done, std::chrono::nanoseconds poll,
                       std::chrono::nanoseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline || !child.isRunning())
            return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}
