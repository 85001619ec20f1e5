// What a screen reader hears: the names, roles and descriptions of both windows' controls and of the message boxes.
#include "app/dialog.h"
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "playback/mediaplayer.h"
#include "playback/playercontrols.h"
#include "scriptedprompts.h"
#include "support/mediafixtures.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QStringList childNames(QAccessibleInterface* parent)
{
    QStringList names;
    for (int i = 0; i < parent->childCount(); ++i)
        names << parent->child(i)->text(QAccessible::Name);
    return names;
}

// A modal box as a screen reader takes it in.
struct HeardBox {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString value;
    QString help;
};

// Waits, inside the box's own event loop, for the next modal window of type Box (a window that is
// just closing may still count as modal for a moment); reads it and lets answer close it.
template <typename Box>
void hearNextModal(HeardBox& heard, std::function<void(Box*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &heard, answer] {
        auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        QAccessibleInterface* face = accessible(box);
        heard = {face->role(), face->text(QAccessible::Name), face->text(QAccessible::Value),
                 face->text(QAccessible::Help)};
        answer(box);
    });
    poll->start();
}

void hearNextMessage(HeardBox& heard)
{
    hearNextModal<QMessageBox>(heard, [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
}

// The columns of a table of controls: object name, accessible role, accessible name.
void addControlColumns()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
}

void addControl(const char* object, QAccessible::Role role, const QString& name)
{
    QTest::newRow(object) << QString::fromUtf8(object) << role << name;
}

// Checks the current row against the control of window it names, or against window itself.
void verifyControl(QWidget* window)
{
    QFETCH(QString, object);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QWidget* control = window->objectName() == object ? window : window->findChild<QWidget*>(object);
    QVERIFY2(control, qPrintable(object));
    QAccessibleInterface* face = accessible(control);
    QVERIFY(face);
    QCOMPARE(face->role(), role);
    QCOMPARE(face->text(QAccessible::Name), name);
}

// Roles a user meets as a control; containers, scroll bars and the like are left to Qt.
bool isControlRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::EditableText:
    case QAccessible::StaticText:
    case QAccessible::Grouping:
    case QAccessible::MenuBar:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
        return true;
    default:
        return false;
    }
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void mainWindowControls_data();
    void mainWindowControls();
    void menus_data();
    void menus();
    void aboutDialogControls_data();
    void aboutDialogControls();
    void everyVisibleControlHasAName();
    void playerDescriptionTellsPositionAndLength();
    void messageBoxes_data();
    void messageBoxes();
    void pauseReadoutIsAnAlert();
    void exportSuccessIsAnAlert();

private:
    MediaFixtures fixtures_;
    QString song_;
    ScriptedPrompts prompts_;
    QPointer<Form1> form_;
};

void TestAccessibility::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    song_ = fixtures_.tone(u"两秒.mp3"_s, 2);
    QVERIFY2(!song_.isEmpty(), qPrintable(fixtures_.error()));
    form_ = new Form1(prompts_);
    form_->mp3->setAudioDriver(u"null"_s);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
}

// One window for all: reading names changes nothing, and the player is loaded only by the last
// test that uses it.
void TestAccessibility::cleanupTestCase()
{
    if (form_ && form_->aboutDialog())
        delete form_->aboutDialog();
    delete form_;
}

void TestAccessibility::mainWindowControls_data()
{
    addControlColumns();
    addControl("Text1(1)", QAccessible::EditableText, u"第1行 时间1"_s);
    addControl("Text1(2)", QAccessible::EditableText, u"第1行 时间2"_s);
    addControl("Text1(3)", QAccessible::EditableText, u"第1行 歌词"_s);
    addControl("Text1(4)", QAccessible::EditableText, u"第2行 时间1"_s);
    addControl("Text1(5)", QAccessible::EditableText, u"第2行 时间2"_s);
    addControl("Text1(6)", QAccessible::EditableText, u"第2行 歌词"_s);
    addControl("Text1(7)", QAccessible::EditableText, u"第3行 时间1"_s);
    addControl("Text1(8)", QAccessible::EditableText, u"第3行 时间2"_s);
    addControl("Text1(9)", QAccessible::EditableText, u"第3行 歌词"_s);
    addControl("Text1(10)", QAccessible::EditableText, u"第4行 时间1"_s);
    addControl("Text1(11)", QAccessible::EditableText, u"第4行 时间2"_s);
    addControl("Text1(12)", QAccessible::EditableText, u"第4行 歌词"_s);
    addControl("Text1(13)", QAccessible::EditableText, u"第5行 时间1"_s);
    addControl("Text1(14)", QAccessible::EditableText, u"第5行 时间2"_s);
    addControl("Text1(15)", QAccessible::EditableText, u"第5行 歌词"_s);
    addControl("Text1(16)", QAccessible::EditableText, u"第6行 时间1"_s);
    addControl("Text1(17)", QAccessible::EditableText, u"第6行 时间2"_s);
    addControl("Text1(18)", QAccessible::EditableText, u"第6行 歌词"_s);
    addControl("Text1(19)", QAccessible::EditableText, u"第7行 时间1"_s);
    addControl("Text1(20)", QAccessible::EditableText, u"第7行 时间2"_s);
    addControl("Text1(21)", QAccessible::EditableText, u"第7行 歌词"_s);
    addControl("Text2", QAccessible::EditableText, u"歌词总表"_s);
    addControl("mp3", QAccessible::Client, u"播放器"_s);
    addControl("Command1", QAccessible::PushButton, u"播放"_s);
    addControl("Command2", QAccessible::PushButton, u"快进"_s);
    addControl("Command3", QAccessible::PushButton, u"快退"_s);
    addControl("Command4", QAccessible::PushButton, u"音量+"_s);
    addControl("Command5", QAccessible::PushButton, u"音量-"_s);
    addControl("Command6", QAccessible::PushButton, u"新一页歌词信息"_s);
    addControl("Command7", QAccessible::PushButton, u"生成LRC歌词文件"_s);
    addControl("Frame1", QAccessible::Grouping, u"播放控制"_s);
    addControl("Frame2", QAccessible::Grouping, u"音量控制"_s);
    addControl("SkinLabel1", QAccessible::StaticText, u"歌词出现时间："_s);
    addControl("SkinLabel2", QAccessible::StaticText, u"歌曲信息(尚未载入歌曲)"_s);
    addControl("SkinLabel3", QAccessible::StaticText, u"对应歌词信息："_s);
    addControl("menuBar", QAccessible::MenuBar, u"菜单栏"_s);
    addControl("minimiseButton", QAccessible::PushButton, u"最小化"_s);
    addControl("closeButton", QAccessible::PushButton, u"关闭"_s);
}

void TestAccessibility::mainWindowControls()
{
    verifyControl(form_);
}

void TestAccessibility::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("menu bar") << u""_s << QStringList{u"文件"_s, u"帮助"_s, u"反馈BUG"_s};
    QTest::newRow("文件") << u"文件"_s << QStringList{u"载入歌曲"_s, u"退出程序"_s};
    QTest::newRow("帮助") << u"帮助"_s << QStringList{u"使用说明"_s, u""_s, u"关于"_s};
}

void TestAccessibility::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);

    QAccessibleInterface* face = accessible(form_->menuBar);
    if (!menu.isEmpty()) {
        auto* popup = form_->menuBar->findChild<QMenu*>(menu);
        QVERIFY2(popup, qPrintable(menu));
        face = accessible(popup);
        QCOMPARE(face->role(), QAccessible::PopupMenu);
        QCOMPARE(face->text(QAccessible::Name), menu);
    }
    QCOMPARE(childNames(face), items);
}

void TestAccessibility::aboutDialogControls_data()
{
    addControlColumns();
    addControl("Dialog", QAccessible::Dialog, u"关于程序："_s);
    addControl("OKButton", QAccessible::PushButton, u"确定"_s);
    addControl("Frame1", QAccessible::Grouping, u"关于程序"_s);
    addControl("SkinLabel1", QAccessible::StaticText, u"作者：星舟"_s);
    addControl("SkinLabel2", QAccessible::StaticText, u"联系QQ：00000000   欢迎反馈BUG"_s);
    addControl("SkinLabel3", QAccessible::StaticText, u"www.example.com  欢迎关注"_s);
    addControl("closeButton", QAccessible::PushButton, u"关闭"_s);
}

void TestAccessibility::aboutDialogControls()
{
    form_->about->trigger();
    QVERIFY(form_->aboutDialog());
    verifyControl(form_->aboutDialog());
}

// Catches a control added later without a name, which the tables above would not know about.
void TestAccessibility::everyVisibleControlHasAName()
{
    form_->about->trigger();
    QVERIFY(form_->aboutDialog());
    int controls = 0;
    for (QWidget* window : {static_cast<QWidget*>(form_), static_cast<QWidget*>(form_->aboutDialog())}) {
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            QAccessibleInterface* face = accessible(widget);
            if (!widget->isVisible() || !face || !isControlRole(face->role()))
                continue;
            ++controls;
            QVERIFY2(!face->text(QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
        }
    }
    // 35 in the main window (21 boxes, the sheet, 7 buttons, 2 frames, 3 labels, the menu bar) plus
    // the two caption buttons; 5 in the dialog plus its close button.
    QCOMPARE(controls, 37 + 6);
}

void TestAccessibility::playerDescriptionTellsPositionAndLength()
{
    QAccessibleInterface* player = accessible(form_->mp3);
    QCOMPARE(player->text(QAccessible::Description), u"位置 00:00.00 / 时长 00:00.00"_s);

    prompts_.fileAnswers << song_;
    form_->载入歌曲->trigger();
    QTRY_COMPARE(player->text(QAccessible::Description), u"位置 00:00.00 / 时长 00:02.08"_s);

    form_->mp3->controls().setCurrentPosition(1.5);
    QTRY_COMPARE(player->text(QAccessible::Description), u"位置 00:01.50 / 时长 00:02.08"_s);
    form_->mp3->controls().setCurrentPosition(0.25);
    QTRY_COMPARE(player->text(QAccessible::Description), u"位置 00:00.25 / 时长 00:02.08"_s);
}

void TestAccessibility::messageBoxes_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("help");
    QTest::newRow("pause readout") << false << u"1:5:34"_s << u"当前时刻"_s << u"当前时刻"_s << u"1:5:34"_s << u""_s;
    QTest::newRow("export success") << false << u"LRC歌词文件制作成功！"_s << u"成功提示"_s << u"成功提示"_s
                                    << u"LRC歌词文件制作成功！"_s << u""_s;
    QTest::newRow("error with reason") << true << u"生成LRC歌词文件"_s << u"磁盘已满"_s << u"错误"_s
                                       << u"生成LRC歌词文件失败。"_s << u"磁盘已满"_s;
}

// The real boxes: Qt gives a message box the alert role, which screen readers announce when it
// opens, with its title as the name and its text as the value.
void TestAccessibility::messageBoxes()
{
    QFETCH(bool, error);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, help);

    DialogPrompts prompts;
    HeardBox heard;
    hearNextMessage(heard);
    if (error)
        prompts.showError(form_, first, second);
    else
        prompts.showMessage(form_, first, second);
    QCOMPARE(heard.role, QAccessible::AlertMessage);
    QCOMPARE(heard.name, name);
    QCOMPARE(heard.value, value);
    QCOMPARE(heard.help, help);
}

void TestAccessibility::pauseReadoutIsAnAlert()
{
    DialogPrompts prompts;
    Form1* form = new Form1(prompts);
    form->mp3->setAudioDriver(u"null"_s);
    form->show();
    form->mp3->setURL(song_);
    form->mp3->controls().stop();
    QTRY_VERIFY(form->Command1->isEnabled());

    form->Command1->click();
    QCOMPARE(form->Command1->text(), u"暂停"_s);
    HeardBox heard;
    hearNextMessage(heard);
    form->Command1->click();
    delete form;

    QCOMPARE(heard.role, QAccessible::AlertMessage);
    QCOMPARE(heard.name, u"当前时刻"_s);
    // Where the pause lands depends on the clock; the song is two seconds long.
    QVERIFY2(QRegularExpression(u"^0:[012]:\\d{1,2}$"_s).match(heard.value).hasMatch(), qPrintable(heard.value));
}

void TestAccessibility::exportSuccessIsAnAlert()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(u"无障碍.lrc"_s);
    DialogPrompts prompts;
    Form1* form = new Form1(prompts);
    form->show();
    form->Text1[3]->setText(u"第一句"_s);
    form->Command6->click();

    HeardBox heard;
    hearNextModal<QFileDialog>(heard, [path, &heard](QFileDialog* saveBox) {
        // Typed, as a user does: selectFile() loses the name when the folder listing arrives after it.
        auto* nameBox = saveBox->findChild<QLineEdit*>(u"fileNameEdit"_s);
        QVERIFY(nameBox);
        nameBox->setText(path);
        static_cast<QDialog*>(saveBox)->accept();
        hearNextMessage(heard);
    });
    form->Command7->click();
    delete form;

    QVERIFY(QFile::exists(path));
    QCOMPARE(heard.role, QAccessible::AlertMessage);
    QCOMPARE(heard.name, u"成功提示"_s);
    QCOMPARE(heard.value, u"LRC歌词文件制作成功！"_s);
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accessibility.moc"
