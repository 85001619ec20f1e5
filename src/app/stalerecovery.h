// A recovery file left by a program that no longer runs, held by this one while it deals with it.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class RecoveryLock;

class StaleRecovery
{
public:
    // The newest recovery file in folder whose program has ended, its lock now held here so that
    // no other start offers it at the same time; null when there is none. Files of running
    // programs are passed over.
    static std::unique_ptr<StaleRecovery> claimNewest(const QString& folder);

    ~StaleRecovery();
    StaleRecovery(const StaleRecovery&) = delete;
    StaleRecovery& operator=(const StaleRecovery&) = delete;

    QString path() const;
    // The file's bytes; throws UserError when it cannot be read.
    QByteArray read() const;
    // Removes the file.
    void discard();
    // Renames the file to its name with ".bad" added, out of the way of later starts, and returns
    // that name. Throws UserError when even that fails.
    QString moveAside();

private:
    StaleRecovery(const QString& path, std::unique_ptr<RecoveryLock> lock);

    QString m_path;
    std::unique_ptr<RecoveryLock> m_lock;
};
