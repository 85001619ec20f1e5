// A small file system mounted by a test (a tmpfs, or ext4 in an image file), to make a full or read-only disk for real.
#include "support/scratchmount.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Runs a tool and keeps what it said when it failed.
bool run(const QString& program, const QStringList& arguments, QString& failure)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    failure = u"%1 %2 failed: %3%4"_s.arg(program, arguments.join(u' '), process.errorString(),
                                          QString::fromLocal8Bit(process.readAll()));
    return false;
}

// Appends until the file system takes not one more byte, syncing between rounds: ext4 reserves
// room for data it has not placed yet and gives back what it did not need once the data is out.
// tookAny says whether any byte was taken; false on an error other than a full disk.
bool appendUntilFull(int fd, const QString& path, bool& tookAny, QString& failure)
{
    const QByteArray chunk(64 * 1024, 'f');
    // Full once a round right after a sync takes nothing.
    for (bool tookSome = true; tookSome;) {
        if (::fsync(fd) != 0) {
            failure = u"syncing %1: %2"_s.arg(path, systemError());
            return false;
        }
        tookSome = false;
        for (qsizetype size = chunk.size(); size > 0; size /= 2) {
            while (::write(fd, chunk.constData(), size_t(size)) > 0)
                tookSome = tookAny = true;
            if (errno != ENOSPC) {
                failure = u"filling %1: %2"_s.arg(path, systemError());
                return false;
            }
        }
    }
    return true;
}

// Closing the filler gives back the blocks ext4 had set aside for it beyond its end, so it is
// opened again until a whole open, fill and close takes nothing.
bool fillFile(const QString& path, QString& failure)
{
    for (bool tookAny = true; tookAny;) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) {
            failure = u"cannot make %1: %2"_s.arg(path, systemError());
            return false;
        }
        tookAny = false;
        const bool filled = appendUntilFull(fd, path, tookAny, failure);
        ::close(fd);
        if (!filled)
            return false;
    }
    return true;
}

} // namespace

ScratchMount::ScratchMount(Kind kind, qint64 bytes)
{
    if (!m_root.isValid()) {
        m_failure = u"no temporary folder"_s;
        return;
    }
    if (::geteuid() != 0) {
        m_failure = u"mounting a file system needs root"_s;
        return;
    }
    const QString at = m_root.filePath(u"mount"_s);
    QDir().mkpath(at);
    bool mounted = false;
    if (kind == Kind::Tmpfs) {
        mounted = mountTmpfs(at, bytes);
        m_fillerFolder = at;
    } else if (kind == Kind::Ext4) {
        mounted = mountImage(m_root.filePath(u"disk.img"_s), bytes, at);
        m_fillerFolder = at;
    } else {
        m_backing = m_root.filePath(u"backing"_s);
        QDir().mkpath(m_backing);
        mounted = mountTmpfs(m_backing, bytes)
            && mountImage(m_backing + u"/disk.img"_s, std::max<qint64>(3 * bytes, 8 << 20), at);
        m_fillerFolder = m_backing;
    }
    // The test works in a folder of its own, so the filler is not in what it lists.
    m_mountPoint = at + u"/work"_s;
    if (mounted && !QDir().mkpath(m_mountPoint))
        m_failure = u"cannot make %1"_s.arg(m_mountPoint);
}

ScratchMount::~ScratchMount()
{
    for (auto it = m_mounted.crbegin(); it != m_mounted.crend(); ++it)
        unmount(*it);
}

bool ScratchMount::mountTmpfs(const QString& at, qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_failure = u"mounting a tmpfs was refused: %1"_s.arg(systemError());
        return false;
    }
    m_mounted << at;
    return true;
}

bool ScratchMount::mountImage(const QString& image, qint64 bytes, const QString& at)
{
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes)) {
        m_failure = u"cannot make the image %1"_s.arg(image);
        return false;
    }
    file.close();
    // No journal and lazy tables keep the image sparse; no reserve, so root sees the disk full too.
    // Blocks of a page's size: a free block never shares a page of the disk under it with a used one,
    // which would already be there and let a short write through.
    if (!run(u"mkfs.ext4"_s,
             {u"-q"_s, u"-F"_s, u"-m"_s, u"0"_s, u"-b"_s, u"4096"_s, u"-O"_s, u"^has_journal"_s, u"-E"_s,
              u"lazy_itable_init=1,lazy_journal_init=1"_s, image},
             m_failure))
        return false;
    if (!run(u"mount"_s, {u"-o"_s, u"loop,errors=continue"_s, image, at}, m_failure))
        return false;
    m_mounted << at;
    return true;
}

void ScratchMount::unmount(const QString& at)
{
    const QByteArray native = QFile::encodeName(at);
    if (::umount2(native.constData(), 0) != 0)
        ::umount2(native.constData(), MNT_DETACH);
}

bool ScratchMount::fill()
{
    // What is written so far goes to the disk first, so that only new data meets the full disk.
    const int fd = ::open(QFile::encodeName(m_mountPoint).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    return fillFile(m_fillerFolder + u"/filler"_s, m_failure);
}

bool ScratchMount::remountReadOnly()
{
    const QByteArray native = QFile::encodeName(m_mounted.constLast());
    if (::mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        m_failure = u"remounting read-only was refused: %1"_s.arg(systemError());
        return false;
    }
    return true;
}
