// The position the player shows: what is being heard while playing, what was heard when paused.
#include "playback/playbackclock.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// Many cycles of even the largest quanta (8192 frames, 171 ms), and short enough that the
// sound card's clock cannot drift from the steady clock by a measurable amount.
constexpr double kReportWindow = 1.0;
// A report further ahead of the one before than this counts a new block.
constexpr double kNewBlock = 0.002;

} // namespace

double PlaybackClock::now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PlaybackClock::setBlockwise(bool blockwise)
{
    m_blockwise = blockwise;
    m_reports.clear();
}

bool PlaybackClock::isBlockwise() const
{
    return m_blockwise;
}

void PlaybackClock::setRate(double rate)
{
    m_rate = rate;
    m_reports.clear();
}

void PlaybackClock::reported(double at, double position)
{
    if (!m_blockwise)
        return;
    while (!m_reports.empty() && m_reports.front().at < at - kReportWindow)
        m_reports.pop_front();
    m_reports.push_back({at, position - m_rate * at});
}

std::optional<double> PlaybackClock::heardAt(double at) const
{
    // The least offset of each block's reports.
    std::vector<double> least;
    double previous = 0.0;
    for (const Report& report : m_reports) {
        if (report.at < at - kReportWindow || report.at > at)
            continue;
        if (least.empty() || report.offset > previous + kNewBlock)
            least.push_back(report.offset);
        else
            least.back() = std::min(least.back(), report.offset);
        previous = report.offset;
    }
    if (least.empty())
        return std::nullopt;
    std::sort(least.begin(), least.end());
    // A server held up in counting a block keeps reporting the block before, behind what is
    // heard; the next least block's reports stand for when that happens once.
    return m_rate * at + least[least.size() >= 3 ? 1 : 0];
}

void PlaybackClock::halted(double seconds)
{
    m_halted = seconds;
    m_reports.clear();
}

void PlaybackClock::forget()
{
    m_halted.reset();
    m_reports.clear();
}

double PlaybackClock::position(double at, double timePos, std::optional<double> report) const
{
    if (m_halted)
        return *m_halted;
    if (!report)
        return timePos;
    if (!m_blockwise)
        return *report;
    return heardAt(at).value_or(*report);
}
