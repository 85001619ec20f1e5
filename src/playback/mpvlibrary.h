// The functions of libmpv the player calls, looked up in the library while the program runs, so
// that starting the program does not wait for the library and everything it pulls in.
#pragma once

#include <QString>

#include <mpv/client.h>

class MpvLibrary
{
public:
    // The library the Debian package libmpv2 installs.
    static QString defaultFileName();

    // Loads the library and looks up every function below; may run on any thread. A library
    // that cannot be loaded, or lacks one of them, throws UserError.
    explicit MpvLibrary(const QString& fileName);

    // Named as in <mpv/client.h> without the "mpv_" in front: mpv.create() calls mpv_create().
    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&::mpv_set_option_string) set_option_string = nullptr;
    decltype(&::mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
    decltype(&::mpv_observe_property) observe_property = nullptr;
    decltype(&::mpv_wait_event) wait_event = nullptr;
    decltype(&::mpv_command_ret) command_ret = nullptr;
    decltype(&::mpv_get_property) get_property = nullptr;
    decltype(&::mpv_get_property_string) get_property_string = nullptr;
    decltype(&::mpv_set_property) set_property = nullptr;
    decltype(&::mpv_set_property_string) set_property_string = nullptr;
    decltype(&::mpv_free) free = nullptr;
    decltype(&::mpv_free_node_contents) free_node_contents = nullptr;
    decltype(&::mpv_error_string) error_string = nullptr;
};
