// The lock file that marks a recovery file as its program's own while that program lives.
#pragma once

#include <QString>

#include <memory>

class RecoveryLock
{
public:
    // Takes the lock at path, making the file if needed; null while another program holds it. The
    // kernel lets go of it when its holder ends in any way, so a crashed program blocks nothing.
    static std::unique_ptr<RecoveryLock> tryTake(const QString& path);

    // Removes the lock file, then lets go.
    ~RecoveryLock();
    RecoveryLock(const RecoveryLock&) = delete;
    RecoveryLock& operator=(const RecoveryLock&) = delete;

private:
    RecoveryLock(const QString& path, int descriptor);

    QString m_path;
    int m_descriptor;
};
