// Opening an LRC file again: its encodings, the refusals, the question over unsaved work, the Save
// box's proposal and the files named on the command line, through the main window.
#include "app/application.h"
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "app/sheetbox.h"
#include "playback/mediaplayer.h"
#include "skin/skinlabel.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString kCp936Type = u"LRC歌词文件 (*.lrc)"_s;
const QString kUtf8Type = u"LRC歌词文件（UTF-8） (*.lrc)"_s;
constexpr qsizetype kLimit = 16 * 1024 * 1024;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestForm1Open : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensAndSavesBack_data();
    void opensAndSavesBack();
    void refusesAndKeepsTheSheet_data();
    void refusesAndKeepsTheSheet();
    void asksBeforeLosingUnsavedWork_data();
    void asksBeforeLosingUnsavedWork();
    void openedSheetCountsAsSavedAndUndoStartsThere();
    void newSheetSavedAsUtf8KeepsTheChoice();
    void realOpenAndSaveBoxes();
    void filesNamedOnTheCommandLine();

private:
    void openThroughMenu(const QString& path);
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
    QTemporaryDir m_dir;
};

void TestForm1Open::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
}

void TestForm1Open::cleanup()
{
    delete m_form;
}

void TestForm1Open::openThroughMenu(const QString& path)
{
    m_prompts.fileAnswers << path;
    m_form->打开LRC歌词文件->trigger();
}

// Each file is opened through the menu, then saved under another name in the type the Save box
// chose in advance.
void TestForm1Open::opensAndSavesBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("proposedType");
    QTest::addColumn<QByteArray>("savedBack");

    const QByteArray gbk = "[00:01.00]\xB5\xDA\xD2\xBB\xBE\xE4\r\n[00:02.50]\xB5\xDA\xB6\xFE\xBE\xE4\r\n"_ba;
    QTest::newRow("GBK as exported") << gbk << u"[00:01.00]第一句\r\n[00:02.50]第二句"_s << 1 << gbk;
    const QByteArray fourByte = "[00:01.00]\xB8\xE8\x94\x39\xFC\x36\x82\x37\xCF\x35\x95\x34\xB2\x35\r\n"_ba;
    QTest::newRow("GB18030 four-byte sequences")
        << fourByte << u"[00:01.00]歌\U0001F600가\U00020BB7"_s << 1 << fourByte;
    const QByteArray utf8 = u"[00:01.00]第一句\r\n[00:02.50]😀\r\n"_s.toUtf8();
    QTest::newRow("UTF-8") << utf8 << u"[00:01.00]第一句\r\n[00:02.50]😀"_s << 2 << utf8;
    QTest::newRow("UTF-8 with mark, saved without")
        << "\xEF\xBB\xBF"_ba + utf8 << u"[00:01.00]第一句\r\n[00:02.50]😀"_s << 2 << utf8;
    QTest::newRow("UTF-16 LE with mark") << "\xFF\xFE[\0001\000]\000\x2C\x7B\r\000\n\000"_ba << u"[1]第"_s << 2
                                         << u"[1]第\r\n"_s.toUtf8();
    QTest::newRow("UTF-16 BE with mark") << "\xFE\xFF\000[\0001\000]\x7B\x2C\000\r\000\n"_ba << u"[1]第"_s << 2
                                         << u"[1]第\r\n"_s.toUtf8();
    QTest::newRow("LF line ends") << "[00:01.00]\xD2\xBB\n[00:02.00]\xB6\xFE\n"_ba << u"[00:01.00]一\r\n[00:02.00]二"_s
                                  << 1 << "[00:01.00]\xD2\xBB\r\n[00:02.00]\xB6\xFE\r\n"_ba;
    QTest::newRow("CR line ends") << "a\r\xB5\xDA\r\r"_ba << u"a\r\n第\r\n"_s << 1 << "a\r\n\xB5\xDA\r\n\r\n"_ba;
    QTest::newRow("byte 80 is the euro sign")
        << "[00:01.00]9\x80\r\n"_ba << u"[00:01.00]9€"_s << 1 << "[00:01.00]9\x80\r\n"_ba;
    QTest::newRow("Windows' private-use codes") << "\xB5\xDA\xA2\xE3\xFE\x51\xFF\r\n"_ba << u"第\uE76C\uE816\uF8F5"_s
                                                << 1 << "\xB5\xDA\xA2\xE3\xFE\x51\xFF\r\n"_ba;
    QTest::newRow("ASCII only") << "[00:01.00]la la\r\n"_ba << u"[00:01.00]la la"_s << 1 << "[00:01.00]la la\r\n"_ba;
    QTest::newRow("empty sheet as exported") << "\r\n"_ba << QString() << 1 << "\r\n"_ba;
    QTest::newRow("empty file") << QByteArray() << QString() << 1 << "\r\n"_ba;
    QTest::newRow("empty lines kept") << "\r\n\r\n\r\n"_ba << u"\r\n\r\n"_s << 1 << "\r\n\r\n\r\n"_ba;
    QTest::newRow("16 MiB exactly") << QByteArray(kLimit - 2, 'a') + "\r\n"
                                    << QString(kLimit - 2, u'a') << 1 << QByteArray(kLimit - 2, 'a') + "\r\n";
}

void TestForm1Open::opensAndSavesBack()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, sheet);
    QFETCH(int, proposedType);
    QFETCH(QByteArray, savedBack);
    const QString path = m_dir.filePath(u"打开.lrc"_s);
    QVERIFY(writeBytes(path, file));
    m_form->Text2->setText(u"旧的"_s);
    m_form->Text2->document()->setModified(false);

    openThroughMenu(path);
    QCOMPARE(m_prompts.errors.size(), 0);
    QCOMPARE(m_prompts.askedFilters, QStringList{u"LRC歌词文件|*.lrc|所有文件|*"_s});
    QCOMPARE(m_form->Text2->text(), sheet);

    const QString copy = m_dir.filePath(u"另存.lrc"_s);
    m_prompts.fileAnswers << copy;
    m_form->Command7->click();
    QCOMPARE(m_prompts.errors.size(), 0);
    QCOMPARE(m_prompts.proposedPaths, QStringList{path});
    QCOMPARE(m_prompts.proposedTypes, QList<int>{proposedType});
    QCOMPARE(m_prompts.askedFilters.constLast(), u"LRC歌词文件|*.lrc|LRC歌词文件（UTF-8）|*.lrc"_s);
    QCOMPARE(fileBytes(copy), savedBack);
}

void TestForm1Open::refusesAndKeepsTheSheet_data()
{
    QTest::addColumn<QString>("path"); // "" for the file made of the bytes
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason"); // %1 stands for the path

    QTest::newRow("NUL bytes") << QString() << "[00:01.00]a\0b\r\n"_ba << u"“%1”不是文本文件，无法打开。"_s;
    QTest::newRow("bytes GB18030 lacks") << QString() << "[00:01.00]\x81\x7F\r\n"_ba
                                         << u"“%1”不是文本文件，无法打开。"_s;
    QTest::newRow("cut off after a lead byte") << QString() << "\xB5\xDA\xD2"_ba << u"“%1”不是文本文件，无法打开。"_s;
    QTest::newRow("bad UTF-8 after the mark")
        << QString() << "\xEF\xBB\xBF\xB5\xDA"_ba << u"“%1”不是文本文件，无法打开。"_s;
    QTest::newRow("UTF-16 with an odd byte") << QString() << "\xFF\xFE[\000a"_ba << u"“%1”不是文本文件，无法打开。"_s;
    QTest::newRow("UTF-16 lone surrogate") << QString() << "\xFF\xFE\x3D\xD8"_ba << u"“%1”不是文本文件，无法打开。"_s;
    QTest::newRow("16 MiB + 1 byte") << QString() << QByteArray(kLimit + 1, 'a') << u"“%1”超过 16 MiB，无法打开。"_s;
    QTest::newRow("folder") << u"文件夹.lrc"_s << QByteArray() << u"“%1”不是普通文件，无法打开。"_s;
    QTest::newRow("named pipe") << u"管道.lrc"_s << QByteArray() << u"“%1”不是普通文件，无法打开。"_s;
    QTest::newRow("device") << u"/dev/zero"_s << QByteArray() << u"“%1”不是普通文件，无法打开。"_s;
    QTest::newRow("missing") << u"没有.lrc"_s << QByteArray() << u"无法读取文件“%1”：文件或文件夹不存在"_s;
    // A regular file whose reading fails in the kernel (no page at address 0), even for root.
    QTest::newRow("read error") << u"/proc/self/mem"_s << QByteArray() << u"无法读取文件“%1”：读写磁盘时出错"_s;
}

void TestForm1Open::refusesAndKeepsTheSheet()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    if (path.isEmpty()) {
        path = m_dir.filePath(u"坏的.lrc"_s);
        QVERIFY(writeBytes(path, file));
    } else if (path == u"文件夹.lrc"_s) {
        path = m_dir.filePath(path);
        QVERIFY(QDir().mkpath(path));
    } else if (path == u"管道.lrc"_s) {
        path = m_dir.filePath(path);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (!path.startsWith(u'/')) {
        path = m_dir.filePath(path);
    }
    m_form->Text2->setText(u"[00:01.00]留着"_s);
    m_form->Text2->document()->setModified(false);

    openThroughMenu(path);
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_prompts.errors[0].title, u"打开LRC歌词文件"_s);
    QCOMPARE(m_prompts.errors[0].text, reason.arg(path));
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]留着"_s);
    // The Save box still proposes nothing.
    m_prompts.fileAnswers << QString();
    m_form->Command7->click();
    QCOMPARE(m_prompts.proposedPaths, QStringList{QString()});
    QCOMPARE(m_prompts.proposedTypes, QList<int>{1});
}

void TestForm1Open::asksBeforeLosingUnsavedWork_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("打开") << true;
    QTest::newRow("取消") << false;
}

void TestForm1Open::asksBeforeLosingUnsavedWork()
{
    QFETCH(bool, answer);
    const QString path = m_dir.filePath(u"问.lrc"_s);
    QVERIFY(writeBytes(path, "[00:09.00]\xD0\xC2\r\n"_ba));
    m_form->Text1[1]->setText(u"00:01.00"_s);
    m_form->Text1[3]->setText(u"没保存"_s);
    m_form->Command6->click();
    const QString committed = m_form->Text2->text();
    m_form->Text1[3]->setText(u"还在格子里"_s);

    m_prompts.confirmAnswers << answer;
    openThroughMenu(path);
    QCOMPARE(m_prompts.questions.size(), 1);
    QCOMPARE(m_prompts.questions[0].title, u"LRC晓韵星舟"_s);
    QCOMPARE(m_prompts.questions[0].text, u"歌词还没有生成LRC文件，打开别的文件后将会丢失。确定要打开吗？"_s);
    // 取消 comes before the Open box: none is shown.
    QCOMPARE(m_prompts.askedFilters.size(), answer ? 1 : 0);
    QCOMPARE(m_form->Text2->text(), answer ? u"[00:09.00]新"_s : committed);
    QCOMPARE(m_form->Text1[3]->text(), u"还在格子里"_s);
    QVERIFY(m_prompts.errors.isEmpty());
}

void TestForm1Open::openedSheetCountsAsSavedAndUndoStartsThere()
{
    const QString path = m_dir.filePath(u"存过.lrc"_s);
    QVERIFY(writeBytes(path, "[00:01.00]\xB5\xDA\r\n"_ba));
    for (int element = 1; element <= 21; ++element)
        m_form->Text1[element]->clear();
    m_form->Text2->setText(u"以前的"_s);
    m_form->Text2->insertPlainText(u"编辑"_s);
    m_prompts.confirmAnswers << true;
    openThroughMenu(path);
    QCOMPARE(m_prompts.questions.size(), 1);

    // Nothing to undo before the opened text, and closing asks nothing.
    QTest::keyClick(m_form->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]第"_s);
    QVERIFY(m_form->close());
    QCOMPARE(m_prompts.questions.size(), 1);

    m_form = new Form1(m_prompts);
    openThroughMenu(path);
    m_form->Text2->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_form->Text2, u"x"_s);
    QVERIFY(!m_form->close());
    QCOMPARE(m_prompts.questions.size(), 2);
    QTest::keyClick(m_form->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]第"_s);
}

void TestForm1Open::newSheetSavedAsUtf8KeepsTheChoice()
{
    m_form->Text2->setText(u"[00:01.00]新的"_s);
    const QString path = m_dir.filePath(u"新.lrc"_s);
    m_prompts.fileAnswers << path << path;
    m_prompts.typeAnswers << 2;
    m_form->Command7->click();
    QCOMPARE(fileBytes(path), u"[00:01.00]新的\r\n"_s.toUtf8());
    m_form->Command7->click();
    QCOMPARE(m_prompts.proposedPaths, (QStringList{QString(), path}));
    QCOMPARE(m_prompts.proposedTypes, (QList<int>{1, 2}));
    QCOMPARE(fileBytes(path), u"[00:01.00]新的\r\n"_s.toUtf8());
}

// The real Open and Save boxes, answered as a user would: the Save box shows the opened file's
// folder, name and type.
void TestForm1Open::realOpenAndSaveBoxes()
{
    DialogPrompts realPrompts;
    Form1 form(realPrompts);
    form.show();
    const QString path = m_dir.filePath(u"真的.lrc"_s);
    QVERIFY(writeBytes(path, u"[00:03.00]真的\r\n"_s.toUtf8()));
    QStringList seen;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // Qt's question before replacing the file, then the program's success message.
            if (QAbstractButton* replace = box->button(QMessageBox::Yes)) {
                replace->click();
                return;
            }
            seen << box->windowTitle() + u'|' + box->text();
            box->accept();
            user.stop();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* nameBox = dialog ? dialog->findChild<QLineEdit*>(u"fileNameEdit"_s) : nullptr;
        if (!nameBox || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        seen << dialog->nameFilters().join(u';');
        if (dialog->acceptMode() == QFileDialog::AcceptOpen)
            nameBox->setText(path);
        else
            seen << QDir(dialog->directory()).absolutePath() << nameBox->text() << dialog->selectedNameFilter();
        // Queued: Qt's question before replacing the file waits inside accept(), and this timer
        // would not fire again while its own handler waits.
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
    });
    user.start();
    QTimer::singleShot(0, &form, [&form] { form.打开LRC歌词文件->trigger(); });
    QTRY_COMPARE_WITH_TIMEOUT(form.Text2->text(), u"[00:03.00]真的"_s, 10000);
    form.Text2->setText(form.Text2->text() + u"\r\n[00:04.00]€"_s);
    QTimer::singleShot(0, &form, [&form] { form.Command7->click(); });
    QTRY_VERIFY_WITH_TIMEOUT(!user.isActive(), 10000);
    QCOMPARE(seen,
             (QStringList{u"LRC歌词文件 (*.lrc);所有文件 (*)"_s, kCp936Type + u';' + kUtf8Type,
                          QDir(m_dir.path()).absolutePath(), u"真的.lrc"_s, kUtf8Type,
                          u"成功提示|LRC歌词文件制作成功！"_s}));
    QCOMPARE(fileBytes(path), u"[00:03.00]真的\r\n[00:04.00]€\r\n"_s.toUtf8());
}

// As the program starts: the arguments read, made absolute against the current folder, and
// handed to the shown window. A song is loaded as 载入歌曲 loads it.
void TestForm1Open::filesNamedOnTheCommandLine()
{
    MediaFixtures fixtures;
    const QString song = fixtures.withId3v2Title(u"歌.mp3"_s, u"命令行的歌"_s, MediaFixtures::TextEncoding::Utf8);
    QVERIFY2(!song.isEmpty(), qPrintable(fixtures.error()));
    QVERIFY(writeBytes(m_dir.filePath(u"歌.lrc"_s), "[00:01.00]\xB8\xE8\r\n"_ba));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    const QStringList files = commandLineFiles({u"xiaoyun-lrc"_s, u"歌.lrc"_s, song});
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(files, (QStringList{m_dir.filePath(u"歌.lrc"_s), song}));

    m_form->mp3->setAudioDriver(u"null"_s);
    m_form->show();
    m_form->openPaths(files);
    QVERIFY(m_prompts.errors.isEmpty());
    QVERIFY(m_prompts.askedFilters.isEmpty());
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]歌"_s);
    QCOMPARE(m_form->mp3->URL(), song);
    QCOMPARE(m_form->SkinLabel2->text(), u"命令行的歌"_s);
    QTRY_VERIFY(m_form->Command1->isEnabled());
}

LRC_TEST_MAIN(TestForm1Open)

#include "tst_form1open.moc"
