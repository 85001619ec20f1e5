// This program's own recovery file in the user's state folder: written whole or not at all.
#include "app/recoverystore.h"

#include "app/recoverylock.h"
#include "common/usererror.h"
#include "lyrics/systemerrorreason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void failed(const QString& path, int error)
{
    throw UserError(u"无法写入恢复文件“%1”：%2"_s.arg(QDir::toNativeSeparators(path), systemErrorReason(error)));
}

bool writeAll(int descriptor, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// What is typed there is the user's own: nobody else needs to read it. A file in the folder's
// place shows up when the lock is made in it.
void makeFolder(const QString& folder)
{
    const QString parent = QFileInfo(folder).path();
    if (!QDir().mkpath(parent))
        failed(parent, EACCES);
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        failed(folder, errno);
}

} // namespace

QString RecoveryStore::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/xiaoyun-lrc"_s;
}

QString RecoveryStore::recoverySuffix()
{
    return u".recovery"_s;
}

QString RecoveryStore::lockPathFor(const QString& recoveryPath)
{
    QString lock = recoveryPath;
    lock.chop(recoverySuffix().size());
    return lock + u".lock"_s;
}

QString RecoveryStore::temporarySuffix()
{
    return u".new"_s;
}

RecoveryStore::RecoveryStore(const QString& folder)
    : m_folder(folder)
{
    const QString own = u"%1-%2"_s.arg(QCoreApplication::applicationPid())
                            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    m_path = folder + u'/' + own + recoverySuffix();
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::path() const
{
    return m_path;
}

void RecoveryStore::write(const QByteArray& bytes)
{
    const std::lock_guard guard(m_mutex);
    if (!m_lock) {
        makeFolder(m_folder);
        errno = 0;
        m_lock = RecoveryLock::tryTake(lockPathFor(m_path));
        if (!m_lock)
            failed(lockPathFor(m_path), errno ? errno : EWOULDBLOCK);
    }
    const QByteArray target = QFile::encodeName(m_path);
    const QByteArray temporary = QFile::encodeName(m_path + temporarySuffix());
    const int descriptor = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        failed(m_path, errno);
    const bool written = writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    const int writeError = errno;
    if (::close(descriptor) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.constData());
        failed(m_path, error);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        failed(m_path, error);
    }
    // The rename itself lives in the folder: sync it too, or a power cut may bring back the old name.
    const int folder = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void RecoveryStore::remove()
{
    const std::lock_guard guard(m_mutex);
    ::unlink(QFile::encodeName(m_path).constData());
}
