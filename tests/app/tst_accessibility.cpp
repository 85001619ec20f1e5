// What a screen reader hears: the names and roles of both windows' controls, the player's description, message boxes.
#include "app/dialog.h"
#include "app/dialogprompts.h"
#include "app/form1.h"
#include "playback/mediaplayer.h"
#include "playback/playercontrols.h"
#include "support/mediafixtures.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Role, name, value and help of the message box that show opens, read inside the box's own event
// loop (a box that is just closing may still count as modal for a moment), then answered.
QStringList heardWhile(const std::function<void()>& show)
{
    QStringList heard;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&poll, &heard] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
        heard << QString::number(face->role()) << face->text(QAccessible::Name) << face->text(QAccessible::Value)
              << face->text(QAccessible::Help);
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    show();
    return heard;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void controls_data();
    void controls();
    void playerDescriptionTellsPositionAndLength();
    void messageBoxesAreAlerts();

private:
    MediaFixtures m_fixtures;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

// One window for all: reading names changes nothing, and the player is loaded only by the last
// test that uses it (the song's name would change a label).
void TestAccessibility::initTestCase()
{
    m_form = new Form1(m_prompts);
    m_form->mp3->setAudioDriver(u"null"_s);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestAccessibility::cleanupTestCase()
{
    if (m_form && m_form->aboutDialog())
        delete m_form->aboutDialog();
    delete m_form;
}

void TestAccessibility::controls_data()
{
    QTest::addColumn<bool>("about"); // in the About dialog, else in the main window
    QTest::addColumn<QString>("object");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    const auto row = [](bool about, const char* object, QAccessible::Role role, const QString& name) {
        QTest::addRow("%s %s", about ? "About" : "main", object) << about << QString::fromUtf8(object) << role << name;
    };
    const QAccessible::Role edit = QAccessible::EditableText, button = QAccessible::PushButton;
    // The grid's 21 boxes, line by line: two time boxes, then the lyric.
    int box = 0;
    for (int line = 1; line <= 7; ++line) {
        for (const QString& column : {u"时间1"_s, u"时间2"_s, u"歌词"_s}) {
            const QByteArray object = "Text1(" + QByteArray::number(++box) + ')';
            row(false, object.constData(), edit, u"第%1行 %2"_s.arg(line).arg(column));
        }
    }
    row(false, "Text2", edit, u"歌词总表"_s);
    row(false, "mp3", QAccessible::Client, u"播放器"_s);
    row(false, "Command1", button, u"播放"_s);
    row(false, "Command2", button, u"快进"_s);
    row(false, "Command3", button, u"快退"_s);
    row(false, "Command4", button, u"音量+"_s);
    row(false, "Command5", button, u"音量-"_s);
    row(false, "Command6", button, u"新一页歌词信息"_s);
    row(false, "Command7", button, u"生成LRC歌词文件"_s);
    row(false, "Frame1", QAccessible::Grouping, u"播放控制"_s);
    row(false, "Frame2", QAccessible::Grouping, u"音量控制"_s);
    row(false, "SkinLabel1", QAccessible::StaticText, u"歌词出现时间："_s);
    row(false, "SkinLabel2", QAccessible::StaticText, u"歌曲信息(尚未载入歌曲)"_s);
    row(false, "SkinLabel3", QAccessible::StaticText, u"对应歌词信息："_s);
    row(false, "menuBar", QAccessible::MenuBar, u"菜单栏"_s);
    row(false, "文件", QAccessible::PopupMenu, u"文件"_s);
    row(false, "工具", QAccessible::PopupMenu, u"工具"_s);
    row(false, "播放速度", QAccessible::PopupMenu, u"播放速度"_s);
    row(false, "帮助", QAccessible::PopupMenu, u"帮助"_s);
    row(false, "minimiseButton", button, u"最小化"_s);
    row(false, "closeButton", button, u"关闭"_s);
    row(true, "Dialog", QAccessible::Dialog, u"关于程序："_s);
    row(true, "OKButton", button, u"确定"_s);
    row(true, "Frame1", QAccessible::Grouping, u"关于程序"_s);
    row(true, "SkinLabel1", QAccessible::StaticText, u"作者：星舟"_s);
    row(true, "SkinLabel2", QAccessible::StaticText, u"联系QQ：00000000   欢迎反馈BUG"_s);
    row(true, "SkinLabel3", QAccessible::StaticText, u"www.example.com  欢迎关注"_s);
    row(true, "closeButton", button, u"关闭"_s);
}

void TestAccessibility::controls()
{
    QFETCH(bool, about);
    QFETCH(QString, object);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QWidget* window = m_form;
    if (about) {
        m_form->about->trigger();
        window = m_form->aboutDialog();
        QVERIFY(window);
    }
    QWidget* control = window->objectName() == object ? window : window->findChild<QWidget*>(object);
    QVERIFY2(control, qPrintable(object));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    QVERIFY(face);
    QCOMPARE(face->role(), role);
    QCOMPARE(face->text(QAccessible::Name), name);
}

void TestAccessibility::playerDescriptionTellsPositionAndLength()
{
    QAccessibleInterface* player = QAccessible::queryAccessibleInterface(m_form->mp3);
    QCOMPARE(player->text(QAccessible::Description), u"位置 00:00.00 / 时长 00:00.00 / 音量 50"_s);
    const QString song = m_fixtures.tone(u"两秒.mp3"_s, 2);
    QVERIFY2(!song.isEmpty(), qPrintable(m_fixtures.error()));
    m_prompts.fileAnswers << song;
    m_form->载入歌曲->trigger();
    QTRY_COMPARE(player->text(QAccessible::Description), u"位置 00:00.00 / 时长 00:02.08 / 音量 50"_s);
    m_form->mp3->controls().setCurrentPosition(1.5);
    QTRY_COMPARE(player->text(QAccessible::Description), u"位置 00:01.50 / 时长 00:02.08 / 音量 50"_s);
}

// The real boxes: Qt gives a message box the alert role, which screen readers announce when it
// opens, with its title as the name and its text as the value.
void TestAccessibility::messageBoxesAreAlerts()
{
    DialogPrompts prompts;
    const QString alert = QString::number(QAccessible::AlertMessage);
    QCOMPARE(heardWhile([&] { prompts.showMessage(m_form, u"1:5:34"_s, u"当前时刻"_s); }),
             (QStringList{alert, u"当前时刻"_s, u"1:5:34"_s, u""_s}));
    QCOMPARE(heardWhile([&] { prompts.showError(m_form, u"生成LRC歌词文件"_s, u"磁盘已满"_s); }),
             (QStringList{alert, u"错误"_s, u"生成LRC歌词文件失败。"_s, u"磁盘已满"_s}));
}

LRC_TEST_MAIN(TestAccessibility)

#include "tst_accessibility.moc"
