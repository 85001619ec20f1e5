// The LRC file: the cleaned sheet as code page 936 bytes, and their atomic write to disk.
#include "lyrics/lrcfile.h"

#include "lyrics/gbkcodec.h"
#include "lyrics/lrcwriteerror.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator
        || c == QChar::LineSeparator;
}

// Copies the text in runs between the breaks that need rewriting; a sheet that already has
// only CR LF (the usual case) is a single copy.
QString withCrLfLineBreaks(const QString& text)
{
    const QStringView view(text);
    QString result;
    result.reserve(text.size() + 2);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!isLineBreak(view[i]))
            continue;
        if (view[i] == u'\r' && i + 1 < view.size() && view[i + 1] == u'\n') {
            ++i;
            continue;
        }
        result += view.sliced(runStart, i - runStart);
        result += u"\r\n";
        runStart = i + 1;
    }
    result += view.sliced(runStart);
    return result;
}

// Why a folder that should hold the file is not there: either it is missing, or something
// on the way to it is a file.
QString missingFolderReason(const QString& folder)
{
    QFileInfo ancestor(folder);
    while (!ancestor.exists() && !ancestor.isRoot())
        ancestor.setFile(ancestor.absolutePath());
    if (ancestor.exists() && !ancestor.isDir())
        return u"“%1”是一个文件，不是文件夹"_s.arg(ancestor.filePath());
    return u"文件夹“%1”不存在"_s.arg(folder);
}

// The reasons a user can act on are told in Chinese; anything else (a full disk, an I/O
// error) keeps the system's own words.
QString failureReason(const QString& path, const QString& systemReason)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (target.isDir())
        return u"这是一个文件夹，不是文件"_s;
    if (!folder.isDir())
        return missingFolderReason(folder.filePath());
    if (!folder.isWritable())
        return u"没有在文件夹“%1”中写入的权限"_s.arg(folder.filePath());
    if (target.exists() && !target.isWritable())
        return u"文件是只读的"_s;
    return systemReason;
}

// Once the file is open, a failure is about the disk, not the path. QSaveFile reports a short
// write without an error of its own, so errno (cleared before the call) carries the cause.
QString writeFailureReason(const QSaveFile& file, int error)
{
    switch (error) {
    case ENOSPC:
        return u"磁盘空间不足"_s;
    case EDQUOT:
        return u"超出了磁盘配额"_s;
    case EFBIG:
        return u"文件超过了系统允许的大小"_s;
    }
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : u"写入没有完成"_s;
}

bool writeAll(QSaveFile& file, const QByteArray& bytes)
{
    errno = 0;
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

QByteArray lrcFileBytes(const QString& sheet)
{
    return encodeCodePage936(withCrLfLineBreaks(sheet) + u"\r\n"_s);
}

void writeLrcFile(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        throw LrcWriteError(path, u"没有给出文件名"_s);
    QSaveFile file(path);
    // Writing in place when the folder takes no new file would truncate the old file first.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw LrcWriteError(path, failureReason(path, file.errorString()));
    if (!writeAll(file, bytes))
        throw LrcWriteError(path, writeFailureReason(file, errno));
}
