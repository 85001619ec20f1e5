/* The floor hotkey_screen_bench sets the program against: the bare thing the program does on F9,
 * linked to nothing of the program, only Xlib, XInput2 and libmpv.
 *
 *   hotkey_bare SONG
 *
 * Loads SONG paused on the wall clock (mpv's null audio output). Each press of F9, seen as an
 * XInput2 raw key press on the root window whichever client has the focus, toggles: playing, it
 * pauses, waits for mpv to confirm the pause, reads the position and maps a white window in the
 * middle of the screen (the readout); paused, it unmaps that window and plays. */
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <mpv/client.h>

#include <locale.h>
#include <stdio.h>
#include <string.h>

enum { kReadoutWidth = 240, kReadoutHeight = 120, kLoadTimeoutS = 5 };

static int wait_for_event(mpv_handle* mpv, mpv_event_id wanted, double timeout)
{
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv, timeout);
        if (event->event_id == wanted)
            return 0;
        if (event->event_id == MPV_EVENT_NONE || event->event_id == MPV_EVENT_END_FILE)
            return 1;
    }
}

/* Waits for mpv's notice that the pause took effect, after which its position is up to date. */
static void wait_for_pause(mpv_handle* mpv)
{
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv, 1.0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
            const mpv_event_property* property = event->data;
            if (strcmp(property->name, "pause") == 0 && property->format == MPV_FORMAT_FLAG && *(int*)property->data)
                return;
        }
    }
}

static mpv_handle* start_player(const char* song)
{
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return NULL;
    const char* const options[][2] = {{"ao", "null"},     {"vo", "null"},          {"vid", "no"},   {"config", "no"},
                                      {"terminal", "no"}, {"audio-display", "no"}, {"pause", "yes"}};
    for (size_t i = 0; i < sizeof options / sizeof options[0]; ++i)
        mpv_set_option_string(mpv, options[i][0], options[i][1]);
    if (mpv_initialize(mpv) < 0)
        return NULL;
    const char* command[] = {"loadfile", song, NULL};
    if (mpv_command(mpv, command) < 0 || wait_for_event(mpv, MPV_EVENT_FILE_LOADED, kLoadTimeoutS) != 0)
        return NULL;
    mpv_observe_property(mpv, 0, "pause", MPV_FORMAT_FLAG);
    return mpv;
}

static int select_raw_keys(Display* display)
{
    int opcode = 0, event = 0, error = 0;
    int major = 2, minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success)
        return -1;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {0};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask = {XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    return opcode;
}

int main(int argc, char* argv[])
{
    setlocale(LC_NUMERIC, "C");
    if (argc != 2) {
        fprintf(stderr, "usage: hotkey_bare SONG\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display)
        return 1;
    const int opcode = select_raw_keys(display);
    mpv_handle* mpv = start_player(argv[1]);
    if (opcode < 0 || !mpv) {
        fprintf(stderr, "hotkey_bare: no XInput2 or the song did not load\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window readout
        = XCreateSimpleWindow(display, DefaultRootWindow(display), (DisplayWidth(display, screen) - kReadoutWidth) / 2,
                              (DisplayHeight(display, screen) - kReadoutHeight) / 2, kReadoutWidth, kReadoutHeight, 0,
                              BlackPixel(display, screen), WhitePixel(display, screen));
    const KeyCode f9 = XKeysymToKeycode(display, XK_F9);
    int down = 0, paused = 1;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode || !XGetEventData(display, cookie))
            continue;
        const XIRawEvent* raw = cookie->data;
        const int press = cookie->evtype == XI_RawKeyPress;
        if (raw->detail == f9 && press && !down) {
            if (paused) {
                XUnmapWindow(display, readout);
                XFlush(display);
                mpv_set_property_string(mpv, "pause", "no");
            } else {
                /* Notices of earlier changes first, so that only this pause's counts. */
                while (mpv_wait_event(mpv, 0)->event_id != MPV_EVENT_NONE)
                    ;
                mpv_set_property_string(mpv, "pause", "yes");
                wait_for_pause(mpv);
                double position = 0.0;
                mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &position);
                XMapWindow(display, readout);
                XFlush(display);
            }
            paused = !paused;
        }
        if (raw->detail == f9)
            down = press;
        XFreeEventData(display, cookie);
    }
}
