// Moving the sheet's time tags earlier or later by a fixed amount, each tag kept in its own form.
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// One span of the sheet to replace: length characters from position by text.
struct TextEdit
{
    qsizetype position;
    qsizetype length;
    QString text;

    bool operator==(const TextEdit&) const = default;
};

struct TimeShift
{
    // In the order of the sheet, not overlapping: for each tag whose time changes, the characters
    // of it that change.
    std::vector<TextEdit> edits;
    // Tags that would have come before the song's start and were put at zero instead; one that
    // was at zero already is not counted, as it did not move.
    int clampedToZero = 0;
};

// Shifts every time tag in front of a line (as the lyric preview reads them) by milliseconds,
// negative for earlier. A tag keeps its number of fraction digits and is rounded to them; its
// minutes are written with at least two digits. A tag whose time stays the same is left as
// written. Header tags, empty tags and brackets inside a lyric stay as they are.
TimeShift shiftTimeTags(QStringView sheet, qint64 milliseconds);

// The same for the lines a selection from selectionStart to selectionEnd touches. A selection
// that ends right at the start of a line, as one of whole lines does, leaves that line out.
TimeShift shiftTimeTags(QStringView sheet, qint64 milliseconds, qsizetype selectionStart, qsizetype selectionEnd);

// The tag's text for a time, e.g. 65340 ms with 2 fraction digits gives "[01:05.34]". The time is
// rounded to the fraction digits, half a unit up.
QString timeTagText(qint64 milliseconds, int fractionDigits);
