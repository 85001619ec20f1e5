// The sheet's time tags read as an LRC player reads them: which line shows at a given moment.
#include "lyrics/lyrictimeline.h"

#include "lyrics/timetags.h"

#include <algorithm>
#include <cmath>

LyricTimeline::LyricTimeline(const QString& sheet)
    : m_sheet(sheet)
{
    const QStringView text(m_sheet);
    // One cue a line is the usual; growing the vector instead costs more than reading the tags.
    m_cues.reserve(text.count(u'\n') + 1);
    forEachSheetLine(text, [this](qsizetype start, qsizetype end) { readLine(start, end); });
    // Stable, so that among equal times the sheet's order decides.
    std::stable_sort(m_cues.begin(), m_cues.end(),
                     [](const Cue& left, const Cue& right) { return left.milliseconds < right.milliseconds; });
}

void LyricTimeline::readLine(qsizetype start, qsizetype end)
{
    const QStringView line = QStringView(m_sheet).sliced(start, end - start);
    TimeTags tags;
    const qsizetype textAt = readTimeTags(line, tags);
    if (tags.isEmpty())
        return;
    const QStringView text = line.sliced(textAt).trimmed();
    const qsizetype textStart = text.isEmpty() ? 0 : text.data() - m_sheet.constData();
    for (const TimeTag& tag : tags)
        m_cues.push_back({tag.milliseconds, textStart, text.size()});
}

QString LyricTimeline::text(const Cue& cue) const
{
    return m_sheet.sliced(cue.textStart, cue.textLength);
}

std::optional<LyricMoment> LyricTimeline::at(double seconds) const
{
    if (m_cues.empty() || std::isnan(seconds))
        return std::nullopt;
    // Whole milliseconds, as the tags count; the small addition keeps 1.005 s, which is
    // 1004.99999… ms in binary, at the tag [00:01.005].
    const qint64 position = static_cast<qint64>(std::floor(std::clamp(seconds, -1.0, 1e12) * 1000.0 + 1e-6));
    const auto after = std::upper_bound(m_cues.begin(), m_cues.end(), position,
                                        [](qint64 value, const Cue& cue) { return value < cue.milliseconds; });
    if (after == m_cues.begin())
        return std::nullopt;
    return LyricMoment{text(*std::prev(after)), after == m_cues.end() ? QString() : text(*after)};
}
