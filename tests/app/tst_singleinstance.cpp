// One program per session on a private session bus: the toggle command, a second start handing over its
// files or raising the window, and a killed program that leaves nothing in the way. The real program
// is started as the second start; the first runs here, so the test sees its window.
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/singleinstance.h"
#include "app/userprompts.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/numericlocale.h"
#include "support/privatebus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// No boxes: the readouts are counted.
class CountingPrompts : public UserPrompts
{
public:
    int readouts = 0;
    QString askOpenFile(QWidget*, const QString&) override { return {}; }
    QString askSaveFile(QWidget*, const QString&) override { return {}; }
    void showMessage(QWidget*, const QString&, const QString&) override { ++readouts; }
    bool dismissMessage(const QString&) override { return false; }
    bool confirm(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString&) override {}
    bool dismissError(const QString&) override { return false; }
};

QDBusConnectionInterface* bus()
{
    return QDBusConnection::sessionBus().interface();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit TestSingleInstance(const QString& busError)
        : m_busError(busError)
    {}

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void toggleCommand_data();
    void toggleCommand();
    void secondStartHandsOver_data();
    void secondStartHandsOver();
    void secondStartOpensAnLrcFile_data();
    void secondStartOpensAnLrcFile();
    void filesHandedOverWhileStartingWaitForTheWindow();
    void killedProgramDoesNotBlockTheNextStart();

private:
    void startFirstHere(UserPrompts& prompts);
    void startFirstHere() { startFirstHere(m_prompts); }
    // Runs the program with these arguments, the event loop going on meanwhile (the first program
    // answers it from here); its exit status, or -1 when it did not end normally.
    int runProgram(const QStringList& arguments, const QString& folder = {});

    QString m_busError;
    MediaFixtures m_fixtures;
    CountingPrompts m_prompts;
    DialogPrompts m_realPrompts;
    QProcess* m_running = nullptr;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<Form1> m_form;
    QString m_stderr;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY2(m_busError.isEmpty(), qPrintable(m_busError));
}

void TestSingleInstance::cleanup()
{
    m_form.reset();
    m_instance.reset();
    m_prompts.readouts = 0;
}

void TestSingleInstance::startFirstHere(UserPrompts& prompts)
{
    m_instance = std::make_unique<SingleInstance>();
    QCOMPARE(m_instance->claimOrHandOver({}), std::nullopt);
    m_form = std::make_unique<Form1>(prompts);
    m_form->setAttribute(Qt::WA_DeleteOnClose, false);
    m_form->mp3->setAudioDriver(u"null"_s);
    m_instance->serve(m_form.get());
    m_form->show();
}

int TestSingleInstance::runProgram(const QStringList& arguments, const QString& folder)
{
    QProcess program;
    program.setWorkingDirectory(folder);
    QSignalSpy finished(&program, &QProcess::finished);
    m_running = &program;
    program.start(QStringLiteral(LRC_PROGRAM), arguments);
    const bool ended = finished.wait(60000);
    m_running = nullptr;
    if (!ended) {
        program.kill();
        program.waitForFinished();
        return -1;
    }
    m_stderr = QString::fromUtf8(program.readAllStandardError());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

void TestSingleInstance::toggleCommand_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("commands");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("readouts");
    QTest::newRow("no program running") << false << 1 << 1 << QString() << 0;
    QTest::newRow("one: the program plays") << true << 1 << 0 << u"暂停"_s << 0;
    QTest::newRow("two: it pauses and shows the readout") << true << 2 << 0 << u"播放"_s << 1;
}

void TestSingleInstance::toggleCommand()
{
    QFETCH(bool, running);
    QFETCH(int, commands);
    QFETCH(int, status);
    QFETCH(QString, caption);
    QFETCH(int, readouts);
    if (running)
        startFirstHere();
    for (int i = 0; i < commands; ++i) {
        QCOMPARE(runProgram({u"--toggle"_s}), status);
        if (running)
            QTRY_COMPARE(m_form->Command1->text(), i % 2 == 0 ? u"暂停"_s : u"播放"_s);
    }
    if (!running) {
        QCOMPARE(m_stderr,
                 u"LRC晓韵星舟没有在运行，没有可以切换播放/暂停的程序。"
                 u" / xiaoyun-lrc is not running: there is nothing to toggle.\n"_s);
        return;
    }
    QCOMPARE(m_stderr, QString());
    QCOMPARE(m_form->Command1->text(), caption);
    QCOMPARE(m_prompts.readouts, readouts);
}

void TestSingleInstance::secondStartHandsOver_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("relative");
    QTest::newRow("no argument: the window comes back") << QString() << false;
    QTest::newRow("an MP3") << u"handed.mp3"_s << false;
    QTest::newRow("an MP3 named from its own folder") << u"relative.mp3"_s << true;
}

void TestSingleInstance::secondStartHandsOver()
{
    QFETCH(QString, argument);
    QFETCH(bool, relative);
    startFirstHere();
    m_form->showMinimized();
    QString song;
    QStringList arguments;
    if (!argument.isEmpty()) {
        song = m_fixtures.tone(argument, 2);
        QVERIFY2(!song.isEmpty(), qPrintable(m_fixtures.error()));
        arguments << (relative ? QFileInfo(song).fileName() : song);
    }
    QCOMPARE(runProgram(arguments, QFileInfo(song.isEmpty() ? QDir::tempPath() : song).absolutePath()), 0);
    QTRY_VERIFY(!m_form->isMinimized());
    QTRY_COMPARE(m_form->mp3->URL(), song);
    if (!song.isEmpty())
        QTRY_VERIFY(m_form->Command1->isEnabled());
    // Still the only program: the name stays with this one.
    QCOMPARE(bus()->servicePid(SingleInstance::kServiceName).value(), uint(QCoreApplication::applicationPid()));
}

void TestSingleInstance::secondStartOpensAnLrcFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("nothing unsaved: opened without a question")
        << QString() << QString() << QStringList() << u"[00:01.00]听见\r\n[00:02.50]远方"_s;
    QTest::newRow("unsaved sheet, Escape: 取消 keeps it")
        << u"[00:09.00]mine"_s << u"Escape"_s
        << QStringList{u"LRC晓韵星舟|歌词还没有生成LRC文件，打开别的文件后将会丢失。确定要打开吗？"_s}
        << u"[00:09.00]mine"_s;
    QTest::newRow("unsaved sheet, 打开 replaces it")
        << u"[00:09.00]mine"_s << u"打开"_s
        << QStringList{u"LRC晓韵星舟|歌词还没有生成LRC文件，打开别的文件后将会丢失。确定要打开吗？"_s}
        << u"[00:01.00]听见\r\n[00:02.50]远方"_s;
}

// The file is named relative to the second start's own folder, and the running program asks its
// question in its real box, which the user answers there; the second start does not wait for it.
void TestSingleInstance::secondStartOpensAnLrcFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, answer);
    QFETCH(QStringList, questions);
    QFETCH(QString, sheet);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir(u"歌词"_s));
    QFile file(folder.filePath(u"歌词/听见.lrc"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(u"[00:01.00]听见\r\n[00:02.50]远方\r\n"_s.toUtf8());
    file.close();

    startFirstHere(m_realPrompts);
    if (!typed.isEmpty()) {
        m_form->Text2->setFocus();
        QTest::keyClicks(m_form->Text2, typed);
        QCOMPARE(m_form->Text2->text(), typed);
    }
    QStringList seen;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // Answered only once the second start has ended: it must not wait for the user.
        if (!box || (m_running && m_running->state() != QProcess::NotRunning))
            return;
        seen << box->windowTitle() + u'|' + box->text();
        user.stop();
        if (answer == u"Escape"_s) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == answer)
                button->click();
        }
    });
    user.start();
    QCOMPARE(runProgram({u"歌词/听见.lrc"_s}, folder.path()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen, questions, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(m_form->Text2->text(), sheet, 20000);
}

// The name is taken before the main window is made, which may take a while (a question at start-up):
// a song handed over meanwhile is loaded once the window is there.
void TestSingleInstance::filesHandedOverWhileStartingWaitForTheWindow()
{
    const QString song = m_fixtures.tone(u"early.mp3"_s, 2);
    QVERIFY2(!song.isEmpty(), qPrintable(m_fixtures.error()));
    m_instance = std::make_unique<SingleInstance>();
    QCOMPARE(m_instance->claimOrHandOver({}), std::nullopt);
    QCOMPARE(runProgram({song}), 0);
    m_form = std::make_unique<Form1>(m_prompts);
    m_form->setAttribute(Qt::WA_DeleteOnClose, false);
    m_form->mp3->setAudioDriver(u"null"_s);
    m_instance->serve(m_form.get());
    QTRY_COMPARE(m_form->mp3->URL(), song);
}

// The bus frees the name with the connection of a program that died: no lock file is left to go stale.
void TestSingleInstance::killedProgramDoesNotBlockTheNextStart()
{
    QProcess first;
    first.start(QStringLiteral(LRC_PROGRAM), {});
    QVERIFY(first.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(bus()->servicePid(SingleInstance::kServiceName).value(), uint(first.processId()), 60000);
    first.kill(); // SIGKILL: nothing of the program runs any more
    QVERIFY(first.waitForFinished());

    QProcess next;
    next.start(QStringLiteral(LRC_PROGRAM), {});
    QVERIFY(next.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(bus()->servicePid(SingleInstance::kServiceName).value(), uint(next.processId()), 60000);
    QCOMPARE(next.state(), QProcess::Running);
    next.kill();
    next.waitForFinished();
}

int main(int argc, char* argv[])
{
    // The bus comes first: Qt keeps the session bus it first connects to. The programs started here
    // run without a display and without Wayland, so the X11 and portal sources stay out of it.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("DISPLAY");
    PrivateBus privateBus;
    const QString busError = privateBus.start() ? QString() : privateBus.error();
    QApplication app(argc, argv);
    useCNumericLocale();
    TestSingleInstance test(busError);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
