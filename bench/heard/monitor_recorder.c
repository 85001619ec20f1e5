/* Records what a sink hands out, with the sound server's own timing, for heard_analyse.
 *
 *   monitor_recorder pulse|pipewire SINK SAMPLES_FILE TIMELINE_FILE
 *
 * Runs until SIGINT or SIGTERM, then writes the left channel as raw 32-bit floats at 48 kHz and
 * one timeline line per delivered buffer: "<first sample> <arrival ns> <cycle ns> <delay>", the
 * times on CLOCK_MONOTONIC. <cycle ns> is the scheduled start of the PipeWire graph cycle that
 * carried the buffer and <delay> the stream delay PipeWire gave with it, in frames (both 0 with
 * PulseAudio, whose sink clock heard_analyse rebuilds from the arrivals).
 * Linked to nothing of the program: only libpulse and libpipewire. */
#include <pipewire/pipewire.h>
#include <pulse/pulseaudio.h>
#include <spa/param/audio/format-utils.h>

#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kPulseLatencyUs = 100000, kRate = 48000, kChannels = 2, kMaxSeconds = 600, kMaxBuffers = 1 << 20 };

struct buffer_mark
{
    int64_t first;
    int64_t arrival_ns;
    int64_t cycle_ns;
    int64_t delay;
};

struct recording
{
    float* samples;
    int64_t count;
    struct buffer_mark* marks;
    int64_t mark_count;
    int quit;
    pa_stream* pulse_stream;
    struct pw_main_loop* pw_loop;
    struct pw_stream* pw_stream;
};

static int64_t now_ns(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

/* Keeps the left channel of interleaved stereo frames; everything stays in memory until the end,
 * so that no file write can delay a delivery. */
static void keep(struct recording* r, const float* frames, int64_t frame_count, int64_t arrival, int64_t cycle,
                 int64_t delay)
{
    if (r->mark_count < kMaxBuffers)
        r->marks[r->mark_count++] = (struct buffer_mark){r->count, arrival, cycle, delay};
    for (int64_t i = 0; i < frame_count && r->count < (int64_t)kRate * kMaxSeconds; ++i)
        r->samples[r->count++] = frames[i * kChannels];
}

static int save(const struct recording* r, const char* samples_path, const char* timeline_path)
{
    FILE* samples = fopen(samples_path, "wb");
    FILE* timeline = fopen(timeline_path, "w");
    if (!samples || !timeline) {
        fprintf(stderr, "monitor_recorder: cannot write %s or %s\n", samples_path, timeline_path);
        return 1;
    }
    fwrite(r->samples, sizeof(float), (size_t)r->count, samples);
    for (int64_t i = 0; i < r->mark_count; ++i)
        fprintf(timeline, "%lld %lld %lld %lld\n", (long long)r->marks[i].first, (long long)r->marks[i].arrival_ns,
                (long long)r->marks[i].cycle_ns, (long long)r->marks[i].delay);
    fclose(samples);
    fclose(timeline);
    return 0;
}

/* ---- PulseAudio: a record stream on the sink's monitor, small fragments, no latency request
 * of its own, so the sink keeps the blocks its players ask for. */

static void pulse_read(pa_stream* stream, size_t bytes, void* userdata)
{
    (void)bytes;
    struct recording* r = userdata;
    const int64_t arrival = now_ns();
    const void* data;
    size_t length;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &length) == 0 && length > 0) {
        if (data)
            keep(r, data, (int64_t)(length / (sizeof(float) * kChannels)), arrival, 0, 0);
        pa_stream_drop(stream);
    }
}

static void pulse_stop(pa_mainloop_api* api, pa_signal_event* event, int sig, void* userdata)
{
    (void)api;
    (void)event;
    (void)sig;
    struct recording* r = userdata;
    r->quit = 1;
}

static int record_pulse(struct recording* r, const char* sink)
{
    pa_mainloop* loop = pa_mainloop_new();
    pa_mainloop_api* api = pa_mainloop_get_api(loop);
    pa_signal_init(api);
    pa_signal_new(SIGINT, pulse_stop, r);
    pa_signal_new(SIGTERM, pulse_stop, r);
    pa_context* context = pa_context_new(api, "monitor recorder");
    if (pa_context_connect(context, NULL, PA_CONTEXT_NOFLAGS, NULL) < 0) {
        fprintf(stderr, "monitor_recorder: %s\n", pa_strerror(pa_context_errno(context)));
        return 1;
    }
    char monitor[256];
    snprintf(monitor, sizeof monitor, "%s.monitor", sink);
    int connected = 0;
    while (!r->quit) {
        if (pa_mainloop_iterate(loop, 1, NULL) < 0)
            break;
        if (pa_context_get_state(context) == PA_CONTEXT_FAILED) {
            fprintf(stderr, "monitor_recorder: %s\n", pa_strerror(pa_context_errno(context)));
            return 1;
        }
        if (!connected && pa_context_get_state(context) == PA_CONTEXT_READY) {
            const pa_sample_spec spec = {PA_SAMPLE_FLOAT32LE, kRate, kChannels};
            r->pulse_stream = pa_stream_new(context, "monitor recorder", &spec, NULL);
            pa_stream_set_read_callback(r->pulse_stream, pulse_read, r);
            const pa_buffer_attr attr = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1,
                                         (uint32_t)pa_usec_to_bytes(kPulseLatencyUs, &spec)};
            if (pa_stream_connect_record(r->pulse_stream, monitor, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
                fprintf(stderr, "monitor_recorder: %s\n", pa_strerror(pa_context_errno(context)));
                return 1;
            }
            connected = 1;
        }
    }
    pa_context_disconnect(context);
    pa_signal_done();
    pa_mainloop_free(loop);
    return 0;
}

/* ---- PipeWire: a capture stream on the sink's monitor, processed in the graph's own thread, so
 * that the cycle read with each buffer is the one that carried it. */

static void pw_process(void* userdata)
{
    struct recording* r = userdata;
    const int64_t arrival = now_ns();
    struct pw_time time;
    pw_stream_get_time_n(r->pw_stream, &time, sizeof time);
    struct pw_buffer* buffer = pw_stream_dequeue_buffer(r->pw_stream);
    if (!buffer)
        return;
    const struct spa_data* data = &buffer->buffer->datas[0];
    if (data->data && data->chunk)
        keep(r, (const float*)((const char*)data->data + data->chunk->offset),
             (int64_t)(data->chunk->size / (sizeof(float) * kChannels)), arrival, time.now, time.delay);
    pw_stream_queue_buffer(r->pw_stream, buffer);
}

static void pw_stop(void* userdata, int sig)
{
    (void)sig;
    struct recording* r = userdata;
    pw_main_loop_quit(r->pw_loop);
}

static const struct pw_stream_events pw_events = {
    .version = PW_VERSION_STREAM_EVENTS,
    .process = pw_process,
};

static int record_pipewire(struct recording* r, const char* sink)
{
    pw_init(NULL, NULL);
    r->pw_loop = pw_main_loop_new(NULL);
    pw_loop_add_signal(pw_main_loop_get_loop(r->pw_loop), SIGINT, pw_stop, r);
    pw_loop_add_signal(pw_main_loop_get_loop(r->pw_loop), SIGTERM, pw_stop, r);
    struct pw_properties* props
        = pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_STREAM_CAPTURE_SINK,
                            "true", PW_KEY_TARGET_OBJECT, sink, PW_KEY_NODE_NAME, "monitor-recorder", NULL);
    r->pw_stream = pw_stream_new_simple(pw_main_loop_get_loop(r->pw_loop), "monitor recorder", props, &pw_events, r);
    uint8_t pod[1024];
    struct spa_pod_builder builder = SPA_POD_BUILDER_INIT(pod, sizeof pod);
    struct spa_audio_info_raw info = {.format = SPA_AUDIO_FORMAT_F32, .rate = kRate, .channels = kChannels};
    info.position[0] = SPA_AUDIO_CHANNEL_FL;
    info.position[1] = SPA_AUDIO_CHANNEL_FR;
    const struct spa_pod* params[1] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    if (pw_stream_connect(r->pw_stream, PW_DIRECTION_INPUT, PW_ID_ANY,
                          PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS | PW_STREAM_FLAG_RT_PROCESS, params,
                          1)
        < 0) {
        fprintf(stderr, "monitor_recorder: cannot connect to PipeWire\n");
        return 1;
    }
    pw_main_loop_run(r->pw_loop);
    pw_stream_destroy(r->pw_stream);
    pw_main_loop_destroy(r->pw_loop);
    pw_deinit();
    return 0;
}

int main(int argc, char* argv[])
{
    if (argc != 5 || (strcmp(argv[1], "pulse") != 0 && strcmp(argv[1], "pipewire") != 0)) {
        fprintf(stderr, "usage: monitor_recorder pulse|pipewire SINK SAMPLES_FILE TIMELINE_FILE\n");
        return 2;
    }
    struct recording r = {0};
    r.samples = malloc(sizeof(float) * kRate * kMaxSeconds);
    r.marks = malloc(sizeof(struct buffer_mark) * kMaxBuffers);
    if (!r.samples || !r.marks)
        return 1;
    const int failed = strcmp(argv[1], "pulse") == 0 ? record_pulse(&r, argv[2]) : record_pipewire(&r, argv[2]);
    if (failed)
        return failed;
    return save(&r, argv[3], argv[4]);
}
