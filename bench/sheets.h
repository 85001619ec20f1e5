// The long sheets the benchmarks load, export, save and edit, made in one place so that a benchmark
// and its floor work on the same text. Qt Core only and header-only, so that a floor can include it
// and still be linked to nothing of the program.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace sheets {

using namespace Qt::StringLiterals;

// A time in hundredths of a second as a tag's "mm:ss.xx".
inline QString tag(int centiseconds)
{
    return u"%1:%2.%3"_s.arg(centiseconds / 6000, 2, 10, QLatin1Char('0'))
        .arg(centiseconds / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(centiseconds % 100, 2, 10, QLatin1Char('0'));
}

// The lyrics the sheets take in turn: lines of different lengths, full-width punctuation, a chorus
// mark and a dash, as real Chinese lyrics have them.
inline const QStringList& phrases()
{
    static const QStringList phrases = {
        u"风吹过山岗的时候，你在远方轻轻唱"_s,
        u"那年夏天的雨落满了整条街"_s,
        u"我把思念写进星光里"_s,
        u"月光洒在窗前的小路上"_s,
        u"走过的春天还留在心里，不曾老去"_s,
        u"海浪一遍遍诉说着从前"_s,
        u"灯火阑珊处，谁还在等候"_s,
        u"（合）啦啦啦 — 一起唱吧！"_s,
        u"晓风残月，一梦千年"_s,
        u"把故事留给明天的我们"_s,
    };
    return phrases;
}

// What stands between a line's first tag and its lyric. Every fifth line (the first among them)
// has a repeat tag 15 minutes after the first one.
enum class SecondTag {
    None, // "[00:03.47]…" on every line
    RepeatOnly, // "[00:00.00][15:00.00]…", the other lines "[00:03.47]…"
    EmptyOrRepeat, // "[00:00.00][15:00.00]…", the other lines "[00:03.47][]…", as the grid's pages leave them
};

// Line number `line` of a sheet whose tags advance by `step` hundredths a line from 00:00.00, its
// lyric taken from `lyrics` in turn; without a line end.
inline QString taggedLine(int line, int step, SecondTag second, const QStringList& lyrics)
{
    const int at = line * step;
    QString text = u'[' + tag(at) + u']';
    if (line % 5 == 0 && second != SecondTag::None)
        text += u'[' + tag(at + 90000) + u']';
    else if (second == SecondTag::EmptyOrRepeat)
        text += u"[]"_s;
    return text + lyrics[line % lyrics.size()];
}

// `lines` lines made by taggedLine, each ended by `end`.
inline QString taggedSheet(int lines, int step, SecondTag second, const QStringList& lyrics, QStringView end)
{
    QString sheet;
    for (int line = 0; line < lines; ++line) {
        sheet += taggedLine(line, step, second, lyrics);
        sheet += end;
    }
    return sheet;
}

// A sheet as pages of the grid commit it: a tag and an empty second one, every fifth line a repeat
// tag, every seventh row of the grid left empty ("[][]"), the ten phrases, CR LF line ends.
inline QString pageSheet(int lines)
{
    QString sheet;
    for (int line = 0; line < lines; ++line)
        sheet += (line % 7 == 6 ? u"[][]"_s : taggedLine(line, 347, SecondTag::EmptyOrRepeat, phrases())) + u"\r\n"_s;
    return sheet;
}

// "[mm:ss.50]这是第N行歌词，月光洒在窗前" for N from 0, a second apart, each ended by `end`; with
// secondTagEmpty an empty "[]" after the tag, as a page of the grid leaves it. shift_bare (plain
// C++, no Qt) makes the same lines itself: change both together.
inline QString numberedSheet(int lines, bool secondTagEmpty, QStringView end = u"\r\n")
{
    QString sheet;
    for (int line = 0; line < lines; ++line) {
        sheet += u'[' + tag(line / 60 % 100 * 6000 + line % 60 * 100 + 50) + u']';
        if (secondTagEmpty)
            sheet += u"[]"_s;
        sheet += u"这是第"_s + QString::number(line) + u"行歌词，月光洒在窗前"_s;
        sheet += end;
    }
    return sheet;
}

} // namespace sheets
