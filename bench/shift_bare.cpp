// The floor of the time-shift benchmark: the same tags rewritten in a plain std::string by a bare
// loop, no Qt, no regular expressions, no editor. Prints the median wall and thread CPU time of its runs.
//
//   shift_bare LINES RUNS
#include "figures/figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

void twoDigits(std::string& out, long value)
{
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

// The lines shift_bench gives the sheet box, sheets::numberedSheet(lines, false) in sheets.h, made
// here without Qt: one "[mm:ss.50]" tag a line, in UTF-8, LF ends (the sheet box reads CR LF as
// one line end too). Change both together.
std::string sheetOf(int lines)
{
    std::string sheet;
    for (int line = 0; line < lines; ++line) {
        sheet += '[';
        twoDigits(sheet, line / 60 % 100);
        sheet += ':';
        twoDigits(sheet, line % 60);
        sheet += ".50]这是第" + std::to_string(line) + "行歌词，月光洒在窗前\n";
    }
    return sheet;
}

// Time this thread has run, in ms: on a busy machine the wall clock also counts the waits for a core.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

// Copies the sheet with every leading "[mm:ss.xx]" moved by shiftMs, rounded to hundredths.
void shifted(const std::string& sheet, long shiftMs, std::string& out)
{
    out.clear();
    out.reserve(sheet.size() + 64);
    std::size_t at = 0;
    while (at < sheet.size()) {
        std::size_t end = sheet.find('\n', at);
        end = end == std::string::npos ? sheet.size() : end + 1;
        const char* p = sheet.data() + at;
        if (end - at >= 10 && p[0] == '[' && digit(p[1]) && digit(p[2]) && p[3] == ':' && digit(p[4]) && digit(p[5])
            && p[6] == '.' && digit(p[7]) && digit(p[8]) && p[9] == ']') {
            const long ms = ((p[1] - '0') * 10 + (p[2] - '0')) * 60000L + ((p[4] - '0') * 10 + (p[5] - '0')) * 1000L
                + ((p[7] - '0') * 10 + (p[8] - '0')) * 10L;
            const long moved = (std::max(ms + shiftMs, 0L) + 5) / 10 * 10;
            out += '[';
            twoDigits(out, moved / 60000);
            out += ':';
            twoDigits(out, moved / 1000 % 60);
            out += '.';
            twoDigits(out, moved % 1000 / 10);
            out += ']';
            at += 10;
        }
        out.append(sheet, at, end - at);
        at = end;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 11;
    std::string sheet = sheetOf(lines);
    std::string out;
    std::vector<double> times, cpu;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        shifted(sheet, run % 2 == 0 ? 150 : -150, out);
        cpu.push_back(threadCpuMs() - cpuStart);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        sheet.swap(out);
    }
    // The sheet's length is printed so that the copy cannot be left out by the compiler.
    std::printf("%.4f %.4f %zu\n", figures::median(times), figures::median(cpu), sheet.size());
    return 0;
}
