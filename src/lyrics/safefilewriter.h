// Replacing a file on disk so that it holds either the whole new content, synced, or exactly what it held before.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Writes a temporary file in the target's folder, checks every write, syncs it, renames it over the
// target and syncs the folder. All of it works from the folder's descriptor, so the file that was
// looked at is the one replaced. A symbolic link as the target is followed as Linux's
// protected_symlinks rule allows: in a sticky folder everyone may write into (/tmp), only a link
// of this user or of the folder's owner. Errors are UserError, naming the path and the reason in
// Chinese; after one, the old file is as it was and no temporary file is left.
class SafeFileWriter
{
public:
    explicit SafeFileWriter(const QString& path);

    // Runs once the target has been looked at and before anything is written: the moment another
    // program would have to change the folder to make the write land somewhere else.
    void setBeforeWrite(std::function<void()> hook);

    // Replaces the file (or makes it) with bytes. The path is used as given, no extension added.
    void write(const QByteArray& bytes) const;

private:
    QString m_path;
    std::function<void()> m_beforeWrite;
};

// SafeFileWriter(path).write(bytes): for any file the program keeps.
void writeFileSafely(const QString& path, const QByteArray& bytes);
