// The time tags in front of a sheet line, read as an LRC player reads them, with where each one stands.
#include "lyrics/timetags.h"

namespace {

// Ten million minutes is 19 years: longer minute fields are not times but overflow.
constexpr qsizetype kMaxMinuteDigits = 7;
constexpr qsizetype kMaxFractionDigits = 3;

int digitValue(QChar c)
{
    const char16_t unit = c.unicode();
    return unit >= u'0' && unit <= u'9' ? unit - u'0' : -1;
}

// Reads the time tag that starts with the '[' at from.
std::optional<TimeTag> readTimeTag(QStringView line, qsizetype from)
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
    qsizetype fractionDigits = 0;
    if (i < size && line[i] == u'.') {
        const qsizetype fractionStart = ++i;
        for (int scale = 100; i < size && digitValue(line[i]) >= 0; ++i, scale /= 10) {
            if (i - fractionStart == kMaxFractionDigits)
                return std::nullopt;
            milliseconds += digitValue(line[i]) * scale;
        }
        fractionDigits = i - fractionStart;
        if (fractionDigits == 0)
            return std::nullopt;
    }
    if (i >= size || line[i] != u']')
        return std::nullopt;
    return TimeTag{from, i + 1 - from, (minutes * 60 + seconds) * 1000 + milliseconds, int(fractionDigits)};
}

} // namespace

qsizetype readTimeTags(QStringView line, TimeTags& tags)
{
    qsizetype at = 0;
    while (at < line.size() && line[at].isSpace())
        ++at;
    while (at < line.size() && line[at] == u'[') {
        if (at + 1 < line.size() && line[at + 1] == u']') {
            at += 2;
            continue;
        }
        const std::optional<TimeTag> tag = readTimeTag(line, at);
        if (!tag)
            break;
        tags.append(*tag);
        at += tag->length;
    }
    return at;
}

std::optional<qint64> firstTimeTag(QStringView line)
{
    TimeTags tags;
    readTimeTags(line, tags);
    if (tags.isEmpty())
        return std::nullopt;
    return tags.front().milliseconds;
}
