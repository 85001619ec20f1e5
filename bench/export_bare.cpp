// The floor of export_bench: the bare export, linked to Qt Core and glibc only. Removes every
// "[]" in one pass, ends the text with CR LF, converts it to GB18030 with iconv, and replaces the
// file atomically (a temporary file in its folder, written, synced, renamed over it).
//
//   export_bare FOLDER COUNT
//
// Exports the benchmark's sheet COUNT times into FOLDER and prints each time in milliseconds.
#include "export_sheet.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Qt::StringLiterals;

namespace {

QByteArray toGb18030(const QByteArray& utf8)
{
    iconv_t converter = iconv_open("GB18030", "UTF-8");
    if (converter == iconv_t(-1))
        return {};
    QByteArray out(utf8.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* to = out.data();
    size_t outLeft = size_t(out.size());
    const bool done = iconv(converter, &in, &inLeft, &to, &outLeft) != size_t(-1);
    iconv_close(converter);
    if (!done)
        return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

bool replaceFile(const std::string& path, const QByteArray& bytes)
{
    const std::string temporary = path + ".tmp";
    const int file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0)
        return false;
    const bool written = ::write(file, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(file) == 0;
    return ::close(file) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: export_bare FOLDER COUNT\n");
        return 2;
    }
    const std::string path = std::string(argv[1]) + "/bare.lrc";
    const int count = std::atoi(argv[2]);
    const QString sheet = exportbench::sheet();
    for (int run = 0; run < count; ++run) {
        QElapsedTimer clock;
        clock.start();
        const QString cleaned = QString(sheet).replace(u"[]"_s, QString()) + u"\r\n"_s;
        const QByteArray bytes = toGb18030(cleaned.toUtf8());
        if (bytes.isEmpty() || !replaceFile(path, bytes))
            return 1;
        std::printf("%.4f\n", double(clock.nsecsElapsed()) / 1e6);
    }
    return 0;
}
