// Moving the sheet's time tags earlier or later by a fixed amount, each tag kept in its own form.
#include "lyrics/timeshift.h"

#include "lyrics/timetags.h"

#include <algorithm>

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

// The edit that turns old, at position, into text: only the characters between their common start
// and common end, which for a shift of a few hundred milliseconds is two digits or three.
TextEdit changedPart(QStringView old, qsizetype position, const QString& text)
{
    qsizetype same = 0;
    const qsizetype shorter = std::min(old.size(), text.size());
    while (same < shorter && old[same] == text[same])
        ++same;
    qsizetype sameEnd = 0;
    while (sameEnd < shorter - same && old[old.size() - 1 - sameEnd] == text[text.size() - 1 - sameEnd])
        ++sameEnd;
    return {position + same, old.size() - same - sameEnd, text.sliced(same, text.size() - same - sameEnd)};
}

// Writes value with at least digits digits, zeros in front.
void appendNumber(QString& text, qint64 value, int digits)
{
    char16_t reversed[20];
    int count = 0;
    do {
        reversed[count++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (; digits > count; --digits)
        text += u'0';
    while (count > 0)
        text += QChar(reversed[--count]);
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
        shift.edits.push_back(changedPart(sheet.sliced(start + tag.start, tag.length), start + tag.start,
                                          timeTagText(moved, tag.fractionDigits)));
    }
}

} // namespace

QString timeTagText(qint64 milliseconds, int fractionDigits)
{
    const qint64 unit = unitOf(fractionDigits);
    const qint64 time = rounded(std::max<qint64>(milliseconds, 0), fractionDigits);
    // Written by hand: QString::arg, three times for each of ten thousand tags, costs more than the rest.
    QString text;
    text.reserve(16);
    text += u'[';
    appendNumber(text, time / 60000, kMinMinuteDigits);
    text += u':';
    appendNumber(text, time / 1000 % 60, 2);
    if (fractionDigits > 0) {
        text += u'.';
        appendNumber(text, time % 1000 / unit, fractionDigits);
    }
    text += u']';
    return text;
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
