/* The floor heard_bench is compared with: a bare libmpv client that plays the same song through
 * the same server and pauses it the plainest way, with mpv's own settings for its audio output.
 *
 *   heard_floor SONG EVENTS_FILE AUDIO_DRIVER [SPEED]
 *
 * Same schedule and log as heard_bench: the song loaded 8 times, paused; then 20 pauses after
 * 400-1400 ms of play each, three reads while playing, a second read 300 ms into each pause.
 * A pause sets mpv's "pause" property and reads "time-pos"; every read is "time-pos". Slowed
 * down, mpv's own speed with its own pitch-keeping filter. Linked to nothing of the program:
 * only libmpv. */
#include <mpv/client.h>

#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum {
    kPauses = 20,
    kLoads = 8,
    kSilenceBeforeMs = 1500,
    kShortestPlayMs = 400,
    kLongestPlayMs = 1400,
    kLiveReadsPerPlay = 3,
    kSettleAfterPlayMs = 200,
    kPausedMs = 300,
    kLoadTimeoutS = 5
};

static long long monotonic_ns(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

static void wait_ms(int ms)
{
    const struct timespec ts = {ms / 1000, (long)(ms % 1000) * 1000000};
    nanosleep(&ts, NULL);
}

/* A fixed sequence, so that every run pauses at the same moments. */
static int bounded(unsigned long long* state, int low, int high)
{
    *state = *state * 6364136223846793005ull + 1442695040888963407ull;
    return low + (int)((*state >> 33) % (unsigned long long)(high - low));
}

static double time_pos(mpv_handle* mpv)
{
    double position = 0.0;
    mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &position);
    return position;
}

static void set_pause(mpv_handle* mpv, int paused)
{
    mpv_set_property(mpv, "pause", MPV_FORMAT_FLAG, &paused);
}

static int wait_until_loaded(mpv_handle* mpv)
{
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv, kLoadTimeoutS);
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
            return 0;
        if (event->event_id == MPV_EVENT_NONE)
            return 1;
        /* A load ends the file loaded before it (reason "stop"); only an error is this load's. */
        if (event->event_id == MPV_EVENT_END_FILE
            && ((const mpv_event_end_file*)event->data)->reason == MPV_END_FILE_REASON_ERROR)
            return 1;
    }
}

static void read_while_playing(mpv_handle* mpv, int play_ms, unsigned long long* random, FILE* log)
{
    int waited = 0;
    for (int i = 0; i < kLiveReadsPerPlay; ++i) {
        const int at = bounded(random, kSettleAfterPlayMs, play_ms);
        if (at <= waited)
            continue;
        wait_ms(at - waited);
        waited = at;
        const long long before = monotonic_ns();
        const double position = time_pos(mpv);
        const long long after = monotonic_ns();
        fprintf(log, "live %lld %.6f\n", (before + after) / 2, position);
    }
    wait_ms(play_ms - waited);
}

static void run(mpv_handle* mpv, FILE* log)
{
    unsigned long long random = 16;
    wait_ms(kSilenceBeforeMs);
    for (int i = 0; i < kPauses; ++i) {
        fprintf(log, "play %lld\n", monotonic_ns());
        set_pause(mpv, 0);
        read_while_playing(mpv, bounded(&random, kShortestPlayMs, kLongestPlayMs), &random, log);
        const long long asked = monotonic_ns();
        set_pause(mpv, 1);
        const double readout = time_pos(mpv);
        wait_ms(kPausedMs);
        fprintf(log, "pause %lld %.6f %.6f\n", asked, readout, time_pos(mpv));
    }
}

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        fprintf(stderr, "usage: heard_floor SONG EVENTS_FILE AUDIO_DRIVER [SPEED]\n");
        return 2;
    }
    setlocale(LC_NUMERIC, "C");
    mpv_handle* mpv = mpv_create();
    FILE* log = fopen(argv[2], "w");
    if (!mpv || !log) {
        fprintf(stderr, "heard_floor: cannot start libmpv or write %s\n", argv[2]);
        return 1;
    }
    const char* options[][2]
        = {{"config", "no"},        {"vo", "null"},   {"vid", "no"},   {"terminal", "no"},
           {"keep-open", "always"}, {"pause", "yes"}, {"ao", argv[3]}, {"speed", argc == 5 ? argv[4] : "1"}};
    for (size_t i = 0; i < sizeof options / sizeof options[0]; ++i)
        mpv_set_option_string(mpv, options[i][0], options[i][1]);
    const char* load[] = {"loadfile", argv[1], NULL};
    if (mpv_initialize(mpv) < 0) {
        fprintf(stderr, "heard_floor: mpv could not start\n");
        return 1;
    }
    /* Loaded paused as many times as heard_bench loads it. */
    for (int i = 0; i < kLoads; ++i) {
        if (mpv_command(mpv, load) < 0 || wait_until_loaded(mpv) != 0) {
            fprintf(stderr, "heard_floor: mpv could not play %s\n", argv[1]);
            return 1;
        }
    }
    run(mpv, log);
    fclose(log);
    mpv_terminate_destroy(mpv);
    return 0;
}
