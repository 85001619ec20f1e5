// A small file system mounted by a test (a tmpfs, or ext4 in an image file), to make a full or read-only disk for real.
#pragma once

#include <QString>
#include <QTemporaryDir>

// Mounting needs root; where it is refused, failure() says why and the test skips. The destructor
// unmounts, also when the test failed half-way, and leaves no loop device behind.
class ScratchMount
{
public:
    enum class Kind {
        // A tmpfs of the given size.
        Tmpfs,
        // ext4 in an image file, with no reserve for root.
        Ext4,
        // ext4 whose image lies on a tmpfs smaller than it: the file system sees free space, the
        // disk under it runs out only when the data is written back, so the error comes at the sync.
        Ext4OnShortDisk,
    };

    ScratchMount(Kind kind, qint64 bytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    // Empty when mounted.
    QString failure() const { return m_failure; }
    QString path() const { return m_mountPoint; }

    // Takes every byte left (for Ext4OnShortDisk: of the disk under the file system) with a
    // file outside path()'s listing where it can; false with failure() set when that did not work.
    bool fill();
    bool remountReadOnly();

private:
    bool mountTmpfs(const QString& at, qint64 bytes);
    bool mountImage(const QString& image, qint64 bytes, const QString& at);
    void unmount(const QString& at);

    QTemporaryDir m_root;
    QString m_failure;
    QString m_mountPoint;
    // The tmpfs that holds the image, for Ext4OnShortDisk.
    QString m_backing;
    QString m_fillerFolder;
    QStringList m_mounted;
};
