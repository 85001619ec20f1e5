// Time of the LRC export of a long sheet: cleaning, code page 936 encoding and the atomic write.
#include "lyrics/gbkcodec.h"
#include "lyrics/lrcfile.h"
#include "lyrics/sheetcleaner.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 10000;
constexpr int kRuns = 20;

const QStringList kPhrases = {
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

QString tag(int centiseconds)
{
    return u"%1:%2.%3"_s.arg(centiseconds / 6000, 2, 10, QLatin1Char('0'))
        .arg(centiseconds / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(centiseconds % 100, 2, 10, QLatin1Char('0'));
}

// Lines as pages of the grid leave them: mostly one tag and an empty second one, some with a
// repeat tag, and the odd row left empty.
QString realisticSheet()
{
    QString sheet;
    for (int line = 0; line < kLines; ++line) {
        const int at = line * 347;
        if (line % 7 == 6)
            sheet += u"[][]\r\n"_s;
        else if (line % 5 == 0)
            sheet += u'[' + tag(at) + u"]["_s + tag(at + 90000) + u']' + kPhrases[line % kPhrases.size()] + u"\r\n"_s;
        else
            sheet += u'[' + tag(at) + u"][]"_s + kPhrases[line % kPhrases.size()] + u"\r\n"_s;
    }
    return sheet;
}

void report(const char* what, std::vector<double> milliseconds)
{
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%s %d lines: median %.2f ms, worst %.2f ms (%d runs)\n", what, kLines,
                milliseconds[milliseconds.size() / 2], milliseconds.back(), int(milliseconds.size()));
}

std::vector<double> timed(const std::function<void()>& work)
{
    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        milliseconds.push_back(timer.nsecsElapsed() / 1e6);
    }
    return milliseconds;
}

} // namespace

int main()
{
    const QString sheet = realisticSheet();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString path = dir.filePath(u"歌词.lrc"_s);
    qsizetype fileSize = 0;
    // The first run is counted: it is the one that loads glibc's conversion modules.
    report("export", timed([&] {
               const QByteArray bytes = lrcFileBytes(removeEmptyTags(sheet));
               writeLrcFile(path, bytes);
               fileSize = bytes.size();
           }));
    const QString cleaned = removeEmptyTags(sheet);
    report("encode", timed([&] { fileSize = encodeCodePage936(cleaned).size(); }));
    // Characters outside code page 936 take the slower per-character way.
    const QString withEmoji = QString(cleaned).replace(u"\r\n"_s, u"\U0001F3B5\r\n"_s);
    report("encode (an emoji on every line)", timed([&] { encodeCodePage936(withEmoji); }));
    std::printf("file size %lld bytes\n", static_cast<long long>(fileSize));
    return 0;
}
