// Replacing a file on disk so that it holds either the whole new content, synced, or exactly what it held before.
#include "lyrics/safefilewriter.h"

#include "common/usererror.h"
#include "lyrics/systemerrorreason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Linux gives up after 40 links in one path; so does the writer.
constexpr int kMaxLinks = 40;

// Opens whatever is under a name without following a link or reading it: on Linux a link, a FIFO
// or a device is only looked at; elsewhere a FIFO does not block and a link fails with ELOOP.
#ifdef O_PATH
constexpr int kLookFlags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
#else
constexpr int kLookFlags = O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
#endif

UserError writeError(const QString& path, const QString& reason)
{
    return UserError(u"无法写入文件“%1”：%2"_s.arg(path, reason));
}

// Closes the descriptor it holds when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int value)
        : fd(value)
    {}
    Descriptor(Descriptor&& other) noexcept
        : fd(std::exchange(other.fd, -1))
    {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now and says whether the system took the close without an error (NFS reports some here).
    bool close()
    {
        const int result = ::close(std::exchange(fd, -1));
        return result == 0 || errno == EINTR;
    }
};

// What the path names once its links are followed: a name in a folder held open.
struct Target
{
    Descriptor folder;
    // The file itself, held so that its inode number cannot go to another file before the rename.
    Descriptor file;
    QString folderPath;
    QByteArray name;
    bool exists = false;
    struct stat status
    {};

    QString path() const { return QDir(folderPath).filePath(QFile::decodeName(name)); }
};

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

// Opens one folder below base. O_NOFOLLOW: a link put under the name since it was looked at is not
// followed behind the rule's back. Wanted is the folder the user meant, for the message.
Descriptor openFolder(int base, const QString& folderPath, const QByteArray& native, const QString& path,
                      const QString& wanted)
{
    Descriptor folder(::openat(base, native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.fd >= 0)
        return folder;
    if (errno == ENOENT || errno == ENOTDIR)
        throw writeError(path, missingFolderReason(wanted));
    if (errno == ELOOP)
        throw writeError(path, u"写入期间文件被其他程序替换了"_s);
    if (errno == EACCES)
        throw writeError(path, u"没有打开文件夹“%1”的权限"_s.arg(folderPath));
    throw writeError(path, systemErrorReason(errno));
}

// The rule of Linux's fs.protected_symlinks, applied whether or not the system has it switched on:
// in a sticky folder everyone may write into, another user's link could point anywhere this user
// (root above all) may write.
bool mayFollow(const struct stat& folder, const struct stat& link)
{
    if (link.st_uid == geteuid())
        return true;
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH))
        return true;
    return link.st_uid == folder.st_uid;
}

QByteArray readLink(int folder, const QByteArray& name, const struct stat& link, const QString& path)
{
    QByteArray destination(qsizetype(link.st_size) + 1, '\0');
    const ssize_t length = ::readlinkat(folder, name.constData(), destination.data(), size_t(destination.size()));
    if (length < 0)
        throw writeError(path, systemErrorReason(errno));
    // A link changed while it was read: treat it as the swap it is.
    if (length >= destination.size())
        throw writeError(path, u"写入期间文件被其他程序替换了"_s);
    destination.truncate(length);
    return destination;
}

QString joined(const QString& folderPath, const QByteArray& name)
{
    return QDir::cleanPath(folderPath + u'/' + QFile::decodeName(name));
}

UserError refusedLink(const QString& path, const QString& link)
{
    return writeError(path, u"“%1”是其他用户放在共享文件夹中的符号链接，为了安全，不通过它写入"_s.arg(link));
}

// Walks the names from target.folder down, one folder at a time and never letting the system follow
// a link, so that target.folder ends as the folder of the last name and target.name as that name.
// A link on the way is followed here, by the rule of mayFollow. Links counts the links followed.
void walk(Target& target, QByteArrayList names, int& links, const QString& path)
{
    while (!names.isEmpty()) {
        const QByteArray name = names.takeFirst();
        if (names.isEmpty()) {
            target.name = name.isEmpty() ? "."_ba : name;
            return;
        }
        if (name.isEmpty() || name == "."_ba)
            continue;
        // What the rest would name, for a message about a folder that is not there.
        const QString wanted
            = joined(target.folderPath, QByteArrayList(names.begin(), names.end() - 1).join('/').prepend(name + '/'));
        struct stat status
        {};
        if (::fstatat(target.folder.fd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISLNK(status.st_mode)) {
            struct stat folder
            {};
            if (++links > kMaxLinks)
                throw writeError(path, systemErrorReason(ELOOP));
            if (::fstat(target.folder.fd, &folder) != 0)
                throw writeError(path, systemErrorReason(errno));
            if (!mayFollow(folder, status))
                throw refusedLink(path, joined(target.folderPath, name));
            const QByteArray destination = readLink(target.folder.fd, name, status, path);
            if (destination.startsWith('/')) {
                target.folder = openFolder(AT_FDCWD, u"/"_s, "/"_ba, path, u"/"_s);
                target.folderPath = u"/"_s;
            }
            names = destination.split('/') + names;
            continue;
        }
        const QString folderPath = joined(target.folderPath, name);
        target.folder = openFolder(target.folder.fd, folderPath, name, path, wanted);
        target.folderPath = folderPath;
    }
}

UserError notARegularFile(const QString& path)
{
    return UserError(u"“%1”不是普通文件，无法写入。"_s.arg(path));
}

Target locate(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        throw notARegularFile(path);
    Target target;
    target.folder = openFolder(AT_FDCWD, u"/"_s, "/"_ba, path, u"/"_s);
    target.folderPath = u"/"_s;
    int links = 0;
    walk(target, QFile::encodeName(info.absolutePath() + u'/' + info.fileName()).split('/'), links, path);
    for (;;) {
        target.file = Descriptor(::openat(target.folder.fd, target.name.constData(), kLookFlags));
        const int openError = errno;
        const bool looked = target.file.fd >= 0
            ? ::fstat(target.file.fd, &target.status) == 0
            : ::fstatat(target.folder.fd, target.name.constData(), &target.status, AT_SYMLINK_NOFOLLOW) == 0;
        if (!looked) {
            if (errno != ENOENT)
                throw writeError(path, systemErrorReason(errno));
            target.exists = false;
            return target;
        }
        if (target.file.fd < 0 && !S_ISLNK(target.status.st_mode))
            throw writeError(path, systemErrorReason(openError));
        if (S_ISREG(target.status.st_mode)) {
            target.exists = true;
            return target;
        }
        if (!S_ISLNK(target.status.st_mode))
            throw notARegularFile(path);
        if (++links > kMaxLinks)
            throw writeError(path, systemErrorReason(ELOOP));
        struct stat folder
        {};
        if (::fstat(target.folder.fd, &folder) != 0)
            throw writeError(path, systemErrorReason(errno));
        if (!mayFollow(folder, target.status))
            throw refusedLink(path, target.path());
        const QByteArray destination = readLink(target.folder.fd, target.name, target.status, path);
        if (destination.startsWith('/')) {
            target.folder = openFolder(AT_FDCWD, u"/"_s, "/"_ba, path, u"/"_s);
            target.folderPath = u"/"_s;
        }
        walk(target, destination.split('/'), links, path);
    }
}

QString temporaryName()
{
    return u".xiaoyun-lrc-%1.tmp"_s.arg(
        QString::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, u'0'));
}

// Opened with O_EXCL and O_NOFOLLOW, so nothing already under the name is ever written into.
Descriptor createTemporary(const Target& target, QByteArray& name, const QString& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = QFile::encodeName(temporaryName());
        const int fd
            = ::openat(target.folder.fd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return Descriptor(fd);
        if (errno == EEXIST)
            continue;
        if (errno == EACCES)
            throw writeError(path, u"没有在文件夹“%1”中写入的权限"_s.arg(target.folderPath));
        throw writeError(path, systemErrorReason(errno));
    }
    throw writeError(path, systemErrorReason(EEXIST));
}

// The old file's owner, group and mode bits go to the new one. Root may hand the file back to
// its owner; anyone else keeps their own and the group only where the system allows it.
void keepOwnerAndMode(int fd, const struct stat& old, const QString& path)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(fd, uid_t(-1), old.st_gid);
    if (::fchmod(fd, old.st_mode & 0777) != 0)
        throw writeError(path, systemErrorReason(errno));
}

void writeAll(int fd, const QByteArray& bytes, const QString& path)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw writeError(path, systemErrorReason(errno));
        }
        // A write that takes nothing yet reports no error would loop for ever.
        if (written == 0)
            throw writeError(path, systemErrorReason(ENOSPC));
        data += written;
        left -= written;
    }
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Between the look and the rename another program could have put something else under either
// name; the rename would then move a stranger's link or replace a file nobody looked at.
void checkNothingWasSwapped(const Target& target, const QByteArray& temporary, const struct stat& written,
                            const QString& path)
{
    struct stat now
    {};
    const UserError swapped = writeError(path, u"写入期间文件被其他程序替换了"_s);
    if (::fstatat(target.folder.fd, temporary.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(now, written))
        throw swapped;
    const bool exists = ::fstatat(target.folder.fd, target.name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        throw writeError(path, systemErrorReason(errno));
    if (exists != target.exists || (exists && (!sameFile(now, target.status) || !S_ISREG(now.st_mode))))
        throw swapped;
}

} // namespace

SafeFileWriter::SafeFileWriter(const QString& path)
    : m_path(path)
{}

void SafeFileWriter::setBeforeWrite(std::function<void()> hook)
{
    m_beforeWrite = std::move(hook);
}

void SafeFileWriter::write(const QByteArray& bytes) const
{
    if (m_path.isEmpty())
        throw writeError(m_path, u"没有给出文件名"_s);
    const Target target = locate(m_path);
    if (m_beforeWrite)
        m_beforeWrite();

    QByteArray temporary;
    Descriptor file = createTemporary(target, temporary, m_path);
    auto removeTemporary = qScopeGuard([&] { ::unlinkat(target.folder.fd, temporary.constData(), 0); });
    // Asked only now, so that a folder nobody may write into is named as the reason first. Root may
    // replace a read-only file, as the system lets it; for anyone else it is the user's "keep this".
    if (target.exists && ::faccessat(target.folder.fd, target.name.constData(), W_OK, AT_EACCESS) != 0
        && errno == EACCES)
        throw writeError(m_path, u"文件是只读的"_s);
    if (target.exists)
        keepOwnerAndMode(file.fd, target.status, m_path);
    writeAll(file.fd, bytes, m_path);
    // A full disk, a quota or a failing device may only show here, when the data reaches the disk.
    if (::fsync(file.fd) != 0)
        throw writeError(m_path, systemErrorReason(errno));
    struct stat written
    {};
    if (::fstat(file.fd, &written) != 0)
        throw writeError(m_path, systemErrorReason(errno));
    // Held past the close, so that the temporary file's inode number stays its own until the rename.
    const Descriptor pin(::dup(file.fd));
    if (pin.fd < 0 || !file.close())
        throw writeError(m_path, systemErrorReason(errno));
    checkNothingWasSwapped(target, temporary, written, m_path);
    if (::renameat(target.folder.fd, temporary.constData(), target.folder.fd, target.name.constData()) != 0) {
        if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST)
            throw notARegularFile(m_path);
        throw writeError(m_path, systemErrorReason(errno));
    }
    removeTemporary.dismiss();
    // Without this a power cut could bring back the old name's entry. Some file systems cannot
    // sync a folder at all (EINVAL); they have nothing to sync.
    if (::fsync(target.folder.fd) != 0 && errno != EINVAL && errno != EROFS) {
        throw writeError(m_path, u"新文件已经写好，但无法确认它已保存到磁盘上：%1"_s.arg(systemErrorReason(errno)));
    }
}

void writeFileSafely(const QString& path, const QByteArray& bytes)
{
    SafeFileWriter(path).write(bytes);
}
