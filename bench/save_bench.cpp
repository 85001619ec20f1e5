// Time of saving a 10,000-line sheet with the sync, beside save_bare's plain write, fsync and rename of the same bytes.
#include "figures/figures.h"
#include "lyrics/lrcfile.h"
#include "sheets.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 10000;
constexpr int kRounds = 25;

// One tag a line, eight of the phrases (the chorus line left out).
QString sheet()
{
    QStringList lyrics = sheets::phrases().first(9);
    lyrics.removeAt(7);
    return sheets::taggedSheet(kLines, 347, sheets::SecondTag::None, lyrics, u"\r\n");
}

// One save in a fresh process, as the floor is: "export" times the encoding and the write, "write"
// the write of bytes encoded beforehand.
int once(const QString& what, const QString& path)
{
    const QString text = sheet();
    QElapsedTimer timer;
    if (what == u"write"_s) {
        const QByteArray bytes = lrcFileBytes(text);
        timer.start();
        writeLrcFile(path, bytes);
    } else {
        timer.start();
        writeLrcFile(path, lrcFileBytes(text));
    }
    std::printf("%.4f\n", double(timer.nsecsElapsed()) / 1e6);
    return 0;
}

double runChild(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.start(program, arguments);
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), child.readAllStandardError().constData());
        std::exit(1);
    }
    return child.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments[1] == u"--once"_s)
        return once(arguments[2], arguments[3]);

    // Beside the build, on the disk a user's files are on, not in a tmpfs where a sync costs nothing.
    QTemporaryDir dir(QDir::currentPath() + u"/save_bench-XXXXXX"_s);
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QByteArray bytes = lrcFileBytes(sheet());
    const QString bytesFile = dir.filePath(u"sheet.bytes"_s);
    QFile out(bytesFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return 1;
    out.close();
    const QString target = u"歌词.lrc"_s;
    std::vector<double> exports, writes, bare;
    // Alternated, so that a busy moment of the machine falls on all three alike; every save replaces
    // the file the one before left.
    for (int round = 0; round < kRounds; ++round) {
        exports.push_back(runChild(app.applicationFilePath(), {u"--once"_s, u"export"_s, dir.filePath(target)}));
        writes.push_back(runChild(app.applicationFilePath(), {u"--once"_s, u"write"_s, dir.filePath(target)}));
        bare.push_back(runChild(QStringLiteral(LRC_SAVE_BARE), {bytesFile, dir.path(), target}));
    }
    std::printf("save of a %d-line sheet (%lld bytes) over the file the save before left, %d rounds alternated; "
                "each save runs in a fresh process and is timed there around the save alone (the program: "
                "writeLrcFile; the floor, save_bare in C: write, fsync, rename, fsync of the folder)\n",
                kLines, static_cast<long long>(bytes.size()), kRounds);
    figures::printTableHeader();
    figures::printRow("save of 10,000 lines with the sync, median", figures::median(writes), figures::median(bare),
                      "ms");
    figures::printRow("save of 10,000 lines with the sync, worst", figures::worst(writes), figures::worst(bare), "ms");
    figures::printRow("export of 10,000 lines (encoding and save), median", figures::median(exports),
                      figures::median(bare), "ms");
    figures::printRow("export of 10,000 lines (encoding and save), worst", figures::worst(exports),
                      figures::worst(bare), "ms");
    return 0;
}
