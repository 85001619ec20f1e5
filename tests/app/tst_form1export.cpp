// Saving the sheet as an LRC file through the main window's export button.
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "app/sheetbox.h"
#include "support/scratchmount.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

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

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ScratchMount::Kind)

class TestForm1Export : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void exportWritesTheCleanedSheet_data();
    void exportWritesTheCleanedSheet();
    void committedPageExportsAsLines();
    void cancelWritesNothingButTheSheetStaysCleaned();
    void undoBringsTheEmptyTagsBack_data();
    void undoBringsTheEmptyTagsBack();
    void nameIsUsedAsTyped();
    void exportingTwiceWritesTheSameFile();
    void unwritablePathIsReportedAndTheOldFileKept();
    void realSaveBoxAndSuccessMessage();
    void fullDiskShowsNoSuccessAndKeepsTheSheetUnsaved_data();
    void fullDiskShowsNoSuccessAndKeepsTheSheetUnsaved();

private:
    QByteArray exportTo(const QString& path);
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
    QTemporaryDir m_dir;
};

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

void TestForm1Export::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
}

void TestForm1Export::cleanup()
{
    delete m_form;
}

QByteArray TestForm1Export::exportTo(const QString& path)
{
    m_prompts.fileAnswers << path;
    m_form->Command7->click();
    return fileBytes(path);
}

void TestForm1Export::exportWritesTheCleanedSheet_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("cleanedSheet");
    QTest::newRow("worked example")
        << u"[00:12.50][]第一句\r\n[00:15.00][01:20.00]第二句\r\n[][]\r\n"_s
        << QByteArray("[00:12.50]\xb5\xda\xd2\xbb\xbe\xe4\r\n[00:15.00][01:20.00]\xb5\xda\xb6\xfe\xbe\xe4\r\n\r\n\r\n")
        << u"[00:12.50]第一句\r\n[00:15.00][01:20.00]第二句\r\n\r\n"_s;
    QTest::newRow("nested pair loses one level") << u"[[]]"_s << QByteArray("[]\r\n") << u"[]"_s;
    QTest::newRow("deeper nesting loses one level") << u"[[[]]]"_s << QByteArray("[[]]\r\n") << u"[[]]"_s;
    QTest::newRow("brackets around a pair stay") << u"[[]]]"_s << QByteArray("[]]\r\n") << u"[]]"_s;
    QTest::newRow("pair split by a line break stays") << u"[\r\n]"_s << QByteArray("[\r\n]\r\n") << u"[\r\n]"_s;
    QTest::newRow("pair typed in a lyric")
        << u"[00:01.00]啊[]啊"_s << QByteArray("[00:01.00]\xb0\xa1\xb0\xa1\r\n") << u"[00:01.00]啊啊"_s;
    QTest::newRow("empty sheet") << QString() << QByteArray("\r\n") << QString();
    QTest::newRow("outside GBK") << u"[00:02.00]😀"_s << QByteArray("[00:02.00]\x94\x39\xfc\x36\r\n")
                                 << u"[00:02.00]😀"_s;
}

void TestForm1Export::exportWritesTheCleanedSheet()
{
    QFETCH(QString, sheet);
    QFETCH(QByteArray, file);
    QFETCH(QString, cleanedSheet);
    m_form->Text2->setText(sheet);
    QCOMPARE(exportTo(m_dir.filePath(u"out.lrc"_s)), file);
    QCOMPARE(m_form->Text2->text(), cleanedSheet);
    QCOMPARE(m_prompts.askedFilters, QStringList{u"LRC歌词文件|*.lrc|LRC歌词文件（UTF-8）|*.lrc"_s});
    QCOMPARE(m_prompts.messages.size(), 1);
    QCOMPARE(m_prompts.messages[0].title, u"成功提示"_s);
    QCOMPARE(m_prompts.messages[0].text, u"LRC歌词文件制作成功！"_s);
    QVERIFY(m_prompts.errors.isEmpty());
}

void TestForm1Export::committedPageExportsAsLines()
{
    m_form->Text1[1]->setText(u"00:12.50"_s);
    m_form->Text1[2]->clear();
    m_form->Text1[3]->setText(u"我的歌"_s);
    for (int element = 4; element <= 21; ++element)
        m_form->Text1[element]->clear();
    m_form->Command6->click();
    QCOMPARE(exportTo(m_dir.filePath(u"page.lrc"_s)),
             QByteArray("[00:12.50]\xce\xd2\xb5\xc4\xb8\xe8\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"));
}

void TestForm1Export::cancelWritesNothingButTheSheetStaysCleaned()
{
    m_form->Text2->setText(u"[00:01.00][]一\r\n"_s);
    const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    m_prompts.fileAnswers << QString();
    m_form->Command7->click();
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]一\r\n"_s);
    QVERIFY(m_prompts.messages.isEmpty());
    QVERIFY(m_prompts.errors.isEmpty());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), filesBefore);
}

void TestForm1Export::undoBringsTheEmptyTagsBack_data()
{
    QTest::addColumn<bool>("saved");
    QTest::newRow("after an export") << true;
    QTest::newRow("after a cancelled export") << false;
}

// The cleaning is one edit of the sheet: one Ctrl+Z brings every "[]" back, and the history
// before it (here a committed page) is still there.
void TestForm1Export::undoBringsTheEmptyTagsBack()
{
    QFETCH(bool, saved);
    m_form->Text2->setText(u"[00:01.00][]一\r\n"_s);
    for (int element = 1; element <= 21; ++element)
        m_form->Text1[element]->clear();
    m_form->Text1[1]->setText(u"00:02.00"_s);
    m_form->Text1[3]->setText(u"二[]"_s);
    m_form->Command6->click();
    const QString committed = m_form->Text2->text();

    m_prompts.fileAnswers << (saved ? m_dir.filePath(u"undo.lrc"_s) : QString());
    m_form->Command7->click();
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]一\r\n[00:02.00]二\r\n\r\n\r\n\r\n\r\n\r\n\r\n"_s);
    QCOMPARE(m_prompts.messages.size(), saved ? 1 : 0);

    QTest::keyClick(m_form->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_form->Text2->text(), committed);
    QTest::keyClick(m_form->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_form->Text2->text(), u"[00:01.00][]一\r\n"_s);
}

void TestForm1Export::nameIsUsedAsTyped()
{
    m_form->Text2->setText(u"[00:01.00]一"_s);
    const QString path = m_dir.filePath(u"没有扩展名"_s);
    QCOMPARE(exportTo(path), QByteArray("[00:01.00]\xd2\xbb\r\n"));
    QVERIFY(!QFile::exists(path + u".lrc"_s));
}

void TestForm1Export::exportingTwiceWritesTheSameFile()
{
    m_form->Text2->setText(u"[00:01.00][]一\r\n[][]\r\n"_s);
    const QByteArray first = exportTo(m_dir.filePath(u"a.lrc"_s));
    const QString cleaned = m_form->Text2->text();
    const QByteArray second = exportTo(m_dir.filePath(u"b.lrc"_s));
    QCOMPARE(second, first);
    QCOMPARE(m_form->Text2->text(), cleaned);
    QCOMPARE(m_prompts.messages.size(), 2);
}

void TestForm1Export::unwritablePathIsReportedAndTheOldFileKept()
{
    const QString missingFolder = m_dir.filePath(u"没有这个文件夹/歌.lrc"_s);
    m_form->Text2->setText(u"[00:01.00][]一"_s);
    m_prompts.fileAnswers << missingFolder;
    m_form->Command7->click();
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_prompts.errors[0].title, u"生成LRC歌词文件"_s);
    QVERIFY2(m_prompts.errors[0].text.contains(missingFolder), qPrintable(m_prompts.errors[0].text));
    QVERIFY(m_prompts.messages.isEmpty());
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]一"_s);

    // A folder standing where the file should go cannot be replaced, not even by root.
    const QString folder = m_dir.filePath(u"占位"_s);
    QVERIFY(QDir().mkpath(folder + u"/内容"_s));
    m_prompts.fileAnswers << folder;
    m_form->Command7->click();
    QCOMPARE(m_prompts.errors.size(), 2);
    QVERIFY(QFileInfo(folder + u"/内容"_s).isDir());
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestForm1Export::realSaveBoxAndSuccessMessage()
{
    // The real file dialog and message box, answered the way a user would.
    DialogPrompts realPrompts;
    Form1 form(realPrompts);
    form.show();
    form.Text2->setText(u"[00:03.00][]真的对话框\r\n"_s);
    const QString path = m_dir.filePath(u"真的.lrc"_s);
    QStringList seen;
    QTimer user;
    user.setInterval(20);
    connect(&user, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            seen << dialog->nameFilters().join(u';');
            // Typed into the name box, as a user does: selectFile() can lose the name when the
            // folder listing arrives after it, which would leave the box open.
            auto* nameBox = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            if (!nameBox || seen.size() > 20) {
                static_cast<QDialog*>(dialog)->reject();
                return;
            }
            nameBox->setText(path);
            static_cast<QDialog*>(dialog)->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen << box->windowTitle() + u'|' + box->text() + u'|' + QString::number(box->buttons().size());
            box->accept();
            user.stop();
        }
    });
    user.start();
    QTimer::singleShot(0, &form, [&form] { form.Command7->click(); });
    QTRY_VERIFY_WITH_TIMEOUT(!user.isActive(), 10000);
    QCOMPARE(
        seen,
        (QStringList{u"LRC歌词文件 (*.lrc);LRC歌词文件（UTF-8） (*.lrc)"_s, u"成功提示|LRC歌词文件制作成功！|1"_s}));
    QCOMPARE(fileBytes(path), QByteArray("[00:03.00]\xd5\xe6\xb5\xc4\xb6\xd4\xbb\xb0\xbf\xf2\r\n\r\n"));
}

void TestForm1Export::fullDiskShowsNoSuccessAndKeepsTheSheetUnsaved_data()
{
    QTest::addColumn<ScratchMount::Kind>("kind");
    QTest::addColumn<bool>("existing");
    QTest::newRow("full tmpfs, over a file") << ScratchMount::Kind::Tmpfs << true;
    QTest::newRow("ext4 full only at the sync, as a new file") << ScratchMount::Kind::Ext4OnShortDisk << false;
}

// The error is shown instead of the success box, and closing the window would still ask about the sheet.
void TestForm1Export::fullDiskShowsNoSuccessAndKeepsTheSheetUnsaved()
{
    QFETCH(ScratchMount::Kind, kind);
    QFETCH(bool, existing);
    ScratchMount disk(kind, 4 << 20);
    if (!disk.failure().isEmpty())
        QSKIP(qPrintable(disk.failure()));
    const QString path = disk.path() + u"/歌.lrc"_s;
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write("[00:01.00]old\r\n\r\n"), 17);
    }
    QVERIFY2(disk.fill(), qPrintable(disk.failure()));
    // Typed, as a user does, so the sheet counts as changed.
    QTest::keyClicks(m_form->Text2, u"[00:01.00][]one"_s);
    QVERIFY(m_form->Text2->document()->isModified());

    m_prompts.fileAnswers << path;
    m_form->Command7->click();
    QCOMPARE(m_prompts.errors.size(), 1);
    QCOMPARE(m_prompts.errors[0].title, u"生成LRC歌词文件"_s);
    QVERIFY2(m_prompts.errors[0].text.startsWith(u"无法写入文件“%1”："_s.arg(path)),
             qPrintable(m_prompts.errors[0].text));
    QVERIFY(m_prompts.messages.isEmpty());
    QVERIFY(m_form->Text2->document()->isModified());
    QCOMPARE(fileBytes(path), existing ? QByteArray("[00:01.00]old\r\n\r\n") : QByteArray("<missing>"));
    QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             existing ? 1 : 0);
}

LRC_TEST_MAIN(TestForm1Export)

#include "tst_form1export.moc"
