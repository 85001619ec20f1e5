// This program's own recovery file in the user's state folder: written whole or not at all.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

class RecoveryLock;

class RecoveryStore
{
public:
    // $XDG_STATE_HOME/xiaoyun-lrc, or ~/.local/state/xiaoyun-lrc when the variable is unset or not absolute.
    static QString defaultFolder();
    // The names of a recovery file and of the lock that goes with it.
    static QString recoverySuffix();
    static QString lockPathFor(const QString& recoveryPath);
    // Added to a recovery file's name while its next content is written.
    static QString temporarySuffix();

    // Names a file of its own in folder, under the process id and a random part, so that two
    // programs, or two windows of one, never share it. Nothing is made on disk before the first write.
    explicit RecoveryStore(const QString& folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    QString path() const;

    // Replaces the file with bytes through a synced temporary file and a rename, so that a crash
    // or a power cut leaves the old content or the new, never a mix. Makes the folder (0700) and
    // takes the lock on first use. Throws UserError with the reason in Chinese. Any thread.
    void write(const QByteArray& bytes);
    // Removes the file if there is one. Any thread.
    void remove();

private:
    QString m_folder;
    QString m_path;
    std::mutex m_mutex;
    std::unique_ptr<RecoveryLock> m_lock;
};
