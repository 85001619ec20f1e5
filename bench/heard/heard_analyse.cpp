// Makes the benchmark song and, after a run, works out what was heard when.
//
//   heard_analyse song WAV_FILE
//   heard_analyse analyse SETUP pulse|pipewire SAMPLES TIMELINE EVENTS FIGURES [SPEED]
//   heard_analyse compare SETUP PROGRAM_FIGURES FLOOR_FIGURES
//
// The song is band-limited noise from a fixed seed: every 50 ms of it is unlike any other, so a
// stretch of the sink's recording names the media time it came from to the sample, MP3 or not.
// Slowed down with the pitch kept (mpv's scaletempo2), the sound is the song cut into pieces of
// about 10 ms of its own time, each played at its own rate and overlapped with the next; so a
// shorter stretch, 10 ms, is matched against the song, with a lower bar for the match.
// Plain C++, linked to nothing of the program.
#include "figures/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kSongSeconds = 90;
// 50 ms of recording to match; searched for within a quarter second of what the player said.
struct Matching
{
    int window = kRate / 20;
    int search = kRate / 4;
    // Below this the stretch before the moment was not one piece of the song (a start, a gap).
    double minCorrelation = 0.9;
    // Song seconds per second of sound.
    double speed = 1.0;
};
Matching matching;

void matchSlowedDown(double speed)
{
    matching.speed = speed;
    if (speed == 1.0)
        return;
    matching.window = kRate / 100;
    matching.search = kRate / 10;
    matching.minCorrelation = 0.6;
}
// Deliveries closer than this belong to one burst, handed over by one render of the sink.
constexpr int64_t kBurstGapNs = 1'000'000;
// The song never holds 10 ms of exact zeros; a pause leaves at least that much.
constexpr int64_t kSilentRun = kRate / 100;

std::vector<float> songSamples()
{
    std::vector<float> song(size_t(kRate) * kSongSeconds);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    double low1 = 0.0;
    double low2 = 0.0;
    for (float& sample : song) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const double white = double(state >> 11) / double(1ull << 53) * 2.0 - 1.0;
        // Two one-pole low-passes near 3 kHz: what an MP3 encoder keeps as it is.
        low1 += 0.33 * (white - low1);
        low2 += 0.33 * (low1 - low2);
        sample = float(low2 * 1.6);
    }
    return song;
}

void put16(std::ofstream& out, uint16_t value)
{
    out.put(char(value & 0xff)).put(char(value >> 8));
}

void put32(std::ofstream& out, uint32_t value)
{
    put16(out, uint16_t(value & 0xffff));
    put16(out, uint16_t(value >> 16));
}

int writeSong(const char* path)
{
    const std::vector<float> song = songSamples();
    std::ofstream out(path, std::ios::binary);
    // Stereo, the same in both channels, as songs are: mpv then feeds the server two channels.
    const uint32_t bytes = uint32_t(song.size() * 4);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 2);
    put32(out, kRate);
    put32(out, kRate * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (const float sample : song) {
        const auto value = uint16_t(int16_t(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f)));
        put16(out, value);
        put16(out, value);
    }
    return out ? 0 : 1;
}

struct Mark
{
    int64_t first;
    int64_t arrivalNs;
    int64_t cycleNs;
    int64_t previousCycleNs = 0;
};

// Maps a CLOCK_MONOTONIC time to the recorded sample that was leaving the sink then.
class SinkClock
{
public:
    SinkClock(std::vector<Mark> marks, bool pipewire)
        : m_marks(std::move(marks))
        , m_pipewire(pipewire)
    {
        // PulseAudio's null sink renders a block when its clock reaches the block's first
        // sample and hands it to the monitor at once, or later when a rewind block is held back;
        // never earlier. So the earliest first-of-burst arrival, less its sample's offset, is
        // the sink clock's start.
        for (size_t i = 1; i < m_marks.size(); ++i)
            m_marks[i].previousCycleNs = m_marks[i - 1].cycleNs;
        m_startNs = INT64_MAX;
        for (size_t i = 0; i < m_marks.size(); ++i) {
            if (i > 0 && m_marks[i].arrivalNs - m_marks[i - 1].arrivalNs < kBurstGapNs)
                continue;
            const int64_t start = m_marks[i].arrivalNs - m_marks[i].first * 1'000'000'000 / kRate;
            m_startNs = std::min(m_startNs, start);
        }
    }

    double sampleAt(int64_t ns) const
    {
        if (!m_pipewire)
            return double(ns - m_startNs) * kRate / 1e9;
        // The null sink drives the graph: its timer starts cycle k at its scheduled time, the
        // players fill the quantum, and the sink, the last node, takes it at the end of the
        // cycle, reporting no latency of its own; so the quantum leaves at cycle k's start,
        // which is when a player's stream delay says it does. The monitor's copy reaches a
        // recorder, a follower of the sink, only in cycle k+1: a buffer is placed at the
        // scheduled start of the cycle before the one that carried it.
        auto next = std::upper_bound(m_marks.begin() + 1, m_marks.end(), ns,
                                     [](int64_t t, const Mark& mark) { return t < mark.previousCycleNs; });
        if (next == m_marks.begin() + 1)
            return -1.0;
        const Mark& mark = *(next - 1);
        return double(mark.first) + double(ns - mark.previousCycleNs) * kRate / 1e9;
    }

private:
    std::vector<Mark> m_marks;
    bool m_pipewire;
    int64_t m_startNs = 0;
};

struct Match
{
    double mediaSeconds;
    double correlation;
};

// The media time at recorded sample `at`, from the window of recording just before it.
Match matchBefore(const std::vector<float>& recording, const std::vector<float>& song, double at, double guess)
{
    const int64_t end = int64_t(std::floor(at));
    const int kWindow = matching.window;
    const int kSearch = matching.search;
    if (end < kWindow || end > int64_t(recording.size()))
        return {0.0, 0.0};
    const float* piece = recording.data() + end - kWindow;
    double pieceEnergy = 0.0;
    for (int k = 0; k < kWindow; ++k)
        pieceEnergy += double(piece[k]) * piece[k];
    const int64_t centre = int64_t(guess * kRate) - kWindow;
    Match best{0.0, -1.0};
    for (int64_t lag = std::max<int64_t>(0, centre - kSearch);
         lag <= centre + kSearch && lag + kWindow <= int64_t(song.size()); ++lag) {
        double dot = 0.0;
        double energy = 0.0;
        for (int k = 0; k < kWindow; ++k) {
            dot += double(piece[k]) * song[size_t(lag + k)];
            energy += double(song[size_t(lag + k)]) * song[size_t(lag + k)];
        }
        const double correlation = dot / std::sqrt(pieceEnergy * energy + 1e-30);
        if (correlation > best.correlation)
            best = {(double(lag + kWindow) + (at - double(end)) * matching.speed) / kRate, correlation};
    }
    return best;
}

// Slowed down, each 10 ms of sound is a piece of the song taken up to a few ms off the song's
// steady course, as scaletempo2 finds the best overlap: the pieces of the last 80 ms, each
// carried on to `at` at the speed, give the course (their median), which is what the player's
// positions follow. At the song's own rate the one match of 50 ms.
Match heardAt(const std::vector<float>& recording, const std::vector<float>& song, double at, double guess)
{
    if (matching.speed == 1.0)
        return matchBefore(recording, song, at, guess);
    constexpr int kPieces = 8;
    std::vector<double> course;
    std::vector<double> correlations;
    for (int k = 0; k < kPieces; ++k) {
        const double back = double(k) * matching.window;
        const double stepBack = back * matching.speed / kRate;
        const Match piece = matchBefore(recording, song, at - back, guess - stepBack);
        if (piece.correlation < matching.minCorrelation)
            continue;
        course.push_back(piece.mediaSeconds + stepBack);
        correlations.push_back(piece.correlation);
    }
    if (course.size() < kPieces / 2)
        return {0.0, 0.0};
    const auto middle = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    };
    return {middle(course), middle(correlations)};
}

struct Figures
{
    std::vector<double> values;
    int rejected = 0;

    double median() const { return figures::median(absolute()); }
    double worst() const { return figures::worst(absolute()); }
    double mean() const
    {
        double sum = 0.0;
        for (const double v : values)
            sum += v;
        return values.empty() ? NAN : sum / double(values.size());
    }
    std::vector<double> absolute() const
    {
        std::vector<double> a;
        for (const double v : values)
            a.push_back(std::fabs(v));
        return a;
    }
};

struct Moment
{
    int64_t ns;
    double position;
};

// The first sample of kSilentRun zeros in a row from `from` on, or -1.
int64_t silenceFrom(const std::vector<float>& recording, int64_t from)
{
    int64_t run = 0;
    for (int64_t i = std::max<int64_t>(from, 0); i < int64_t(recording.size()); ++i) {
        run = recording[size_t(i)] == 0.0f ? run + 1 : 0;
        if (run == kSilentRun)
            return i - kSilentRun + 1;
    }
    return -1;
}

int64_t soundFrom(const std::vector<float>& recording, int64_t from)
{
    for (int64_t i = std::max<int64_t>(from, 0); i < int64_t(recording.size()); ++i) {
        if (recording[size_t(i)] != 0.0f)
            return i;
    }
    return -1;
}

// What a listener hears around each pause: how long the sound went on after the pause was
// asked for, how long it took to come back after play was asked for, and whether it came back
// at the media time where it had stopped (+: a piece was skipped, -: a piece was heard twice).
struct Resumes
{
    Figures wentOn;
    Figures cameBack;
    Figures jump;
};

Resumes resumesOf(const std::vector<float>& recording, const std::vector<float>& song, const SinkClock& clock,
                  const std::vector<Moment>& pauses, const std::vector<Moment>& plays)
{
    Resumes resumes;
    for (size_t i = 0; i < pauses.size(); ++i) {
        const double asked = clock.sampleAt(pauses[i].ns);
        const int64_t silence = silenceFrom(recording, int64_t(asked) - kRate / 200);
        const int64_t sound = silence < 0 ? -1 : soundFrom(recording, silence);
        if (silence < 0)
            continue;
        resumes.wentOn.values.push_back((double(silence) - asked) * 1000.0 / kRate);
        if (sound < 0 || i + 1 >= plays.size())
            continue;
        resumes.cameBack.values.push_back((double(sound) - clock.sampleAt(plays[i + 1].ns)) * 1000.0 / kRate);
        const double window = double(matching.window) * matching.speed / kRate;
        const Match before = matchBefore(recording, song, double(silence), pauses[i].position);
        const Match after = matchBefore(recording, song, double(sound + matching.window), pauses[i].position + window);
        if (before.correlation < matching.minCorrelation || after.correlation < matching.minCorrelation)
            ++resumes.jump.rejected;
        else
            resumes.jump.values.push_back((after.mediaSeconds - window - before.mediaSeconds) * 1000.0);
    }
    return resumes;
}

int analyse(const std::string& setUp, bool pipewire, const char* samplesPath, const char* timelinePath,
            const char* eventsPath, const char* figuresPath)
{
    std::ifstream samplesFile(samplesPath, std::ios::binary);
    std::vector<float> recording;
    float value;
    while (samplesFile.read(reinterpret_cast<char*>(&value), sizeof value))
        recording.push_back(value);
    std::ifstream timeline(timelinePath);
    std::vector<Mark> marks;
    Mark mark;
    int64_t delay = 0;
    while (timeline >> mark.first >> mark.arrivalNs >> mark.cycleNs >> delay)
        marks.push_back(mark);
    if (recording.empty() || marks.empty()) {
        std::fprintf(stderr, "heard_analyse: %s: nothing was recorded\n", setUp.c_str());
        return 1;
    }
    const SinkClock clock(marks, pipewire);
    const std::vector<float> song = songSamples();

    Figures readout;
    Figures drift;
    Figures live;
    std::vector<Moment> pauses;
    std::vector<Moment> plays;
    double weakest = 1.0;
    std::ifstream events(eventsPath);
    std::string line;
    while (std::getline(events, line)) {
        std::istringstream fields(line);
        std::string kind;
        int64_t ns = 0;
        double position = 0.0;
        fields >> kind >> ns >> position;
        if (kind == "play") {
            plays.push_back({ns, 0.0});
            continue;
        }
        const Match heard = heardAt(recording, song, clock.sampleAt(ns), position);
        const bool pause = kind == "pause";
        if (pause)
            pauses.push_back({ns, position});
        Figures& figures = pause ? readout : live;
        if (heard.correlation < matching.minCorrelation) {
            ++figures.rejected;
            continue;
        }
        weakest = std::min(weakest, heard.correlation);
        figures.values.push_back((position - heard.mediaSeconds) * 1000.0);
        if (pause) {
            double again = 0.0;
            fields >> again;
            drift.values.push_back((again - position) * 1000.0);
        }
    }
    const Resumes resumes = resumesOf(recording, song, clock, pauses, plays);
    // The song is loaded before the first play and must not be heard until then.
    int64_t heardBeforePlay = 0;
    const double firstPlay = plays.empty() ? double(recording.size()) : clock.sampleAt(plays.front().ns);
    for (int64_t i = 0; i < int64_t(recording.size()) && double(i) < firstPlay; ++i)
        heardBeforePlay += recording[size_t(i)] != 0.0f;
    // PipeWire hands the recorder one buffer per cycle: the quantum the graph ran at.
    std::vector<int64_t> sizes;
    for (size_t i = 1; i < marks.size(); ++i)
        sizes.push_back(marks[i].first - marks[i - 1].first);
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    const std::string quantum
        = pipewire && !sizes.empty() ? "quantum " + std::to_string(sizes[sizes.size() / 2]) + " frames; " : "";
    std::printf("%-44s readout-heard |median| %6.2f ms, worst %6.2f ms, signed mean %+6.2f ms (n %zu%s)\n",
                setUp.c_str(), readout.median(), readout.worst(), readout.mean(), readout.values.size(),
                readout.rejected ? ", some unmatched" : "");
    std::printf("%-44s second read while paused: |median| %5.2f ms, worst %5.2f ms; "
                "live position-heard: |median| %5.2f ms, worst %5.2f ms, mean %+6.2f ms (n %zu)\n",
                "", drift.median(), drift.worst(), live.median(), live.worst(), live.mean(), live.values.size());
    std::printf("%-44s after a pause the sound went on %5.1f ms (median), %5.1f ms worst; after play it came back "
                "in %5.1f ms (median); it came back at the media time where it stopped: |median| %5.2f ms, "
                "worst %5.2f ms, mean %+6.2f ms (n %zu)\n",
                "", resumes.wentOn.median(), resumes.wentOn.worst(), resumes.cameBack.median(), resumes.jump.median(),
                resumes.jump.worst(), resumes.jump.mean(), resumes.jump.values.size());
    std::printf("%-44s %sweakest match %.3f; %d pause, %d live and %d resume moments unmatched; "
                "sound before the first play (the load): %.2f ms\n",
                "", quantum.c_str(), weakest, readout.rejected, live.rejected, resumes.jump.rejected,
                double(heardBeforePlay) * 1000.0 / kRate);
    std::ofstream figures(figuresPath);
    figures << readout.median() << ' ' << readout.worst() << ' ' << live.median() << ' ' << live.worst() << '\n';
    return figures ? 0 : 1;
}

// The program's figures beside the floor's, and their ratio: below 1, the program does better.
int compare(const std::string& setUp, const char* programPath, const char* floorPath)
{
    double program[4] = {};
    double bare[4] = {};
    std::ifstream programFile(programPath);
    std::ifstream floorFile(floorPath);
    for (int i = 0; i < 4; ++i)
        programFile >> program[i];
    for (int i = 0; i < 4; ++i)
        floorFile >> bare[i];
    if (!programFile || !floorFile) {
        std::fprintf(stderr, "heard_analyse: %s: figures missing\n", setUp.c_str());
        return 1;
    }
    const char* names[4] = {"readout off what had been heard at the pause, median size", "the same, worst",
                            "position while playing off what was heard then, median size", "the same, worst"};
    figures::printTableHeader();
    for (int i = 0; i < 4; ++i)
        figures::printRow(setUp + ": " + names[i], program[i], bare[i], "ms");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "song" && argc == 3)
        return writeSong(argv[2]);
    if (mode == "analyse" && (argc == 8 || argc == 9)) {
        matchSlowedDown(argc == 9 ? std::atof(argv[8]) : 1.0);
        return analyse(argv[2], std::string(argv[3]) == "pipewire", argv[4], argv[5], argv[6], argv[7]);
    }
    if (mode == "compare" && argc == 5)
        return compare(argv[2], argv[3], argv[4]);
    std::fprintf(stderr,
                 "usage: heard_analyse song WAV | analyse SETUP pulse|pipewire SAMPLES TIMELINE EVENTS FIGURES [SPEED]"
                 " | compare SETUP PROGRAM_FIGURES FLOOR_FIGURES\n");
    return 2;
}
