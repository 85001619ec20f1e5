// The functions of libmpv the player calls, looked up in the library while the program runs.
#include "playback/mpvlibrary.h"

#include "common/usererror.h"

#include <dlfcn.h>

using namespace Qt::StringLiterals;

namespace {

template <typename Function>
void resolve(void* library, const QString& fileName, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function)
        throw UserError(u"无法启动播放器：播放器库“%1”中没有函数“%2”"_s.arg(fileName, QString::fromUtf8(name)));
}

} // namespace

QString MpvLibrary::defaultFileName()
{
    return u"libmpv.so.2"_s;
}

MpvLibrary::MpvLibrary(const QString& fileName)
{
    // Never closed: mpv's threads and its libraries' own clean-up outlive any one player, and a
    // second player finds the library already there.
    void* library = dlopen(fileName.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        throw UserError(u"无法启动播放器：无法载入播放器库“%1”：%2"_s.arg(fileName, QString::fromLocal8Bit(dlerror())));
    resolve(library, fileName, "mpv_create", create);
    resolve(library, fileName, "mpv_initialize", initialize);
    resolve(library, fileName, "mpv_terminate_destroy", terminate_destroy);
    resolve(library, fileName, "mpv_set_option_string", set_option_string);
    resolve(library, fileName, "mpv_set_wakeup_callback", set_wakeup_callback);
    resolve(library, fileName, "mpv_observe_property", observe_property);
    resolve(library, fileName, "mpv_wait_event", wait_event);
    resolve(library, fileName, "mpv_command_ret", command_ret);
    resolve(library, fileName, "mpv_get_property", get_property);
    resolve(library, fileName, "mpv_get_property_string", get_property_string);
    resolve(library, fileName, "mpv_set_property", set_property);
    resolve(library, fileName, "mpv_set_property_string", set_property_string);
    resolve(library, fileName, "mpv_free", free);
    resolve(library, fileName, "mpv_free_node_contents", free_node_contents);
    resolve(library, fileName, "mpv_error_string", error_string);
}
