// The sheet's time tags read as an LRC player reads them: which line shows at a given moment.
#include "lyrics/lyrictimeline.h"

#include <QStringView>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

// Ten million minutes is 19 years: longer minute fields are not times but overflow.
constexpr qsizetype kMaxMinuteDigits = 7;
constexpr qsizetype kMaxFractionDigits = 3;

int digitValue(QChar c)
{
    const char16_t unit = c.unicode();
    return unit >= u'0' && unit <= u'9' ? unit - u'0' : -1;
}

// Reads the time tag that starts with the '[' at from; on success moves from past its ']'.
std::optional<qint64> readTimeTag(QStringView line, qsizetype& from)
{
    const qsizetype size = line.size();
    qsizetype i = from + 1;
    qint64 minutes = 0;
    const qsizetype minutesStart = i;
    for (; i < size && digitValue(line[i]) >= 0; ++i) {
        if (i - minutesStart == kMaxMinuteDigits)
            return std::nullopt;
        minutes = minutes * 10 + digitValue(line[i]);
    }
    if (i == minutesStart || i >= size || line[i] != u':')
        return std::nullopt;
    ++i;
    if (i + 2 > size || digitValue(line[i]) < 0 || digitValue(line[i + 1]) < 0)
        return std::nullopt;
    const int seconds = digitValue(line[i]) * 10 + digitValue(line[i + 1]);
    i += 2;
    if (seconds >= 60)
        return std::nullopt;
    int milliseconds = 0;
    if (i < size && line[i] == u'.') {
        const qsizetype fractionStart = ++i;
        for (int scale = 100; i < size && digitValue(line[i]) >= 0; ++i, scale /= 10) {
            if (i - fractionStart == kMaxFractionDigits)
                return std::nullopt;
            milliseconds += digitValue(line[i]) * scale;
        }
        if (i == fractionStart)
            return std::nullopt;
    }
    if (i >= size || line[i] != u']')
        return std::nullopt;
    from = i + 1;
    return (minutes * 60 + seconds) * 1000 + milliseconds;
}

} // namespace

LyricTimeline::LyricTimeline(const QString& sheet)
    : m_sheet(sheet)
{
    const QStringView text(m_sheet);
    // One cue a line is the usual; growing the vector instead costs more than reading the tags.
    m_cues.reserve(text.count(u'\n') + 1);
    for (qsizetype start = 0;;) {
        const qsizetype lf = text.indexOf(u'\n', start);
        const qsizetype end = lf < 0 ? text.size() : lf;
        // Before an LF, a CR ends the line; elsewhere it breaks it in two, as old Mac files do.
        for (qsizetype cr; (cr = text.sliced(start, end - start).indexOf(u'\r')) >= 0; start += cr + 1)
            readLine(start, start + cr);
        readLine(start, end);
        if (lf < 0)
            break;
        start = lf + 1;
    }
    // Stable, so that among equal times the sheet's order decides.
    std::stable_sort(m_cues.begin(), m_cues.end(),
                     [](const Cue& left, const Cue& right) { return left.milliseconds < right.milliseconds; });
}

void LyricTimeline::readLine(qsizetype start, qsizetype end)
{
    const QStringView line = QStringView(m_sheet).sliced(start, end - start);
    qsizetype at = 0;
    while (at < line.size() && line[at].isSpace())
        ++at;
    QVarLengthArray<qint64, 4> times;
    while (at < line.size() && line[at] == u'[') {
        if (at + 1 < line.size() && line[at + 1] == u']') {
            at += 2;
            continue;
        }
        const std::optional<qint64> time = readTimeTag(line, at);
        if (!time)
            break;
        times.append(*time);
    }
    if (times.isEmpty())
        return;
    const QStringView text = line.sliced(at).trimmed();
    const qsizetype textStart = text.isEmpty() ? 0 : text.data() - m_sheet.constData();
    for (const qint64 time : times)
        m_cues.push_back({time, textStart, text.size()});
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
