// The time tags in front of a sheet line, read as an LRC player reads them, with where each one stands.
#pragma once

#include <QStringView>
#include <QVarLengthArray>

#include <optional>

// One "[m:ss]", "[m:ss.x]", "[m:ss.xx]" or "[m:ss.xxx]" tag of a line.
struct TimeTag
{
    // From the '[' through the ']', in the line.
    qsizetype start;
    qsizetype length;
    qint64 milliseconds;
    // 0 to 3: the tag's precision, 1 s down to 1 ms.
    int fractionDigits;
};

using TimeTags = QVarLengthArray<TimeTag, 4>;

// Reads the tags in front of one line (blanks before them allowed): minutes of one to seven digits,
// seconds 00 to 59, an optional fraction of one to three digits. Empty tags "[]", which the export
// removes, are passed over among them; any other bracket ends the tags. Appends them to tags and
// returns where the line's text starts after them.
qsizetype readTimeTags(QStringView line, TimeTags& tags);

// The time of the line's first tag; nullopt for a line without one.
std::optional<qint64> firstTimeTag(QStringView line);

// Calls lineRead(start, end) for every line of text, in order: LF, CR LF and a lone CR all end a
// line, as old Mac files break them. The positions count in text; end excludes the break.
template <typename LineRead>
void forEachSheetLine(QStringView text, LineRead&& lineRead)
{
    for (qsizetype start = 0;;) {
        const qsizetype lf = text.indexOf(u'\n', start);
        const qsizetype end = lf < 0 ? text.size() : lf;
        // Before an LF, a CR ends the line; elsewhere it breaks it in two.
        for (qsizetype cr; (cr = text.sliced(start, end - start).indexOf(u'\r')) >= 0; start += cr + 1)
            lineRead(start, start + cr);
        lineRead(start, end);
        if (lf < 0)
            break;
        start = lf + 1;
    }
}
