// The work outlives the window: the real program killed while keys are typed into it, then a
// start that offers the work back; unreadable and concurrent recovery files; when the file goes.
#include "app/form1.h"
#include "app/recovery.h"
#include "app/recoverystore.h"
#include "app/sheetbox.h"
#include "lyrics/pagecommit.h"
#include "lyrics/recoverydata.h"
#include "playback/mediaplayer.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"
#include "support/xtestkeyboard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <X11/keysym.h>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

static bool operator==(const ShownMessage& left, const ShownMessage& right)
{
    return left.title == right.title && left.text == right.text;
}

namespace {

constexpr int kPatienceMs = 60000;

const ShownMessage kQuestion{u"LRC晓韵星舟"_s, u"上次没有生成LRC文件的歌词还在，要恢复吗？"_s};

QStringList hintGrid()
{
    QStringList grid;
    for (int element = 1; element <= kGridBoxes; ++element)
        grid << pageHintText(element);
    return grid;
}

// The keys the program gets: Tab to the second box (Tab selects a box's hint, so typing replaces
// it), a time, Tab, a lyric; then Tab on to 新一页歌词信息 and Space to commit, Tab twice to the
// sheet, Ctrl+End and three letters at its end.
QStringList typedGrid(const QString& time, const QString& lyric)
{
    QStringList grid = hintGrid();
    grid[1] = time;
    grid[2] = lyric;
    return grid;
}

QString sheetAfterTyping(const QString& time, const QString& lyric, const QString& tail)
{
    return pageCommitText(typedGrid(time, lyric)).replace(u"\r\n"_s, u"\n"_s) + tail;
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void endedProgramsWorkIsOffered_data();
    void endedProgramsWorkIsOffered();
    void realQuestionAtStart_data();
    void realQuestionAtStart();
    void restoredSongIsLoadedWhenItIsThere_data();
    void restoredSongIsLoadedWhenItIsThere();
    void unreadableFileIsMovedAside_data();
    void unreadableFileIsMovedAside();
    void twoProgramsKeepTheirOwnFiles();
    void fileGoesWithNothingUnsaved_data();
    void fileGoesWithNothingUnsaved();
    void endOfSessionKeepsTheFileAndAsksNothing();
    void unwritableFileIsSaidInOneBox();

private:
    // The program itself, started with this test's state folder.
    std::unique_ptr<QProcess> startProgram(bool autosave = true);
    unsigned long waitForWindow(const QProcess& program);
    void tap(unsigned long keySym, int times = 1);
    void typeText(const QString& text);
    void typeWork(unsigned long window, const QString& time, const QString& lyric, const QString& tail);
    // The recovery files in the state folder, read.
    QList<RecoveryData> recoveryFiles() const;
    QStringList filesInFolder() const;
    // A recovery file as an ended program leaves it, without its lock; returns its path.
    QString leaveFile(const QString& name, const QByteArray& bytes);
    // A second start, in this process: the main window and its recovery with scripted answers.
    void startHere();

    XTestKeyboard m_keyboard;
    std::unique_ptr<QTemporaryDir> m_state;
    QString m_folder;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
    std::unique_ptr<Recovery> m_recovery;
};

void TestRecovery::initTestCase()
{
    QVERIFY2(m_keyboard.isOpen(), "needs an X server with XTEST");
}

void TestRecovery::init()
{
    m_state = std::make_unique<QTemporaryDir>();
    QVERIFY(m_state->isValid());
    m_folder = m_state->path() + u"/xiaoyun-lrc"_s;
    m_prompts = ScriptedPrompts();
}

void TestRecovery::cleanup()
{
    m_recovery.reset();
    delete m_form;
    m_state.reset();
}

std::unique_ptr<QProcess> TestRecovery::startProgram(bool autosave)
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_STATE_HOME"_s, m_state->path());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    if (!autosave)
        environment.insert(u"XIAOYUN_LRC_AUTOSAVE"_s, u"off"_s);
    program->setProcessEnvironment(environment);
    program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program->start(QStringLiteral(LRC_PROGRAM), {});
    return program;
}

unsigned long TestRecovery::waitForWindow(const QProcess& program)
{
    unsigned long window = 0;
    const auto found = [&] {
        const std::vector<unsigned long> windows = m_keyboard.windowsOf(long(program.processId()));
        window = windows.empty() ? 0 : windows.front();
        return window != 0;
    };
    [&] { QTRY_VERIFY_WITH_TIMEOUT(found(), kPatienceMs); }();
    return window;
}

void TestRecovery::tap(unsigned long keySym, int times)
{
    for (int i = 0; i < times; ++i) {
        m_keyboard.press(keySym);
        m_keyboard.release(keySym);
    }
}

void TestRecovery::typeText(const QString& text)
{
    for (QChar character : text)
        tap(character.unicode());
}

void TestRecovery::typeWork(unsigned long window, const QString& time, const QString& lyric, const QString& tail)
{
    m_keyboard.focusWindow(window);
    tap(XK_Tab);
    typeText(time);
    tap(XK_Tab);
    typeText(lyric);
    // Text1(4) … Text1(21), then 新一页歌词信息 (the transport buttons are disabled without a song).
    tap(XK_Tab, 19);
    tap(XK_space);
    tap(XK_Tab, 2);
    m_keyboard.press(XK_Control_L);
    tap(XK_End);
    m_keyboard.release(XK_Control_L);
    typeText(tail);
}

QList<RecoveryData> TestRecovery::recoveryFiles() const
{
    QList<RecoveryData> files;
    const QStringList names = QDir(m_folder).entryList({u"*.recovery"_s}, QDir::Files);
    for (const QString& name : names) {
        QFile file(m_folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        try {
            files << parseRecoveryFile(file.readAll());
        } catch (const std::exception&) {}
    }
    return files;
}

QStringList TestRecovery::filesInFolder() const
{
    return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void TestRecovery::startHere()
{
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_state->path()));
    m_form = new Form1(m_prompts);
    m_form->show();
    m_recovery = std::make_unique<Recovery>(*m_form, m_prompts);
    m_recovery->offerLeftover();
}

void TestRecovery::endedProgramsWorkIsOffered_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("restore");
    QTest::newRow("SIGKILL, 恢复") << SIGKILL << true;
    QTest::newRow("SIGKILL, 不恢复") << SIGKILL << false;
    QTest::newRow("SIGTERM, 恢复") << SIGTERM << true;
    QTest::newRow("SIGHUP, 不恢复") << SIGHUP << false;
}

void TestRecovery::endedProgramsWorkIsOffered()
{
    QFETCH(int, signal);
    QFETCH(bool, restore);
    // Killed, the program can only have what it wrote a moment after the typing; told to end, it
    // writes at once, which the test sees with the timed writes switched off.
    const bool killed = signal == SIGKILL;
    std::unique_ptr<QProcess> program = startProgram(killed);
    typeWork(waitForWindow(*program), u"0105"_s, u"abc"_s, u"xyz"_s);
    const QString sheet = sheetAfterTyping(u"0105"_s, u"abc"_s, u"xyz"_s);
    const QStringList emptyGrid(kGridBoxes, QString());
    if (killed) {
        QTRY_VERIFY_WITH_TIMEOUT(recoveryFiles().size() == 1 && recoveryFiles().constFirst().sheet == sheet,
                                 kPatienceMs);
    } else {
        // The keys sent before Alt and Down are handled before the menu they open shows.
        const size_t windows = m_keyboard.windowsOf(long(program->processId())).size();
        tap(XK_Alt_L);
        tap(XK_Down);
        QTRY_VERIFY_WITH_TIMEOUT(m_keyboard.windowsOf(long(program->processId())).size() > windows, kPatienceMs);
        QVERIFY(recoveryFiles().isEmpty());
    }
    ::kill(pid_t(program->processId()), signal);
    QVERIFY(program->waitForFinished(kPatienceMs));
    if (!killed) {
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
    }
    QCOMPARE(recoveryFiles().size(), 1);
    QCOMPARE(recoveryFiles().constFirst().sheet, sheet);
    QCOMPARE(recoveryFiles().constFirst().grid, emptyGrid);

    m_prompts.askAnswers << restore;
    startHere();
    QCOMPARE(m_prompts.questions, QList<ShownMessage>{kQuestion});
    QVERIFY(m_prompts.errors.isEmpty());
    if (restore) {
        QCOMPARE(m_form->Text2->toPlainText(), sheet);
        QCOMPARE(m_form->gridTexts(), emptyGrid);
        QVERIFY(m_form->holdsUnsavedWork());
        // Only this start's own file is left, holding the same work.
        QCOMPARE(filesInFolder().filter(u".recovery"_s), QStringList{QFileInfo(m_recovery->path()).fileName()});
        QCOMPARE(recoveryFiles().constFirst().sheet, sheet);
    } else {
        QCOMPARE(m_form->Text2->toPlainText(), QString());
        QCOMPARE(m_form->gridTexts(), hintGrid());
        QCOMPARE(filesInFolder().filter(u".recovery"_s), QStringList());
    }
}

QString TestRecovery::leaveFile(const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(m_folder);
    QFile file(m_folder + u'/' + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

void TestRecovery::realQuestionAtStart_data()
{
    QTest::addColumn<unsigned long>("key");
    QTest::addColumn<bool>("restored");
    QTest::newRow("Enter: 恢复, the default") << (unsigned long)XK_Return << true;
    QTest::newRow("Escape: 不恢复") << (unsigned long)XK_Escape << false;
    // Told to end while asking: there was no answer, so the file waits for the next start.
    QTest::newRow("SIGTERM: no answer") << 0UL << false;
}

void TestRecovery::realQuestionAtStart()
{
    QFETCH(unsigned long, key);
    QFETCH(bool, restored);
    const QByteArray bytes = recoveryFileBytes({u"[00:01.00][]一\n"_s, typedGrid(u"00:02.00"_s, u"二"_s), QString()});
    const QString leftover = leaveFile(u"1-left.recovery"_s, bytes);
    QVERIFY(!leftover.isEmpty());
    std::unique_ptr<QProcess> program = startProgram();
    const auto pid = long(program->processId());
    QTRY_VERIFY_WITH_TIMEOUT(m_keyboard.windowsOf(pid).size() == 2, kPatienceMs);
    if (key) {
        m_keyboard.focusWindow(m_keyboard.windowsOf(pid).back());
        tap(key);
        QTRY_VERIFY_WITH_TIMEOUT(m_keyboard.windowsOf(pid).size() == 1, kPatienceMs);
    }
    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(program->waitForFinished(kPatienceMs));
    QCOMPARE(program->exitCode(), 0);
    const QStringList files = filesInFolder().filter(u".recovery"_s);
    if (!key) {
        QCOMPARE(files, QStringList{u"1-left.recovery"_s});
        QCOMPARE(recoveryFiles().value(0).grid, typedGrid(u"00:02.00"_s, u"二"_s));
    } else if (restored) {
        // The work now lives in the file of the program that took it over.
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0] != u"1-left.recovery"_s);
        QCOMPARE(recoveryFiles().value(0).sheet, u"[00:01.00][]一\n"_s);
        QCOMPARE(recoveryFiles().value(0).grid, typedGrid(u"00:02.00"_s, u"二"_s));
    } else {
        QCOMPARE(files, QStringList());
    }
}

void TestRecovery::restoredSongIsLoadedWhenItIsThere_data()
{
    QTest::addColumn<bool>("songThere");
    QTest::newRow("song still there") << true;
    QTest::newRow("song gone") << false;
}

void TestRecovery::restoredSongIsLoadedWhenItIsThere()
{
    QFETCH(bool, songThere);
    MediaFixtures fixtures;
    const QString song = fixtures.tone(u"恢复.mp3"_s, 2);
    QVERIFY2(!song.isEmpty(), qPrintable(fixtures.error()));
    if (!songThere)
        QVERIFY(QFile::remove(song));
    QVERIFY(QDir().mkpath(m_folder));
    QFile left(m_folder + u"/1-left.recovery"_s);
    QVERIFY(left.open(QIODevice::WriteOnly));
    left.write(recoveryFileBytes({u"[00:01.00][]一\n"_s, typedGrid(u"00:02.00"_s, u"二"_s), song}));
    left.close();

    startHere();
    QCOMPARE(m_prompts.questions, QList<ShownMessage>{kQuestion});
    QCOMPARE(m_form->gridTexts(), typedGrid(u"00:02.00"_s, u"二"_s));
    QCOMPARE(m_form->mp3->URL(), songThere ? song : QString());
    // Loaded, not playing.
    QCOMPARE(m_form->Command1->text(), u"播放"_s);
}

void TestRecovery::unreadableFileIsMovedAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    QTest::newRow("cut short") << recoveryFileBytes({u"一"_s, hintGrid(), QString()}).left(40)
                               << u"恢复文件无法读取：内容不完整或已损坏"_s;
    QTest::newRow("a newer version") << QByteArray(R"({"format":"xiaoyun-lrc recovery","version":9})")
                                     << u"恢复文件无法读取：它由更新版本的程序写成"_s;
}

void TestRecovery::unreadableFileIsMovedAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QVERIFY(QDir().mkpath(m_folder));
    const QString path = m_folder + u"/7-bad.recovery"_s;
    QFile left(path);
    QVERIFY(left.open(QIODevice::WriteOnly));
    left.write(bytes);
    left.close();

    startHere();
    QVERIFY(m_prompts.questions.isEmpty());
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_prompts.errors[0].title, u"恢复上次的歌词"_s);
    QCOMPARE(m_prompts.errors[0].text, u"%1\n它已被移到“%2”。"_s.arg(why, path + u".bad"_s));
    QCOMPARE(filesInFolder(), QStringList{u"7-bad.recovery.bad"_s});
    QFile aside(path + u".bad"_s);
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), bytes);

    // The start went on: work typed now is kept as usual.
    m_form->Text1[3]->setText(u"接着写"_s);
    QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles().size(), 1, kPatienceMs);
    QCOMPARE(recoveryFiles().constFirst().grid[2], u"接着写"_s);
}

void TestRecovery::twoProgramsKeepTheirOwnFiles()
{
    std::unique_ptr<QProcess> first = startProgram();
    const unsigned long firstWindow = waitForWindow(*first);
    std::unique_ptr<QProcess> second = startProgram();
    const unsigned long secondWindow = waitForWindow(*second);
    typeWork(firstWindow, u"1111"_s, u"first"_s, u"one"_s);
    typeWork(secondWindow, u"2222"_s, u"second"_s, u"two"_s);
    const auto sheets = [this] {
        QStringList found;
        for (const RecoveryData& file : recoveryFiles())
            found << file.sheet;
        found.sort();
        return found;
    };
    const QStringList both
        = {sheetAfterTyping(u"1111"_s, u"first"_s, u"one"_s), sheetAfterTyping(u"2222"_s, u"second"_s, u"two"_s)};
    QTRY_COMPARE_WITH_TIMEOUT(sheets(), both, kPatienceMs);

    // A third start while both run offers neither.
    startHere();
    QVERIFY(m_prompts.questions.isEmpty());
    QCOMPARE(sheets(), both);

    first->kill();
    second->kill();
    QVERIFY(first->waitForFinished(kPatienceMs));
    QVERIFY(second->waitForFinished(kPatienceMs));
}

void TestRecovery::fileGoesWithNothingUnsaved_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("fileStays");
    QTest::newRow("export") << u"export"_s << false;
    QTest::newRow("close, 退出") << u"退出"_s << false;
    QTest::newRow("close, 取消") << u"取消"_s << true;
    QTest::newRow("undo back to nothing") << u"undo"_s << false;
}

void TestRecovery::fileGoesWithNothingUnsaved()
{
    QFETCH(QString, ending);
    QFETCH(bool, fileStays);
    QTemporaryDir exportFolder;
    startHere();
    m_form->Text2->appendText(u"[00:01.00]一\r\n"_s);
    QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles().size(), 1, kPatienceMs);
    const QString path = m_recovery->path();

    if (ending == u"export"_s) {
        m_prompts.fileAnswers << exportFolder.filePath(u"歌.lrc"_s);
        m_form->Command7->click();
        QCOMPARE(m_prompts.messages.size(), 1);
    } else if (ending == u"undo"_s) {
        m_form->Text2->undo();
    } else {
        m_prompts.confirmAnswers << (ending == u"退出"_s);
        m_form->close();
    }
    if (fileStays) {
        QVERIFY(m_form);
        // Still written a moment after the next change: nothing was stopped.
        m_form->Text2->appendText(u"[00:02.00]二\r\n"_s);
        QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles().value(0).sheet, u"[00:01.00]一\n[00:02.00]二\n"_s, kPatienceMs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path), kPatienceMs);
    }
}

void TestRecovery::endOfSessionKeepsTheFileAndAsksNothing()
{
    startHere();
    m_form->Text1[3]->setText(u"注销前"_s);
    m_recovery->endWithSession();
    // Written at once, before any question could be put.
    QCOMPARE(recoveryFiles().size(), 1);
    QCOMPARE(recoveryFiles().constFirst().grid[2], u"注销前"_s);
    QVERIFY(m_form->close());
    QTRY_VERIFY(m_form.isNull());
    QVERIFY(m_prompts.questions.isEmpty());
    m_recovery.reset();
    QCOMPARE(recoveryFiles().size(), 1);
    QCOMPARE(recoveryFiles().constFirst().grid[2], u"注销前"_s);
}

void TestRecovery::unwritableFileIsSaidInOneBox()
{
    // A file where the folder should be.
    QFile inTheWay(m_folder);
    QVERIFY(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();
    startHere();
    m_form->Text1[3]->setText(u"写不进去"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts.errors.size(), 1, kPatienceMs);
    QCOMPARE(m_prompts.errors[0].title, u"保存恢复文件"_s);
    QCOMPARE(m_prompts.errors[0].text,
             u"无法写入恢复文件“%1”：路径中的某一部分不是文件夹"_s.arg(RecoveryStore::lockPathFor(m_recovery->path())));
    // Failing again says nothing more: the user knows.
    m_recovery->autoSaver().saveNow();
    QCoreApplication::processEvents();
    QCOMPARE(m_prompts.errors.size(), 1);
    QVERIFY(m_form->holdsUnsavedWork());
}

LRC_TEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
