// Writing the LRC file to disk: exact bytes, atomic replacement, and clear errors that leave old files intact.
#include "lyrics/lrcfile.h"
#include "lyrics/lrcwriteerror.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestLrcWrite : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesExactBytes_data();
    void writesExactBytes();
    void replacesExistingFile();
    void failsWithReason_data();
    void failsWithReason();
    void emptyPathFails();
    void readOnlyFolderKeepsOldFile();
    void failedWriteKeepsOldFile();
};

namespace {

const QByteArray kOldContent = "[00:01.00]\xBE\xC9\xB8\xE8\xB4\xCA\r\n[00:02.00]old line\r\n\r\n"_ba;
const QByteArray kNewContent = "[00:12.50]\xB5\xDA\xD2\xBB\xBE\xE4\r\n\r\n"_ba;

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>"_ba;
    return file.readAll();
}

void createFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

// Every file and folder below root, so a test can see that nothing was left behind.
QStringList treeOf(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

// Runs body in a forked child, so a change of user or of resource limits stays there.
// Returns the child's exit code, or -1 if it did not exit normally.
int runInChild(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

enum ChildResult { ChildPassed, ChildNoError, ChildWrongMessage, ChildCannotDropPrivileges,
                   ChildCannotSeeFolder };

int expectWriteError(const QString& path, const QByteArray& bytes, const QString& expectedMessage)
{
    try {
        writeLrcFile(path, bytes);
    } catch (const LrcWriteError& error) {
        if (error.message() == expectedMessage)
            return ChildPassed;
        std::fprintf(stderr, "unexpected message: %s\n", error.what());
        return ChildWrongMessage;
    }
    return ChildNoError;
}

int dropToNobody()
{
    if (getuid() != 0)
        return ChildPassed;  // permissions already apply to this user
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
        return ChildCannotDropPrivileges;
    return ChildPassed;
}

} // namespace

void TestLrcWrite::writesExactBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lrc file") << u"song.lrc"_s << kNewContent;
    QTest::newRow("Chinese name with a blank") << u"晓月 歌词.lrc"_s << kNewContent;
    QTest::newRow("no extension is added") << u"song"_s << kNewContent;
    QTest::newRow("empty sheet") << u"empty.lrc"_s << "\r\n"_ba;
}

void TestLrcWrite::writesExactBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeLrcFile(dir.filePath(name), bytes);
    QCOMPARE(contentOf(dir.filePath(name)), bytes);
    QCOMPARE(treeOf(dir.path()), QStringList{name});
}

void TestLrcWrite::replacesExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"song.lrc"_s);
    createFile(path, kOldContent);
    writeLrcFile(path, kNewContent);
    QCOMPARE(contentOf(path), kNewContent);
    QCOMPARE(treeOf(dir.path()), QStringList{u"song.lrc"_s});
}

// These fail for root too. {dir} stands for the temporary folder of the test.
void TestLrcWrite::failsWithReason_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expectedMessage");
    QTest::newRow("missing folder") << QStringList() << QStringList() << u"missing/song.lrc"_s
        << u"无法写入文件“{dir}/missing/song.lrc”：文件夹“{dir}/missing”不存在"_s;
    QTest::newRow("missing folders") << QStringList() << QStringList{u"song.lrc"_s}
        << u"missing/deeper/song.lrc"_s
        << u"无法写入文件“{dir}/missing/deeper/song.lrc”：文件夹“{dir}/missing/deeper”不存在"_s;
    QTest::newRow("target is a folder") << QStringList{u"song.lrc"_s} << QStringList()
        << u"song.lrc"_s << u"无法写入文件“{dir}/song.lrc”：这是一个文件夹，不是文件"_s;
    QTest::newRow("parent is a regular file") << QStringList() << QStringList{u"notes.txt"_s}
        << u"notes.txt/song.lrc"_s
        << u"无法写入文件“{dir}/notes.txt/song.lrc”：“{dir}/notes.txt”是一个文件，不是文件夹"_s;
    QTest::newRow("a file further up the path") << QStringList{u"lyrics"_s}
        << QStringList{u"lyrics/notes.txt"_s} << u"lyrics/notes.txt/old/song.lrc"_s
        << u"无法写入文件“{dir}/lyrics/notes.txt/old/song.lrc”：“{dir}/lyrics/notes.txt”是一个文件，不是文件夹"_s;
}

void TestLrcWrite::failsWithReason()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(QString, target);
    QFETCH(QString, expectedMessage);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& folder : folders)
        QVERIFY(QDir(dir.path()).mkpath(folder));
    for (const QString& file : files)
        createFile(dir.filePath(file), kOldContent);
    const QStringList treeBefore = treeOf(dir.path());

    QVERIFY_THROWS_EXCEPTION(LrcWriteError, writeLrcFile(dir.filePath(target), kNewContent));
    try {
        writeLrcFile(dir.filePath(target), kNewContent);
    } catch (const LrcWriteError& error) {
        QCOMPARE(error.message(), QString(expectedMessage).replace(u"{dir}"_s, dir.path()));
    }
    QCOMPARE(treeOf(dir.path()), treeBefore);
    for (const QString& file : files)
        QCOMPARE(contentOf(dir.filePath(file)), kOldContent);
}

void TestLrcWrite::emptyPathFails()
{
    try {
        writeLrcFile(QString(), kNewContent);
        QFAIL("an empty path was accepted");
    } catch (const LrcWriteError& error) {
        QCOMPARE(error.message(), u"无法写入文件“”：没有给出文件名"_s);
    }
}

// Root ignores permissions, so the write runs in a child that has become nobody (uid 65534).
void TestLrcWrite::readOnlyFolderKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"readonly"_s);
    const QString path = folder + u"/song.lrc"_s;
    QVERIFY(QDir().mkdir(folder));
    createFile(path, kOldContent);
    const auto readAndRun = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther
        | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir.path(), readAndRun | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(folder, readAndRun));

    const int result = runInChild([&] {
        if (const int dropped = dropToNobody(); dropped != ChildPassed)
            return dropped;
        if (!QFileInfo(folder).isDir())
            return int(ChildCannotSeeFolder);
        return expectWriteError(path, kNewContent,
                                u"无法写入文件“%1”：没有在文件夹“%2”中写入的权限"_s.arg(path, folder));
    });
    QVERIFY(QFile::setPermissions(folder, readAndRun | QFile::WriteOwner));
    if (result == ChildCannotDropPrivileges)
        QSKIP("cannot become uid/gid 65534 here");
    if (result == ChildCannotSeeFolder)
        QSKIP("uid 65534 cannot reach the temporary folder (TMPDIR)");
    QCOMPARE(result, int(ChildPassed));
    QCOMPARE(contentOf(path), kOldContent);
    QCOMPARE(treeOf(folder), QStringList{u"song.lrc"_s});
}

// A full disk, as far as the writer can tell: a file-size limit (which binds root too) makes the
// write fail after it started. Runs in a child so the limit stays there.
void TestLrcWrite::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"song.lrc"_s);
    createFile(path, kOldContent);
    const QByteArray tooLarge(256 * 1024, 'x');

    const int result = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return int(ChildCannotDropPrivileges);
        return expectWriteError(path, tooLarge, u"无法写入文件“%1”：文件超过了系统允许的大小"_s.arg(path));
    });
    QCOMPARE(result, int(ChildPassed));
    QCOMPARE(contentOf(path), kOldContent);
    QCOMPARE(treeOf(dir.path()), QStringList{u"song.lrc"_s});
}

QTEST_GUILESS_MAIN(TestLrcWrite)
#include "tst_lrcwrite.moc"
