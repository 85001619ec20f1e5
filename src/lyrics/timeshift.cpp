// Moving the sheet's time tags earlier or later by a fixed amount, each tag kept in its own form.
#include "lyrics/timeshift.h"

#include "lyrics/timetags.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMinMinuteDigits = 2;

// Milliseconds in one unit of the last digit of a tag with this many fraction digits.
qint64 unitOf(int fractionDigits)
{
    static constexpr qint64 units[] = {1000, 100, 10, 1};
    return units[std::clamp(fractionDigits, 0, 3)];
}

qint64 rounded(qint64 milliseconds, int fractionDigits)
{
    const qint64 unit = unitOf(fractionDigits);
    return (milliseconds + unit / 2) / unit * unit;
}

void shiftLine(QStringView sheet, qsizetype start, qsizetype end, qint64 milliseconds, TimeShift& shift)
{
    TimeTags tags;
    readTimeTags(sheet.sliced(start, end - start), tags);
    for (const TimeTag& tag : tags) {
        qint64 moved = tag.milliseconds + milliseconds;
        if (moved < 0) {
            moved = 0;
            if (tag.milliseconds > 0)
                ++shift.clampedToZero;
        }
        moved = rounded(moved, tag.fractionDigits);
        // A tag whose time stays is left as written, even in a form the shift would tidy.
        if (moved == tag.milliseconds)
            continue;
        shift.edits.push_back({start + tag.start, tag.length, timeTagText(moved, tag.fractionDigits)});
    }
}

} // namespace

QString timeTagText(qint64 milliseconds, int fractionDigits)
{
    const qint64 unit = unitOf(fractionDigits);
    const qint64 time = rounded(std::max<qint64>(milliseconds, 0), fractionDigits);
    const qint64 minutes = time / 60000;
    const qint64 seconds = time / 1000 % 60;
    QString text
        = u"[%1:%2"_s.arg(minutes, kMinMinuteDigits, 10, QLatin1Char('0')).arg(seconds, 2, 10, QLatin1Char('0'));
    if (fractionDigits > 0)
        text += u".%1"_s.arg(time % 1000 / unit, fractionDigits, 10, QLatin1Char('0'));
    return text + u']';
}

TimeShift shiftTimeTags(QStringView sheet, qint64 milliseconds)
{
    TimeShift shift;
    if (milliseconds == 0)
        return shift;
    forEachSheetLine(sheet, [&](qsizetype start, qsizetype end) { shiftLine(sheet, start, end, milliseconds, shift); });
    return shift;
}

TimeShift shiftTimeTags(QStringView sheet, qint64 milliseconds, qsizetype selectionStart, qsizetype selectionEnd)
{
    const qsizetype from = std::min(selectionStart, selectionEnd);
    const qsizetype to = std::max(selectionStart, selectionEnd);
    TimeShift shift;
    if (milliseconds == 0)
        return shift;
    forEachSheetLine(sheet, [&](qsizetype start, qsizetype end) {
        const bool touched = start <= to && end >= from && !(to > from && to == start);
        if (touched)
            shiftLine(sheet, start, end, milliseconds, shift);
    });
    return shift;
}
