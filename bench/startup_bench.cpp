// Start-up as a person sees it. Launches the program and a bare Qt window with the same widgets
// (startup_bare) alternately, and watches both from outside over an X connection of its own: the
// time from launch to the window's first pixels on the screen, and each one's peak memory then.
// For the program also the time until its player runs, and its memory once a song is loaded
// through the menu and the Open box with real key events. Run under an X server (bench/run.sh);
// a program named as the argument is measured in place of this build's, e.g. an older build.
#include "support/mediafixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

extern char** environ;

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int kPairs = 15;
constexpr auto kPoll = 500us;
constexpr auto kTimeout = 20s;
// mpv names the thread that mpv_create() starts; the player's session is made right after.
constexpr const char* kPlayerThread = "mpv/mpv core";

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The benchmark's own connection to the X server: the pixels in the middle of the screen, the
// windows on it, and key events through XTest.
class Desktop
{
public:
    Desktop()
        : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            return;
        m_root = DefaultRootWindow(m_display);
        m_centreX = DisplayWidth(m_display, DefaultScreen(m_display)) / 2;
        m_centreY = DisplayHeight(m_display, DefaultScreen(m_display)) / 2;
        m_empty = centre();
    }
    ~Desktop()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // A block of 8 × 8 pixels in the middle of the screen, where both windows open.
    QByteArray centre() const
    {
        XImage* image = XGetImage(m_display, m_root, m_centreX - 4, m_centreY - 4, 8, 8, AllPlanes, ZPixmap);
        if (!image)
            return {};
        QByteArray pixels(image->data, image->bytes_per_line * image->height);
        XDestroyImage(image);
        return pixels;
    }
    bool isEmpty() const { return centre() == m_empty; }

    // The top-level windows on the screen now, bigger than a menu.
    std::vector<Window> windows() const
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        std::vector<Window> shown;
        if (!XQueryTree(m_display, m_root, &root, &parent, &children, &count))
            return shown;
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(m_display, children[i], &attributes) && attributes.map_state == IsViewable
                && attributes.width > 300 && attributes.height > 200)
                shown.push_back(children[i]);
        }
        XFree(children);
        return shown;
    }

    void focus(Window window)
    {
        XSetInputFocus(m_display, window, RevertToPointerRoot, CurrentTime);
        XSync(m_display, False);
    }

    void key(KeySym keySym)
    {
        const KeyCode code = XKeysymToKeycode(m_display, keySym);
        const bool shifted = XkbKeycodeToKeysym(m_display, code, 0, 0) != keySym;
        const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
        if (shifted)
            XTestFakeKeyEvent(m_display, shift, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        if (shifted)
            XTestFakeKeyEvent(m_display, shift, False, CurrentTime);
        XSync(m_display, False);
    }

    void type(const QString& text)
    {
        for (const QChar character : text)
            key(character.unicode());
    }

private:
    Display* m_display = nullptr;
    Window m_root = 0;
    int m_centreX = 0;
    int m_centreY = 0;
    QByteArray m_empty;
};

// A program started for one measurement, killed when the measurement is done.
class Child
{
public:
    // folder: the working folder, where the program's Open box opens; "" keeps the benchmark's.
    explicit Child(const QByteArray& program, const QString& folder = {})
    {
        char* argv[] = {const_cast<char*>(program.constData()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const QByteArray path = QFile::encodeName(folder);
        if (!folder.isEmpty())
            posix_spawn_file_actions_addchdir_np(&actions, path.constData());
        if (posix_spawn(&m_pid, program.constData(), &actions, nullptr, argv, environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool isRunning() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }

    // A figure of /proc/<pid>/status in KiB, such as "VmHWM" (the peak resident memory so far).
    long statusKiB(const QByteArray& field) const
    {
        QFile status(procPath(u"status"_s));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith(field + ':'))
                return line.mid(field.size() + 1).trimmed().split(' ').first().toLong();
        }
        return -1;
    }

    bool hasThread(const QByteArray& name) const
    {
        const QDir tasks(procPath(u"task"_s));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile comm(tasks.filePath(task + u"/comm"_s));
            if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
                return true;
        }
        return false;
    }

    bool hasOpen(const QString& path) const
    {
        const QDir descriptors(procPath(u"fd"_s));
        for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (descriptor.symLinkTarget() == path)
                return true;
        }
        return false;
    }

private:
    QString procPath(const QString& name) const { return u"/proc/%1/%2"_s.arg(m_pid).arg(name); }

    pid_t m_pid = 0;
};

// Polls until done() holds; false when the child ended or the time ran out first.
template <typename Done>
bool waitFor(const Child& child, Done done, std::chrono::nanoseconds poll = kPoll)
{
    const Clock::time_point deadline = Clock::now() + kTimeout;
    while (!done()) {
        if (Clock::now() > deadline || !child.isRunning())
            return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

struct Launch
{
    double firstPaintMs = -1;
    long peakKiB = -1;
    double playerReadyMs = -1;
};

// One launch, from spawning the process to its first pixels in the middle of the screen; with
// waitForPlayer, on until the player's thread runs.
std::optional<Launch> launch(Desktop& screen, const QByteArray& program, bool waitForPlayer)
{
    // The window of the launch before must be gone.
    for (const Clock::time_point deadline = Clock::now() + kTimeout; !screen.isEmpty();) {
        if (Clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(1ms);
    }
    const Clock::time_point start = Clock::now();
    Child child(program);
    Launch result;
    if (!waitFor(child, [&] { return !screen.isEmpty(); }))
        return std::nullopt;
    result.firstPaintMs = millisecondsSince(start);
    result.peakKiB = child.statusKiB("VmHWM");
    if (waitForPlayer) {
        if (!waitFor(child, [&] { return child.hasThread(kPlayerThread); }))
            return std::nullopt;
        result.playerReadyMs = millisecondsSince(start);
    }
    return result;
}

struct Loaded
{
    long peakKiB = -1;
    long residentKiB = -1;
};

// As a person loads a song: Alt opens the menu bar, Down the 文件 menu, Return its first item
// 载入歌曲; the song's name is typed into the Open box, which opens in the program's working
// folder. Done once mpv holds the file open.
std::optional<Loaded> loadSong(Desktop& screen, const QByteArray& program, const QString& song)
{
    Child child(program, QFileInfo(song).path());
    if (!waitFor(child, [&] { return !screen.isEmpty() && child.hasThread(kPlayerThread); }))
        return std::nullopt;
    const std::vector<Window> mainWindows = screen.windows();
    if (mainWindows.size() != 1)
        return std::nullopt;
    screen.focus(mainWindows.front());
    std::this_thread::sleep_for(200ms);
    for (const KeySym key : {XK_Alt_L, XK_Down, XK_Return}) {
        screen.key(key);
        std::this_thread::sleep_for(200ms);
    }
    Window dialog = 0;
    const auto dialogShown = [&] {
        for (const Window window : screen.windows()) {
            if (window != mainWindows.front())
                dialog = window;
        }
        return dialog != 0;
    };
    if (!waitFor(child, dialogShown, 10ms))
        return std::nullopt;
    screen.focus(dialog);
    std::this_thread::sleep_for(300ms);
    screen.type(QFileInfo(song).fileName());
    std::this_thread::sleep_for(300ms);
    screen.key(XK_Return);
    // A completion list over the name box may take the first Return.
    std::this_thread::sleep_for(1s);
    if (screen.windows().size() > 1)
        screen.key(XK_Return);
    if (!waitFor(child, [&] { return child.hasOpen(song); }, 10ms))
        return std::nullopt;
    std::this_thread::sleep_for(1s);
    return Loaded{child.statusKiB("VmHWM"), child.statusKiB("VmRSS")};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Desktop screen;
    if (!screen.isOpen()) {
        std::fprintf(stderr, "no X server: run this under one (bench/run.sh does)\n");
        return 1;
    }
    const QByteArray program(argc > 1 ? argv[1] : LRC_PROGRAM);
    const QByteArray bare(LRC_BARE_PROGRAM);

    std::vector<double> programPaint, barePaint, ready;
    std::vector<double> programPeak, barePeak;
    for (int pair = 0; pair <= kPairs; ++pair) {
        const std::optional<Launch> p = launch(screen, program, true);
        const std::optional<Launch> b = launch(screen, bare, false);
        if (!p || !b) {
            std::fprintf(stderr, "a window did not show within %lld s\n", static_cast<long long>(kTimeout.count()));
            return 1;
        }
        if (pair == 0)
            continue; // the warm-up pair fills the file cache
        programPaint.push_back(p->firstPaintMs);
        barePaint.push_back(b->firstPaintMs);
        ready.push_back(p->playerReadyMs);
        programPeak.push_back(p->peakKiB / 1024.0);
        barePeak.push_back(b->peakKiB / 1024.0);
    }
    const double ratio = median(programPaint) / median(barePaint);
    std::printf("launch to first painted pixels, %d alternating pairs: program median %.1f ms, bare Qt window "
                "median %.1f ms (%.2fx, target at most 1.3x)\n",
                kPairs, median(programPaint), median(barePaint), ratio);
    std::printf("peak memory at first paint (median): program %.1f MiB, bare Qt window %.1f MiB (target under 50 MiB)\n",
                median(programPeak), median(barePeak));
    std::printf("launch to the player running (libmpv loaded, its core thread started): median %.1f ms\n",
                median(ready));

    MediaFixtures fixtures;
    // Its name is typed key by key, so it holds nothing a keyboard layout might lack.
    const QString song = fixtures.tone(u"song.mp3"_s, 60);
    if (song.isEmpty()) {
        std::fprintf(stderr, "no song to load: %s\n", qPrintable(fixtures.error()));
        return 1;
    }
    const std::optional<Loaded> loaded = loadSong(screen, program, song);
    if (!loaded) {
        std::fprintf(stderr, "the song could not be loaded through the Open box\n");
        return 1;
    }
    std::printf("memory with a song loaded through the Open box: peak %.1f MiB, resident %.1f MiB (target under 100 MiB)\n",
                loaded->peakKiB / 1024.0, loaded->residentKiB / 1024.0);
    return 0;
}
