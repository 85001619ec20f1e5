// The lock file that marks a recovery file as its program's own while that program lives.
#include "app/recoverylock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::unique_ptr<RecoveryLock> RecoveryLock::tryTake(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return nullptr;
    // A holder removes the file before it lets go, so a lock won on a file that is no longer
    // under this name was won on a leftover: another program may be making the name anew.
    struct stat held = {};
    struct stat named = {};
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 || ::fstat(descriptor, &held) != 0
        || ::stat(name.constData(), &named) != 0 || held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<RecoveryLock>(new RecoveryLock(path, descriptor));
}

RecoveryLock::RecoveryLock(const QString& path, int descriptor)
    : m_path(path)
    , m_descriptor(descriptor)
{}

RecoveryLock::~RecoveryLock()
{
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_descriptor);
}
