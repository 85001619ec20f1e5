// The sheet the export benchmark and its floor both export: 10,000 lines as pages of the grid
// leave them. Qt only, so that the floor stays linked to nothing of the program.
#pragma once

#include <QString>
#include <QStringList>

namespace exportbench {

using namespace Qt::StringLiterals;

constexpr int kLines = 10000;
// Exports timed in each round; the program and the floor take turns for kRounds rounds.
constexpr int kExportsPerRound = 5;
constexpr int kRounds = 6;

inline QString tag(int centiseconds)
{
    return u"%1:%2.%3"_s.arg(centiseconds / 6000, 2, 10, QLatin1Char('0'))
        .arg(centiseconds / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(centiseconds % 100, 2, 10, QLatin1Char('0'));
}

// Mostly one tag and an empty second one, some with a repeat tag, and the odd row left empty.
inline QString sheet()
{
    const QStringList phrases = {
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
    QString text;
    for (int line = 0; line < kLines; ++line) {
        const int at = line * 347;
        if (line % 7 == 6)
            text += u"[][]\r\n"_s;
        else if (line % 5 == 0)
            text += u'[' + tag(at) + u"]["_s + tag(at + 90000) + u']' + phrases[line % phrases.size()] + u"\r\n"_s;
        else
            text += u'[' + tag(at) + u"][]"_s + phrases[line % phrases.size()] + u"\r\n"_s;
    }
    return text;
}

} // namespace exportbench
