// An LRC file read back into a sheet: checked, decoded, its closing line end taken off.
#include "lyrics/lrcreader.h"

#include "common/usererror.h"
#include "lyrics/systemerrorreason.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

UserError readError(const QString& path, int error)
{
    // The shared reasons speak of writing where the permission is missing.
    const QString reason = error == EACCES ? u"没有读取的权限"_s : systemErrorReason(error);
    return UserError(u"无法读取文件“%1”：%2"_s.arg(path, reason));
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {}
    ~FileDescriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// Reads to the end, but never more than one byte past the limit: a file that grows while it is
// read is still found too large.
QByteArray readAtMost(const QString& path, int descriptor, qint64 expectedSize)
{
    QByteArray bytes(qMin(expectedSize, kMaxLrcFileBytes) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > kMaxLrcFileBytes)
                break;
            bytes.resize(qMin<qsizetype>(bytes.size() * 2, kMaxLrcFileBytes + 1));
        }
        const ssize_t got = ::read(descriptor, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw readError(path, errno);
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

UserError tooLarge(const QString& path)
{
    return UserError(u"“%1”超过 16 MiB，无法打开。"_s.arg(path));
}

} // namespace

QString withoutClosingLineEnd(QString text)
{
    if (text.endsWith(u"\r\n"_s))
        text.chop(2);
    else if (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

OpenedLrc readLrcFile(const QString& path)
{
    // Not blocking: a named pipe would wait for a writer before it could be refused.
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        throw readError(path, errno);
    struct stat status;
    if (::fstat(file.get(), &status) != 0)
        throw readError(path, errno);
    if (!S_ISREG(status.st_mode))
        throw UserError(u"“%1”不是普通文件，无法打开。"_s.arg(path));
    if (status.st_size > kMaxLrcFileBytes)
        throw tooLarge(path);
    const QByteArray bytes = readAtMost(path, file.get(), status.st_size);
    if (bytes.size() > kMaxLrcFileBytes)
        throw tooLarge(path);
    std::optional<DecodedText> decoded = decodeText(bytes);
    if (!decoded)
        throw UserError(u"“%1”不是文本文件，无法打开。"_s.arg(path));
    return {withoutClosingLineEnd(std::move(decoded->text)), decoded->encoding};
}
