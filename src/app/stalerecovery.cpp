// A recovery file left by a program that no longer runs, held by this one while it deals with it.
#include "app/stalerecovery.h"

#include "app/recoverylock.h"
#include "app/recoverystore.h"
#include "common/usererror.h"
#include "lyrics/systemerrorreason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

std::unique_ptr<StaleRecovery> StaleRecovery::claimNewest(const QString& folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList({u"*"_s + RecoveryStore::recoverySuffix()},
                                                           QDir::Files | QDir::Hidden, QDir::Time);
    for (const QFileInfo& file : files) {
        const QString path = file.absoluteFilePath();
        std::unique_ptr<RecoveryLock> lock = RecoveryLock::tryTake(RecoveryStore::lockPathFor(path));
        // Its program may have removed it between the listing and the lock.
        if (lock && QFileInfo::exists(path))
            return std::unique_ptr<StaleRecovery>(new StaleRecovery(path, std::move(lock)));
    }
    return nullptr;
}

StaleRecovery::StaleRecovery(const QString& path, std::unique_ptr<RecoveryLock> lock)
    : m_path(path)
    , m_lock(std::move(lock))
{}

StaleRecovery::~StaleRecovery() = default;

QString StaleRecovery::path() const
{
    return m_path;
}

QByteArray StaleRecovery::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(u"无法读取恢复文件“%1”：%2"_s.arg(QDir::toNativeSeparators(m_path), file.errorString()));
    return file.readAll();
}

void StaleRecovery::discard()
{
    QFile::remove(m_path);
    // What its program was writing when it ended, if anything.
    QFile::remove(m_path + RecoveryStore::temporarySuffix());
}

QString StaleRecovery::moveAside()
{
    const QString aside = m_path + u".bad"_s;
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) != 0)
        throw UserError(
            u"无法把恢复文件“%1”移开：%2"_s.arg(QDir::toNativeSeparators(m_path), systemErrorReason(errno)));
    return aside;
}
