// Saving on a full or read-only disk, through symbolic links and while another program swaps the target: the old file
// survives.
#include "common/usererror.h"
#include "lyrics/lrcfile.h"
#include "lyrics/safefilewriter.h"
#include "support/foldertree.h"
#include "support/scratchmount.h"
#include "support/testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ScratchMount::Kind)

class TestSafeFileWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fullDisk_data();
    void fullDisk();
    void readOnlyFileSystem_data();
    void readOnlyFileSystem();
    void links_data();
    void links();
    void swapBetweenCheckAndWrite_data();
    void swapBetweenCheckAndWrite();
};

namespace {

const QByteArray kOldContent = "[00:01.00]\xBE\xC9\xB8\xE8\xB4\xCA\r\n[00:02.00]old line\r\n\r\n"_ba;

QByteArray shortSheet()
{
    return lrcFileBytes(u"[00:12.50]第一句"_s);
}

QByteArray longSheet()
{
    QString sheet;
    for (int line = 0; line < 10000; ++line)
        sheet += u"[%1:%2.00][]第%3句歌词，一行长一些的歌词\r\n"_s.arg(line / 60, 2, 10, QLatin1Char('0'))
                     .arg(line % 60, 2, 10, QLatin1Char('0'))
                     .arg(line);
    return lrcFileBytes(sheet);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba;
}

bool createFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The message of the write's error, or "<written>" when it did not fail.
QString writeAndCatch(const QString& path, const QByteArray& bytes)
{
    try {
        writeLrcFile(path, bytes);
        return u"<written>"_s;
    } catch (const UserError& error) {
        return error.message();
    }
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

void TestSafeFileWriter::fullDisk_data()
{
    QTest::addColumn<ScratchMount::Kind>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("longOne");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QStringList>("reasons");
    const QStringList full{u"磁盘空间不足"_s};
    // The loop device passes the error of the disk under it on as it is, or as a failed write.
    const QStringList fullWhenSynced{u"磁盘空间不足"_s, u"读写磁盘时出错"_s};
    const auto tmpfs = ScratchMount::Kind::Tmpfs;
    const auto ext4 = ScratchMount::Kind::Ext4;
    const auto shortDisk = ScratchMount::Kind::Ext4OnShortDisk;
    QTest::newRow("tmpfs, short sheet over a file") << tmpfs << qint64(256 * 1024) << false << true << full;
    QTest::newRow("tmpfs, long sheet over a file") << tmpfs << qint64(256 * 1024) << true << true << full;
    QTest::newRow("tmpfs, short sheet as a new file") << tmpfs << qint64(256 * 1024) << false << false << full;
    QTest::newRow("tmpfs, long sheet as a new file") << tmpfs << qint64(256 * 1024) << true << false << full;
    QTest::newRow("ext4, short sheet over a file") << ext4 << qint64(8 << 20) << false << true << full;
    QTest::newRow("ext4, long sheet over a file") << ext4 << qint64(8 << 20) << true << true << full;
    QTest::newRow("ext4, short sheet as a new file") << ext4 << qint64(8 << 20) << false << false << full;
    QTest::newRow("ext4, long sheet as a new file") << ext4 << qint64(8 << 20) << true << false << full;
    QTest::newRow("ext4 full only at the sync, short sheet over a file")
        << shortDisk << qint64(4 << 20) << false << true << fullWhenSynced;
    QTest::newRow("ext4 full only at the sync, long sheet over a file")
        << shortDisk << qint64(4 << 20) << true << true << fullWhenSynced;
    QTest::newRow("ext4 full only at the sync, short sheet as a new file")
        << shortDisk << qint64(4 << 20) << false << false << fullWhenSynced;
    QTest::newRow("ext4 full only at the sync, long sheet as a new file")
        << shortDisk << qint64(4 << 20) << true << false << fullWhenSynced;
}

// The write fails with the disk's reason, the old file keeps every byte and nothing is left beside it.
void TestSafeFileWriter::fullDisk()
{
    QFETCH(ScratchMount::Kind, kind);
    QFETCH(qint64, size);
    QFETCH(bool, longOne);
    QFETCH(bool, existing);
    QFETCH(QStringList, reasons);
    ScratchMount disk(kind, size);
    if (!disk.failure().isEmpty())
        QSKIP(qPrintable(disk.failure()));
    const QString path = disk.path() + u"/歌词.lrc"_s;
    if (existing)
        QVERIFY(createFile(path, kOldContent));
    const QStringList treeBefore = treeOf(disk.path());
    QVERIFY2(disk.fill(), qPrintable(disk.failure()));

    const QString message = writeAndCatch(path, longOne ? longSheet() : shortSheet());
    QStringList expected;
    for (const QString& reason : reasons)
        expected << u"无法写入文件“%1”：%2"_s.arg(path, reason);
    QVERIFY2(expected.contains(message), qPrintable(message));
    QCOMPARE(treeOf(disk.path()), treeBefore);
    if (existing)
        QCOMPARE(contentOf(path), kOldContent);
}

void TestSafeFileWriter::readOnlyFileSystem_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("over a file") << true;
    QTest::newRow("as a new file") << false;
}

void TestSafeFileWriter::readOnlyFileSystem()
{
    QFETCH(bool, existing);
    ScratchMount disk(ScratchMount::Kind::Tmpfs, 1024 * 1024);
    if (!disk.failure().isEmpty())
        QSKIP(qPrintable(disk.failure()));
    const QString path = disk.path() + u"/歌词.lrc"_s;
    if (existing)
        QVERIFY(createFile(path, kOldContent));
    const QStringList treeBefore = treeOf(disk.path());
    QVERIFY2(disk.remountReadOnly(), qPrintable(disk.failure()));

    QCOMPARE(writeAndCatch(path, shortSheet()), u"无法写入文件“%1”：文件系统是只读的"_s.arg(path));
    QCOMPARE(treeOf(disk.path()), treeBefore);
    if (existing)
        QCOMPARE(contentOf(path), kOldContent);
}

// {dir} stands for the test's folder. The link is {dir}/shared/song.lrc; what it points to,
// {dir}/elsewhere/victim.lrc, holds the old content unless the link is dangling. An owner of -1
// is this user.
void TestSafeFileWriter::links_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("folderOwner");
    QTest::addColumn<int>("linkOwner");
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<bool>("followed");
    QTest::addColumn<bool>("toFolder");
    const QString absolute = u"{dir}/elsewhere/victim.lrc"_s;
    QTest::newRow("own link in a folder like /tmp") << 01777 << -1 << -1 << absolute << false << true << false;
    QTest::newRow("own relative link in a folder like /tmp")
        << 01777 << -1 << -1 << u"../elsewhere/victim.lrc"_s << false << true << false;
    QTest::newRow("own dangling link in a folder like /tmp") << 01777 << -1 << -1 << absolute << true << true << false;
    QTest::newRow("another user's link in a folder like /tmp")
        << 01777 << -1 << 65534 << absolute << false << false << false;
    QTest::newRow("another user's dangling link in a folder like /tmp")
        << 01777 << -1 << 65534 << absolute << true << false << false;
    QTest::newRow("the folder owner's link in a folder like /tmp")
        << 01777 << 65534 << 65534 << absolute << false << true << false;
    QTest::newRow("another user's link in a sticky folder only its owner writes")
        << 01755 << -1 << 65534 << absolute << false << true << false;
    QTest::newRow("another user's link in a folder without the sticky bit")
        << 0777 << -1 << 65534 << absolute << false << true << false;
    // The link names a folder: {dir}/shared/folder -> {dir}/elsewhere, and the path goes on through it.
    QTest::newRow("own link to a folder, in a folder like /tmp")
        << 01777 << -1 << -1 << u"{dir}/elsewhere"_s << false << true << true;
    QTest::newRow("another user's link to a folder, in a folder like /tmp")
        << 01777 << -1 << 65534 << u"{dir}/elsewhere"_s << false << false << true;
}

void TestSafeFileWriter::links()
{
    QFETCH(int, folderMode);
    QFETCH(int, folderOwner);
    QFETCH(int, linkOwner);
    QFETCH(QString, linkText);
    QFETCH(bool, dangling);
    QFETCH(bool, followed);
    QFETCH(bool, toFolder);
    if ((folderOwner >= 0 || linkOwner >= 0) && geteuid() != 0)
        QSKIP("giving a link or a folder to another user needs root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString shared = dir.filePath(u"shared"_s);
    const QString link = shared + (toFolder ? u"/folder"_s : u"/song.lrc"_s);
    const QString path = toFolder ? link + u"/victim.lrc"_s : link;
    const QString victim = dir.filePath(u"elsewhere/victim.lrc"_s);
    QVERIFY(QDir().mkpath(shared));
    QVERIFY(QDir().mkpath(dir.filePath(u"elsewhere"_s)));
    if (!dangling) {
        QVERIFY(createFile(victim, kOldContent));
        QCOMPARE(chmod(native(victim).constData(), 0640), 0);
    }
    linkText.replace(u"{dir}"_s, dir.path());
    QCOMPARE(symlink(native(linkText).constData(), native(link).constData()), 0);
    if (linkOwner >= 0)
        QCOMPARE(lchown(native(link).constData(), uid_t(linkOwner), gid_t(-1)), 0);
    if (folderOwner >= 0)
        QCOMPARE(chown(native(shared).constData(), uid_t(folderOwner), gid_t(-1)), 0);
    QCOMPARE(chmod(native(shared).constData(), mode_t(folderMode)), 0);
    const QStringList treeBefore = treeOf(dir.path());

    const QString message = writeAndCatch(path, shortSheet());
    QCOMPARE(QFile::symLinkTarget(link), QDir::cleanPath(QFileInfo(link).dir().filePath(linkText)));
    if (followed) {
        QCOMPARE(message, u"<written>"_s);
        QCOMPARE(contentOf(victim), shortSheet());
        struct stat written
        {};
        QCOMPARE(stat(native(victim).constData(), &written), 0);
        if (!dangling)
            QCOMPARE(int(written.st_mode & 0777), 0640);
        QStringList treeAfter = treeBefore;
        if (dangling)
            treeAfter << u"elsewhere/victim.lrc"_s;
        treeAfter.sort();
        QCOMPARE(treeOf(dir.path()), treeAfter);
    } else {
        QCOMPARE(
            message,
            u"无法写入文件“%1”：“%2”是其他用户放在共享文件夹中的符号链接，为了安全，不通过它写入"_s.arg(path, link));
        QCOMPARE(treeOf(dir.path()), treeBefore);
        if (!dangling)
            QCOMPARE(contentOf(victim), kOldContent);
    }
}

void TestSafeFileWriter::swapBetweenCheckAndWrite_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("swappedIn");
    QTest::newRow("file swapped for a link to another file") << true << u"link"_s;
    QTest::newRow("file swapped for a FIFO") << true << u"fifo"_s;
    QTest::newRow("file replaced by another program's save") << true << u"file"_s;
    QTest::newRow("free name taken by a link to another file") << false << u"link"_s;
    QTest::newRow("free name taken by a FIFO") << false << u"fifo"_s;
}

// Another program changes the folder after the writer looked at the target and before it wrote:
// nothing goes through what was swapped in, and what was swapped in stays.
void TestSafeFileWriter::swapBetweenCheckAndWrite()
{
    QFETCH(bool, existing);
    QFETCH(QString, swappedIn);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"song.lrc"_s);
    const QString victim = dir.filePath(u"victim.lrc"_s);
    QVERIFY(createFile(victim, kOldContent));
    if (existing)
        QVERIFY(createFile(path, kOldContent));
    const QByteArray theirs = "[00:09.00]their save\r\n"_ba;

    SafeFileWriter writer(path);
    bool swapped = false;
    writer.setBeforeWrite([&] {
        if (existing)
            QFile::remove(path);
        if (swappedIn == u"link"_s)
            swapped = symlink(native(victim).constData(), native(path).constData()) == 0;
        else if (swappedIn == u"fifo"_s)
            swapped = mkfifo(native(path).constData(), 0644) == 0;
        else
            swapped = createFile(path, theirs);
    });
    QString message;
    try {
        writer.write(shortSheet());
    } catch (const UserError& error) {
        message = error.message();
    }
    QVERIFY(swapped);
    QCOMPARE(message, u"无法写入文件“%1”：写入期间文件被其他程序替换了"_s.arg(path));
    QCOMPARE(treeOf(dir.path()), (QStringList{u"song.lrc"_s, u"victim.lrc"_s}));
    QCOMPARE(contentOf(victim), kOldContent);
    const QFileInfo now(path);
    if (swappedIn == u"link"_s)
        QCOMPARE(now.symLinkTarget(), victim);
    else if (swappedIn == u"fifo"_s)
        QVERIFY(!now.isFile() && !now.isSymLink());
    else
        QCOMPARE(contentOf(path), theirs);
}

LRC_TEST_GUILESS_MAIN(TestSafeFileWriter)
#include "tst_safefilewriter.moc"
