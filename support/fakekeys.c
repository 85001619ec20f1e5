/* Presses keys through KWin's fake input protocol, for tests that need keys seen by the compositor.
 * Reads lines from stdin: "press CODE", "release CODE" (evdev codes, F9 is 67); answers each
 * line with "ok" once the compositor has taken the request, so the caller knows it arrived. */
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input* fake_input;

static void on_global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "fakekeys: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake_input) {
        fprintf(stderr, "fakekeys: the compositor offers no org_kde_kwin_fake_input version 4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "lrc tests", "press keys for the tests");
    wl_display_roundtrip(display);
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        unsigned code = 0;
        if (sscanf(line, "press %u", &code) == 1)
            org_kde_kwin_fake_input_keyboard_key(fake_input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
        else if (sscanf(line, "release %u", &code) == 1)
            org_kde_kwin_fake_input_keyboard_key(fake_input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        else
            continue;
        if (wl_display_roundtrip(display) < 0)
            return 1;
        printf("ok\n");
    }
    wl_display_disconnect(display);
    return 0;
}
