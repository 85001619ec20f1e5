// Saving the sheet as an LRC file through the main window's export button.
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "app/sheetbox.h"
#include "scriptedprompts.h"
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

private:
    QByteArray exportTo(const QString& path);
    ScriptedPrompts prompts_;
    QPointer<Form1> form_;
    QTemporaryDir dir_;
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
    prompts_ = ScriptedPrompts();
    form_ = new Form1(prompts_);
}

void TestForm1Export::cleanup()
{
    delete form_;
}

QByteArray TestForm1Export::exportTo(const QString& path)
{
    prompts_.fileAnswers << path;
    form_->Command7->click();
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
    QTest::newRow("pair typed in a lyric") << u"[00:01.00]啊[]啊"_s << QByteArray("[00:01.00]\xb0\xa1\xb0\xa1\r\n")
                                           << u"[00:01.00]啊啊"_s;
    QTest::newRow("empty sheet") << QString() << QByteArray("\r\n") << QString();
    QTest::newRow("outside GBK") << u"[00:02.00]😀"_s << QByteArray("[00:02.00]\x94\x39\xfc\x36\r\n")
                                 << u"[00:02.00]😀"_s;
}

void TestForm1Export::exportWritesTheCleanedSheet()
{
    QFETCH(QString, sheet);
    QFETCH(QByteArray, file);
    QFETCH(QString, cleanedSheet);
    form_->Text2->setText(sheet);
    QCOMPARE(exportTo(dir_.filePath(u"out.lrc"_s)), file);
    QCOMPARE(form_->Text2->text(), cleanedSheet);
    QCOMPARE(prompts_.askedFilters, QStringList{u"LRC歌词文件|*.lrc"_s});
    QCOMPARE(prompts_.messages.size(), 1);
    QCOMPARE(prompts_.messages[0].title, u"成功提示"_s);
    QCOMPARE(prompts_.messages[0].text, u"LRC歌词文件制作成功！"_s);
    QVERIFY(prompts_.errors.isEmpty());
}

void TestForm1Export::committedPageExportsAsLines()
{
    form_->Text1[1]->setText(u"00:12.50"_s);
    form_->Text1[2]->clear();
    form_->Text1[3]->setText(u"我的歌"_s);
    for (int element = 4; element <= 21; ++element)
        form_->Text1[element]->clear();
    form_->Command6->click();
    QCOMPARE(exportTo(dir_.filePath(u"page.lrc"_s)),
             QByteArray("[00:12.50]\xce\xd2\xb5\xc4\xb8\xe8\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"));
}

void TestForm1Export::cancelWritesNothingButTheSheetStaysCleaned()
{
    form_->Text2->setText(u"[00:01.00][]一\r\n"_s);
    const QStringList filesBefore = QDir(dir_.path()).entryList(QDir::Files);
    prompts_.fileAnswers << QString();
    form_->Command7->click();
    QCOMPARE(form_->Text2->text(), u"[00:01.00]一\r\n"_s);
    QVERIFY(prompts_.messages.isEmpty());
    QVERIFY(prompts_.errors.isEmpty());
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), filesBefore);
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
    form_->Text2->setText(u"[00:01.00][]一\r\n"_s);
    for (int element = 1; element <= 21; ++element)
        form_->Text1[element]->clear();
    form_->Text1[1]->setText(u"00:02.00"_s);
    form_->Text1[3]->setText(u"二[]"_s);
    form_->Command6->click();
    const QString committed = form_->Text2->text();

    prompts_.fileAnswers << (saved ? dir_.filePath(u"undo.lrc"_s) : QString());
    form_->Command7->click();
    QCOMPARE(form_->Text2->text(), u"[00:01.00]一\r\n[00:02.00]二\r\n\r\n\r\n\r\n\r\n\r\n\r\n"_s);
    QCOMPARE(prompts_.messages.size(), saved ? 1 : 0);

    QTest::keyClick(form_->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form_->Text2->text(), committed);
    QTest::keyClick(form_->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form_->Text2->text(), u"[00:01.00][]一\r\n"_s);
}

void TestForm1Export::nameIsUsedAsTyped()
{
    form_->Text2->setText(u"[00:01.00]一"_s);
    const QString path = dir_.filePath(u"没有扩展名"_s);
    QCOMPARE(exportTo(path), QByteArray("[00:01.00]\xd2\xbb\r\n"));
    QVERIFY(!QFile::exists(path + u".lrc"_s));
}

void TestForm1Export::exportingTwiceWritesTheSameFile()
{
    form_->Text2->setText(u"[00:01.00][]一\r\n[][]\r\n"_s);
    const QByteArray first = exportTo(dir_.filePath(u"a.lrc"_s));
    const QString cleaned = form_->Text2->text();
    const QByteArray second = exportTo(dir_.filePath(u"b.lrc"_s));
    QCOMPARE(second, first);
    QCOMPARE(form_->Text2->text(), cleaned);
    QCOMPARE(prompts_.messages.size(), 2);
}

void TestForm1Export::unwritablePathIsReportedAndTheOldFileKept()
{
    const QString missingFolder = dir_.filePath(u"没有这个文件夹/歌.lrc"_s);
    form_->Text2->setText(u"[00:01.00][]一"_s);
    prompts_.fileAnswers << missingFolder;
    form_->Command7->click();
    QCOMPARE(prompts_.errors.size(), 1);
    QCOMPARE(prompts_.errors[0].title, u"生成LRC歌词文件"_s);
    QVERIFY2(prompts_.errors[0].text.contains(missingFolder), qPrintable(prompts_.errors[0].text));
    QVERIFY(prompts_.messages.isEmpty());
    QCOMPARE(form_->Text2->text(), u"[00:01.00]一"_s);

    // A folder standing where the file should go cannot be replaced, not even by root.
    const QString folder = dir_.filePath(u"占位"_s);
    QVERIFY(QDir().mkpath(folder + u"/内容"_s));
    prompts_.fileAnswers << folder;
    form_->Command7->click();
    QCOMPARE(prompts_.errors.size(), 2);
    QVERIFY(QFileInfo(folder + u"/内容"_s).isDir());
    QVERIFY(prompts_.messages.isEmpty());
}

void TestForm1Export::realSaveBoxAndSuccessMessage()
{
    // The real file dialog and message box, answered the way a user would.
    DialogPrompts realPrompts;
    Form1 form(realPrompts);
    form.show();
    form.Text2->setText(u"[00:03.00][]真的对话框\r\n"_s);
    const QString path = dir_.filePath(u"真的.lrc"_s);
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
    QCOMPARE(seen, (QStringList{u"LRC歌词文件 (*.lrc)"_s, u"成功提示|LRC歌词文件制作成功！|1"_s}));
    QCOMPARE(fileBytes(path), QByteArray("[00:03.00]\xd5\xe6\xb5\xc4\xb6\xd4\xbb\xb0\xbf\xf2\r\n\r\n"));
}

LRC_TEST_MAIN(TestForm1Export)

#include "tst_form1export.moc"
