// The LRC file: the cleaned sheet as code page 936 bytes, and their atomic write to disk.
#include "lyrics/lrcfile.h"

#include "common/usererror.h"
#include "lyrics/gbkcodec.h"
#include "lyrics/systemerrorreason.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
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

UserError writeError(const QString& path, const QString& reason)
{
    return UserError(u"无法写入文件“%1”：%2"_s.arg(path, reason));
}

// A reason found by looking at the path says more than the system's error code: which folder is
// missing or may not be written into.
QString failureReason(const QString& path, int error)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return missingFolderReason(folder.filePath());
    if (!folder.isWritable())
        return u"没有在文件夹“%1”中写入的权限"_s.arg(folder.filePath());
    if (target.exists() && !target.isWritable())
        return u"文件是只读的"_s;
    return systemErrorReason(error);
}

// Once the file is open, a failure is about the disk, not the path. QSaveFile reports a short
// write without an error of its own, so errno (cleared before the call) carries the cause.
QString writeFailureReason(int error)
{
    return error != 0 ? systemErrorReason(error) : u"写入没有完成"_s;
}

// A device, a pipe, a socket or a folder under the chosen name would be replaced by a plain
// file (or, for a device, written into), which is never what the user meant.
void refuseNonRegularFile(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        throw UserError(u"“%1”不是普通文件，无法写入。"_s.arg(path));
}

// QSaveFile copies the old file's permissions, but through QFileInfo, whose "user" flags say what
// this process may do: for root they add write permission, which Qt then sets for the owner, so
// a read-only file came back writable. Only the owner, group and other bits are the file's.
void keepPermissions(const QString& path, QSaveFile& file)
{
    if (!QFileInfo::exists(path))
        return;
    const QFileDevice::Permissions userFlags = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    file.setPermissions(QFile::permissions(path) & ~userFlags);
}

bool writeAll(QSaveFile& file, const QByteArray& bytes)
{
    errno = 0;
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

QByteArray lrcFileBytes(const QString& sheet, LrcEncoding encoding)
{
    const QString text = withCrLfLineBreaks(sheet) + u"\r\n"_s;
    return encoding == LrcEncoding::Utf8 ? text.toUtf8() : encodeCodePage936(text);
}

void writeLrcFile(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        throw writeError(path, u"没有给出文件名"_s);
    refuseNonRegularFile(path);
    QSaveFile file(path);
    // Writing in place when the folder takes no new file would truncate the old file first.
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw writeError(path, failureReason(path, errno));
    keepPermissions(path, file);
    if (!writeAll(file, bytes))
        throw writeError(path, writeFailureReason(errno));
}
