// Writing the LRC file to disk: exact bytes, atomic replacement, and clear errors that leave old files intact.
#include "common/usererror.h"
#include "lyrics/lrcfile.h"
#include "lyrics/systemerrorreason.h"
#include "support/foldertree.h"
#include "support/testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestLrcWrite : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writes_data();
    void writes();
    void failsWithReason_data();
    void failsWithReason();
    void refusesWhatIsNotARegularFile_data();
    void refusesWhatIsNotARegularFile();
    void systemReasonsAreChinese_data();
    void systemReasonsAreChinese();
    void failsInARestrictedChild_data();
    void failsInARestrictedChild();
};

namespace {

const QByteArray kOldContent = "[00:01.00]\xBE\xC9\xB8\xE8\xB4\xCA\r\n[00:02.00]old line\r\n\r\n"_ba;
const QByteArray kNewContent = "[00:12.50]\xB5\xDA\xD2\xBB\xBE\xE4\r\n\r\n"_ba;

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba;
}

void createFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

// Root ignores permissions, so the child becomes nobody; a file-size limit binds root too.
// False where the child cannot be set up so, or nobody cannot reach the temporary folder (TMPDIR).
bool restrictThisProcess(bool asNobody, const QString& path)
{
    if (!asNobody) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
        return false;
    return QFileInfo(path).exists();
}

// Runs the write in a forked child, so that its restriction stays there. The exit code: 0 the write
// failed with this message, 1 it did not, 2 the child could not be restricted here.
int writeInRestrictedChild(bool asNobody, const QString& path, const QByteArray& bytes, const QString& message)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!restrictThisProcess(asNobody, path))
            _exit(2);
        try {
            writeLrcFile(path, bytes);
        } catch (const UserError& error) {
            if (error.message() == message)
                _exit(0);
            std::fprintf(stderr, "unexpected message: %s\n", error.what());
        }
        _exit(1);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

void TestLrcWrite::writes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("mode");
    QTest::newRow("new file, Chinese name with a blank") << u"晓月 歌词.lrc"_s << false << 0;
    QTest::newRow("replacing a file") << u"song.lrc"_s << true << 0644;
    QTest::newRow("replacing a file only its owner may read") << u"song.lrc"_s << true << 0600;
    // Only root may replace a file without write permission; it stays read-only.
    QTest::newRow("replacing a read-only file as root") << u"song.lrc"_s << true << 0444;
}

void TestLrcWrite::writes()
{
    QFETCH(QString, name);
    QFETCH(bool, existing);
    QFETCH(int, mode);
    if (mode == 0444 && geteuid() != 0)
        QSKIP("only root may replace a read-only file");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray target = QFile::encodeName(dir.filePath(name));
    if (existing) {
        createFile(dir.filePath(name), kOldContent);
        QCOMPARE(chmod(target.constData(), mode), 0);
    }
    writeLrcFile(dir.filePath(name), kNewContent);
    QCOMPARE(contentOf(dir.filePath(name)), kNewContent);
    QCOMPARE(treeOf(dir.path()), QStringList{name});
    struct stat written
    {};
    QCOMPARE(stat(target.constData(), &written), 0);
    if (existing)
        QCOMPARE(int(written.st_mode & 07777), mode);
}

// {dir} stands for the temporary folder of the test.
void TestLrcWrite::failsWithReason_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expectedMessage");
    QTest::newRow("no file name") << QString() << QString() << QString() << u"无法写入文件“”：没有给出文件名"_s;
    QTest::newRow("missing folder") << QString() << u"song.lrc"_s << u"{dir}/missing/song.lrc"_s
                                    << u"无法写入文件“{dir}/missing/song.lrc”：文件夹“{dir}/missing”不存在"_s;
    QTest::newRow("name too long for the file system")
        << QString() << QString() << u"{dir}/%1.lrc"_s.arg(QString(300, u'长'))
        << u"无法写入文件“{dir}/%1.lrc”：文件名太长"_s.arg(QString(300, u'长'));
    QTest::newRow("parent is a regular file")
        << QString() << u"notes.txt"_s << u"{dir}/notes.txt/song.lrc"_s
        << u"无法写入文件“{dir}/notes.txt/song.lrc”：“{dir}/notes.txt”是一个文件，不是文件夹"_s;
    QTest::newRow("a file further up the path")
        << u"lyrics"_s << u"lyrics/notes.txt"_s << u"{dir}/lyrics/notes.txt/old/song.lrc"_s
        << u"无法写入文件“{dir}/lyrics/notes.txt/old/song.lrc”：“{dir}/lyrics/notes.txt”是一个文件，不是文件夹"_s;
}

void TestLrcWrite::failsWithReason()
{
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, target);
    QFETCH(QString, expectedMessage);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!folder.isEmpty())
        QVERIFY(QDir(dir.path()).mkpath(folder));
    if (!file.isEmpty())
        createFile(dir.filePath(file), kOldContent);
    const QStringList treeBefore = treeOf(dir.path());

    try {
        writeLrcFile(target.replace(u"{dir}"_s, dir.path()), kNewContent);
        QFAIL("the write did not fail");
    } catch (const UserError& error) {
        QCOMPARE(error.message(), expectedMessage.replace(u"{dir}"_s, dir.path()));
    }
    QCOMPARE(treeOf(dir.path()), treeBefore);
    if (!file.isEmpty())
        QCOMPARE(contentOf(dir.filePath(file)), kOldContent);
}

void TestLrcWrite::refusesWhatIsNotARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("FIFO") << u"fifo"_s;
    QTest::newRow("socket") << u"socket"_s;
    // Root could otherwise replace the device node with a text file.
    QTest::newRow("device") << u"/dev/full"_s;
}

// Nothing is written and nothing is replaced: the thing under the name stays what it was.
void TestLrcWrite::refusesWhatIsNotARegularFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(u"song.lrc"_s);
    const QByteArray native = QFile::encodeName(path);
    int listener = -1;
    if (kind == u"folder"_s) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == u"fifo"_s) {
        QCOMPARE(mkfifo(native.constData(), 0644), 0);
    } else if (kind == u"socket"_s) {
        listener = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(native.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    } else {
        path = kind;
    }
    struct stat before
    {};
    QCOMPARE(stat(QFile::encodeName(path).constData(), &before), 0);

    try {
        writeLrcFile(path, kNewContent);
        QFAIL("the write did not fail");
    } catch (const UserError& error) {
        QCOMPARE(error.message(), u"“%1”不是普通文件，无法写入。"_s.arg(path));
    }
    struct stat after
    {};
    QCOMPARE(stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(treeOf(dir.path()), kind.startsWith(u'/') ? QStringList() : QStringList{u"song.lrc"_s});
    if (listener >= 0)
        close(listener);
}

void TestLrcWrite::systemReasonsAreChinese_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    // A name with characters the file system does not allow, on some of them.
    QTest::newRow("EPERM") << EPERM << u"不允许这样操作：文件名可能含有此磁盘不允许的字符，或者文件受到保护"_s;
    QTest::newRow("unmapped: EBADE") << EBADE
                                     << u"系统报告了一个错误：%1"_s.arg(QString::fromLocal8Bit(std::strerror(EBADE)));
}

void TestLrcWrite::systemReasonsAreChinese()
{
    QFETCH(int, error);
    QFETCH(QString, reason);
    QCOMPARE(systemErrorReason(error), reason);
}

void TestLrcWrite::failsInARestrictedChild_data()
{
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only folder") << true << kNewContent << u"没有在文件夹“{folder}”中写入的权限"_s;
    // A full disk, as far as the writer can tell: the write fails after it started.
    QTest::newRow("write cut short") << false << QByteArray(256 * 1024, 'x') << u"文件超过了系统允许的大小"_s;
}

// The old file stays as it was, and no temporary file is left beside it.
void TestLrcWrite::failsInARestrictedChild()
{
    QFETCH(bool, asNobody);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"lyrics"_s);
    const QString path = folder + u"/song.lrc"_s;
    QVERIFY(QDir().mkdir(folder));
    createFile(path, kOldContent);
    // nobody may look into both folders, and write into neither.
    const auto readAndRun
        = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir.path(), readAndRun | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(folder, asNobody ? readAndRun : readAndRun | QFile::WriteOwner));

    const QString message = u"无法写入文件“%1”：%2"_s.arg(path, reason.replace(u"{folder}"_s, folder));
    const int result = writeInRestrictedChild(asNobody, path, bytes, message);
    QVERIFY(QFile::setPermissions(folder, readAndRun | QFile::WriteOwner));
    if (result == 2)
        QSKIP("cannot become uid 65534 with access to the temporary folder (TMPDIR), or limit the file size here");
    QCOMPARE(result, 0);
    QCOMPARE(contentOf(path), kOldContent);
    QCOMPARE(treeOf(folder), QStringList{u"song.lrc"_s});
}

LRC_TEST_GUILESS_MAIN(TestLrcWrite)
#include "tst_lrcwrite.moc"
