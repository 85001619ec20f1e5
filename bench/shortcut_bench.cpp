// F9 through the desktop's global shortcut (a private KWin with the desktop portal) and through the toggle
// command, against F9 through XInput2 in the same run, press by press in turn: each from its arrival to the
// moment the readout is asked for, right after the player paused, timed inside the program's process.
// The floor, shortcut_bare, binds its own shortcut through the same portal and pauses libmpv at once.
// Needs an X server with XTEST for the X11 path (bench/run.sh uses xvfb-run) and the packages of the
// Wayland test (scripts/deps.sh --tests).
#include "app/form1.h"
#include "app/singleinstance.h"
#include "figures/figures.h"
#include "playback/globalkey.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/waylanddesktop.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <X11/keysym.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPresses = 50;

// One clock for every path, read in this process.
QElapsedTimer g_clock;

// A window's boxes, silenced: the song for 载入歌曲, and when the readout is shown, which is right after
// the player has paused.
struct TimedPrompts
{
    ScriptedPrompts prompts;
    qint64 readoutAtNs = -1;

    explicit TimedPrompts(const QString& song)
    {
        prompts.fileAnswers << song;
        prompts.onMessage = [this](const ShownMessage&) { readoutAtNs = g_clock.nsecsElapsed(); };
    }
};

template <typename Done>
bool spinUntil(Done done, qint64 limitNs = 2'000'000'000)
{
    const qint64 startNs = g_clock.nsecsElapsed();
    while (!done()) {
        if (g_clock.nsecsElapsed() - startNs > limitNs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

} // namespace

// Notes when the portal's Activated signal reaches this process.
class ArrivalWatch : public QObject
{
    Q_OBJECT
public:
    qint64 atNs = -1;
public Q_SLOTS:
    void arrived(const QDBusMessage&) { atNs = g_clock.nsecsElapsed(); }
};

int main(int argc, char* argv[])
{
    // The Wayland desktop takes this process's environment for itself; the windows stay on the X server.
    const QByteArray xDisplay = qgetenv("DISPLAY");
    WaylandDesktop desktop;
    const bool desktopUp = desktop.start();
    qputenv("DISPLAY", xDisplay);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    g_clock.start();
    if (QStringLiteral(LRC_FAKEKEYS).isEmpty()) {
        std::printf("the key presser was not built: it needs libwayland-dev and plasma-wayland-protocols\n");
        return 1;
    }
    if (!desktopUp) {
        std::printf("no private Wayland desktop: %s\n",
                    qPrintable(desktop.missing().isEmpty() ? desktop.error() : desktop.missing()));
        return 1;
    }
    XTestKeyboard keyboard;
    if (!keyboard.isOpen()) {
        std::printf("needs an X server with XTEST\n");
        return 1;
    }
    MediaFixtures fixtures;
    const QString song = fixtures.tone(u"bench.mp3"_s, 600);

    // The X11 window is made without Wayland in its environment, so its F9 comes from XInput2; it also
    // serves the toggle command. The other binds F9 with the portal and then leaves the X server alone.
    TimedPrompts xPrompts(song), portalPrompts(song);
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
    Form1 xForm(xPrompts.prompts);
    qputenv("WAYLAND_DISPLAY", wayland);
    Form1 portalForm(portalPrompts.prompts);
    for (Form1* form : {&xForm, &portalForm}) {
        form->mp3->setAudioDriver(u"null"_s);
        form->show();
        form->载入歌曲_Click();
    }
    GlobalKey* portalKey = portalForm.findChild<GlobalKey*>();
    if (!spinUntil([&] { return portalKey->mechanism().startsWith(u"the desktop's global shortcut"_s); },
                   60'000'000'000)) {
        std::printf("the portal did not bind F9: %s\n", qPrintable(portalKey->mechanism()));
        return 1;
    }
    SingleInstance instance;
    instance.claimOrHandOver({});
    instance.serve(&xForm);
    QDBusConnection sender
        = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), u"bench-sender"_s);
    ArrivalWatch watch;
    QDBusConnection::sessionBus().connect(u"org.freedesktop.portal.Desktop"_s, u"/org/freedesktop/portal/desktop"_s,
                                          u"org.freedesktop.portal.GlobalShortcuts"_s, u"Activated"_s, &watch,
                                          SLOT(arrived(QDBusMessage)));
    QProcess keys;
    keys.setProcessEnvironment(desktop.environment());
    keys.start(QStringLiteral(LRC_FAKEKEYS), {});
    if (!keys.waitForReadyRead(30000) || keys.readLine().trimmed() != "ready") {
        std::printf("KWin refused its fake input\n");
        return 1;
    }

    // The floor binds F10 through the portal the same way and pauses libmpv in the signal's own slot.
    QProcess bare;
    bare.setProcessEnvironment(desktop.environment());
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bare.start(QStringLiteral(LRC_SHORTCUT_BARE), {song, u"F10"_s});
    if (!bare.waitForReadyRead(60000) || bare.readLine().trimmed() != "ready") {
        std::printf("the floor did not bind its shortcut\n");
        return 1;
    }

    std::vector<double> x11, portal, compositor, command, floor;
    struct Path
    {
        Form1& form;
        TimedPrompts& prompts;
        std::function<qint64()> press; // makes the press; its arrival in ns of g_clock
        std::function<bool()> arrived;
        std::function<void(qint64 startNs, qint64 pausedNs)> note;
    };
    qint64 keyDownNs = 0;
    const Path paths[] = {
        {xForm, xPrompts,
         [&] {
             const qint64 now = g_clock.nsecsElapsed();
             keyboard.press(XK_F9);
             keyboard.release(XK_F9);
             return now;
         },
         [] { return true; }, [&](qint64 start, qint64 paused) { x11.push_back((paused - start) / 1e6); }},
        {portalForm, portalPrompts,
         [&] {
             watch.atNs = -1;
             keyDownNs = g_clock.nsecsElapsed();
             keys.write("press 67\nrelease 67\n");
             return qint64(-1);
         },
         [&] { return watch.atNs >= 0; },
         [&](qint64, qint64 paused) {
             portal.push_back((paused - watch.atNs) / 1e6);
             compositor.push_back((paused - keyDownNs) / 1e6);
         }},
        {xForm, xPrompts,
         [&] {
             const qint64 now = g_clock.nsecsElapsed();
             sender.send(QDBusMessage::createMethodCall(SingleInstance::kServiceName, SingleInstance::kObjectPath,
                                                        SingleInstance::kServiceName, u"Toggle"_s));
             return now;
         },
         [] { return true; }, [&](qint64 start, qint64 paused) { command.push_back((paused - start) / 1e6); }},
    };
    int missed = 0;
    for (int round = 0; round < kPresses; ++round) {
        for (const Path& path : paths) {
            path.form.Command1_Click();
            spinUntil([&] { return path.form.Command1->text() == u"暂停"_s; });
            QTest::qWait(QRandomGenerator::global()->bounded(50, 250));
            path.prompts.readoutAtNs = -1;
            const qint64 start = path.press();
            if (spinUntil([&] { return path.prompts.readoutAtNs >= 0 && path.arrived(); }))
                path.note(start, path.prompts.readoutAtNs);
            else
                ++missed;
            QTest::qWait(30);
            keys.readAll();
        }
        // The floor: a press that starts it playing, then a timed one that pauses it.
        const auto floorAnswer = [&] {
            keys.write("press 68\nrelease 68\n");
            return spinUntil([&] { return bare.canReadLine(); }) ? bare.readLine().trimmed() : QByteArray();
        };
        QByteArray answer = floorAnswer();
        if (answer.startsWith("pause"))
            answer = floorAnswer();
        QTest::qWait(QRandomGenerator::global()->bounded(50, 250));
        answer = answer == "play" ? floorAnswer() : QByteArray();
        if (answer.startsWith("pause "))
            floor.push_back(answer.split(' ').value(1).toDouble());
        else
            ++missed;
        QTest::qWait(30);
        keys.readAll();
    }

    std::printf("%zu X11, %zu portal, %zu command and %zu floor pauses of %d each seen; %d missed\n", x11.size(),
                portal.size(), command.size(), floor.size(), kPresses, missed);
    std::printf("Floors: shortcut_bare (Qt D-Bus and libmpv only, pausing in the signal's slot) for the portal path;"
                " F9 through XInput2 in the same run (XTest key-down to the readout) where the row says so.\n");
    std::printf("F9 through XInput2 to paused: median %s, worst %s\n",
                figures::figure(figures::median(x11), "ms").c_str(),
                figures::figure(figures::worst(x11), "ms").c_str());
    for (const TimedPrompts* timed : {&xPrompts, &portalPrompts}) {
        for (const ShownMessage& error : timed->prompts.errors)
            std::printf("error: %s\n", qPrintable(error.text));
    }
    figures::printTableHeader();
    const auto row
        = [](const char* what, double program, double base) { figures::printRow(what, program, base, "ms"); };
    row("portal's Activated arrived to paused, median of 50", figures::median(portal), figures::median(floor));
    row("portal's Activated arrived to paused, worst of 50", figures::worst(portal), figures::worst(floor));
    row("portal's Activated arrived to paused, median, beside F9 through XInput2", figures::median(portal),
        figures::median(x11));
    row("toggle command's call sent to paused, median, beside F9 through XInput2", figures::median(command),
        figures::median(x11));
    row("toggle command's call sent to paused, worst, beside F9 through XInput2", figures::worst(command),
        figures::worst(x11));
    row("F9 into KWin (fake input) to paused, median, beside F9 through XInput2", figures::median(compositor),
        figures::median(x11));
    std::printf("portal median minus XInput2 median: %.2f ms (target at most 2 ms)\n",
                figures::median(portal) - figures::median(x11));
    bare.kill();
    bare.waitForFinished();
    keys.kill();
    keys.waitForFinished();
    return missed == 0 ? 0 : 1;
}

#include "shortcut_bench.moc"
