// Every file and folder below a folder, so that a test can see that nothing was left behind.
#pragma once

#include <QDir>
#include <QDirIterator>
#include <QStringList>

inline QStringList treeOf(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}
