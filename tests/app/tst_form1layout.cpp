// The main window as designed: every control's name, kind, text, place, stacking and tab order.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/windowcentring.h"
#include "playback/mediaplayer.h"
#include "scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestForm1Layout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void controls_data();
    void controls();
    void stackingFrontToBack();
    void focusChainFollowsTabOrder();
    void menus();
    void timersRunFromStartUp();
    void centring_data();
    void centring();
    void keptReachable_data();
    void keptReachable();
    void windowIsCentredAtLoad();
    void exitClosesAndDestroysTheWindow();

private:
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

namespace {

QString controlText(QWidget* control)
{
    if (auto* box = qobject_cast<QGroupBox*>(control))
        return box->title();
    if (auto* sheet = qobject_cast<SheetBox*>(control))
        return sheet->text();
    return control->property("text").toString();
}

} // namespace

void TestForm1Layout::init()
{
    m_form = new Form1(m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestForm1Layout::cleanup()
{
    delete m_form;
}

void TestForm1Layout::window()
{
    QCOMPARE(m_form->windowTitle(), u"LRC晓韵星舟  v1.0 beta 测试版"_s);
    QCOMPARE(m_form->client->size(), QSize(748, 509));
    QCOMPARE(m_form->client->y(), m_form->menuBar->geometry().bottom() + 1);
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(m_form->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!m_form->mp3->enableContextMenu());
}

void TestForm1Layout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("tabIndex");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");

    const auto row = [](const char* name, const char* kind, const QString& text, QRect geometry, int tab,
                        bool enabled = true, bool visible = true) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(kind) << text << geometry << tab << enabled
                            << visible;
    };
    row("Text2", "SheetBox", u""_s, {8, 8, 745, 25}, 35);
    row("Command7", "QPushButton", u"生成LRC歌词文件"_s, {376, 472, 137, 33}, 34);
    row("Command6", "QPushButton", u"新一页歌词信息"_s, {176, 472, 137, 33}, 33);
    row("Command5", "QPushButton", u"音量-"_s, {584, 112, 65, 33}, 31, false);
    row("Command4", "QPushButton", u"音量+"_s, {512, 112, 65, 33}, 30, false);
    row("SkinLabel2", "SkinLabel", u"歌曲信息(尚未载入歌曲)"_s, {288, 120, 161, 25}, 29);
    row("Command3", "QPushButton", u"快退"_s, {224, 112, 57, 33}, 28, false);
    row("Command2", "QPushButton", u"快进"_s, {160, 112, 57, 33}, 27, false);
    row("Frame2", "QGroupBox", u"音量控制"_s, {496, 96, 169, 57}, 26);
    row("Frame1", "QGroupBox", u"播放控制"_s, {144, 96, 321, 57}, 25);
    row("Command1", "QPushButton", u"播放"_s, {24, 112, 81, 33}, 22, false);
    row("SkinLabel1", "SkinLabel", u"歌词出现时间："_s, {24, 160, 185, 25}, 0);
    row("Text1(0)", "QLineEdit", u""_s, {688, 56, 12, 18}, 23, true, false);
    row("SkinLabel3", "SkinLabel", u"对应歌词信息："_s, {216, 160, 185, 25}, 32);
    row("mp3", "MediaPlayer", u""_s, {24, 8, 697, 145}, 24);

    row("Text1(1)", "QLineEdit", u"此处输入时间1"_s, {24, 184, 81, 25}, 1);
    row("Text1(2)", "QLineEdit", u"此处输入时间2"_s, {112, 184, 81, 25}, 2);
    row("Text1(3)", "QLineEdit", u"此处输入歌词信息"_s, {216, 184, 505, 25}, 3);
    row("Text1(4)", "QLineEdit", u"此处输入时间1"_s, {24, 224, 81, 25}, 4);
    row("Text1(5)", "QLineEdit", u"此处输入时间2"_s, {112, 224, 81, 25}, 5);
    row("Text1(6)", "QLineEdit", u"此处输入歌词信息"_s, {216, 224, 505, 25}, 6);
    row("Text1(7)", "QLineEdit", u"此处输入时间1"_s, {24, 264, 81, 25}, 7);
    row("Text1(8)", "QLineEdit", u"此处输入时间2"_s, {112, 264, 81, 25}, 8);
    row("Text1(9)", "QLineEdit", u"此处输入歌词信息"_s, {216, 264, 505, 25}, 9);
    row("Text1(10)", "QLineEdit", u"此处输入时间1"_s, {24, 304, 81, 25}, 10);
    row("Text1(11)", "QLineEdit", u"此处输入时间2"_s, {112, 304, 81, 25}, 11);
    row("Text1(12)", "QLineEdit", u"此处输入歌词信息"_s, {216, 304, 505, 25}, 12);
    row("Text1(13)", "QLineEdit", u"此处输入时间1"_s, {24, 344, 81, 25}, 13);
    row("Text1(14)", "QLineEdit", u"此处输入时间2"_s, {112, 344, 81, 25}, 14);
    row("Text1(15)", "QLineEdit", u"此处输入歌词信息"_s, {216, 344, 505, 25}, 15);
    row("Text1(16)", "QLineEdit", u"此处输入时间1"_s, {24, 384, 81, 25}, 16);
    row("Text1(17)", "QLineEdit", u"此处输入时间2"_s, {112, 384, 81, 25}, 17);
    row("Text1(18)", "QLineEdit", u"此处输入歌词信息"_s, {216, 384, 505, 25}, 18);
    row("Text1(19)", "QLineEdit", u"此处输入时间1"_s, {24, 424, 81, 25}, 19);
    row("Text1(20)", "QLineEdit", u"此处输入时间2"_s, {112, 424, 81, 25}, 20);
    row("Text1(21)", "QLineEdit", u"此处输入歌词信息"_s, {216, 424, 505, 25}, 21);
}

void TestForm1Layout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(int, tabIndex);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);

    auto* control = m_form->client->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(QString::fromUtf8(control->metaObject()->className()), kind);
    QCOMPARE(controlText(control), text);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->property("tabIndex").toInt(), tabIndex);
    QCOMPARE(control->isEnabled(), enabled);
    QCOMPARE(control->isVisible(), visible);
}

void TestForm1Layout::stackingFrontToBack()
{
    QStringList frontToBack;
    const QObjectList children = m_form->client->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        if (!(*it)->isWidgetType())
            continue;
        QString name = (*it)->objectName();
        const bool gridBox = name.startsWith(u"Text1("_s) && name != u"Text1(0)"_s;
        if (gridBox)
            name = u"grid"_s;
        if (frontToBack.isEmpty() || frontToBack.constLast() != name)
            frontToBack << name;
    }
    const QStringList expected
        = {u"Text2"_s,      u"Command7"_s, u"Command6"_s,   u"Command5"_s, u"Command4"_s, u"SkinLabel2"_s,
           u"Command3"_s,   u"Command2"_s, u"Frame2"_s,     u"Frame1"_s,   u"grid"_s,     u"Command1"_s,
           u"SkinLabel1"_s, u"Text1(0)"_s, u"SkinLabel3"_s, u"mp3"_s};
    QCOMPARE(frontToBack, expected);
}

void TestForm1Layout::focusChainFollowsTabOrder()
{
    // Labels, frames and the player take no focus; every other control follows its tab index.
    QList<int> chain;
    QWidget* start = m_form->Text1[1];
    QWidget* widget = start;
    do {
        if (widget->parentWidget() == m_form->client && (widget->focusPolicy() & Qt::TabFocus))
            chain << widget->property("tabIndex").toInt();
        widget = widget->nextInFocusChain();
    } while (widget != start);
    const QList<int> expected = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                 16, 17, 18, 19, 20, 21, 22, 23, 27, 28, 30, 31, 33, 34, 35};
    QCOMPARE(chain, expected);
}

void TestForm1Layout::menus()
{
    const QList<QAction*> bar = m_form->menuBar->actions();
    QCOMPARE(bar.size(), 4);
    QCOMPARE(bar[0]->text(), u"文件"_s);
    QCOMPARE(bar[1]->text(), u"工具"_s);
    QCOMPARE(bar[2]->text(), u"帮助"_s);
    QCOMPARE(bar[3]->text(), u"反馈BUG"_s);
    QCOMPARE(bar[3]->menu(), nullptr);

    const QList<QAction*> file = m_form->文件->actions();
    QCOMPARE(file.size(), 2);
    QCOMPARE(file[0]->text(), u"载入歌曲"_s);
    QCOMPARE(file[1]->text(), u"退出程序"_s);
    QCOMPARE(file[1]->objectName(), u"close"_s);

    const QList<QAction*> help = m_form->帮助->actions();
    QCOMPARE(help.size(), 3);
    QCOMPARE(help[0]->text(), u"使用说明"_s);
    QVERIFY(help[1]->isSeparator());
    QCOMPARE(help[2]->text(), u"关于"_s);
    for (QAction* item : file + help)
        QVERIFY(item->shortcut().isEmpty() && item->isEnabled() && item->isVisible() && !item->isCheckable());
}

void TestForm1Layout::timersRunFromStartUp()
{
    for (QTimer* timer : {m_form->Timer1, m_form->Timer2}) {
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1);
    }
}

void TestForm1Layout::centring_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("fits") << QSize(1280, 1024) << QSize(748, 531) << QPoint(266, 247);
    QTest::newRow("odd sizes") << QSize(1366, 768) << QSize(749, 532) << QPoint(309, 118);
    QTest::newRow("screen too small") << QSize(640, 480) << QSize(748, 531) << QPoint(-54, -26);
}

void TestForm1Layout::centring()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(centredPosition(screen, window), expected);
}

// Sizes in device-independent pixels: at 200 % a 1280×1024 screen is 640×512 of them.
void TestForm1Layout::keptReachable_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("centred");
    QTest::addColumn<QPoint>("expected");
    const QSize window(748, 560);
    QTest::newRow("fits: centring kept") << QRect(0, 0, 1280, 1024) << QPoint(266, 232) << QPoint(266, 232);
    QTest::newRow("200 % on 1280×1024") << QRect(0, 0, 640, 512) << QPoint(-54, -24) << QPoint(0, 0);
    QTest::newRow("200 % on 1920×1080") << QRect(0, 0, 960, 540) << QPoint(106, -10) << QPoint(106, 0);
    QTest::newRow("150 % on 1366×768") << QRect(0, 0, 910, 512) << QPoint(81, -24) << QPoint(81, 0);
    QTest::newRow("below a top panel") << QRect(0, 32, 960, 508) << QPoint(106, -10) << QPoint(106, 32);
    QTest::newRow("second screen to the right") << QRect(1280, 0, 640, 512) << QPoint(1226, -24) << QPoint(1280, 0);
    QTest::newRow("panel on the right") << QRect(0, 0, 800, 600) << QPoint(90, 20) << QPoint(52, 20);
}

void TestForm1Layout::keptReachable()
{
    QFETCH(QRect, area);
    QFETCH(QPoint, centred);
    QFETCH(QPoint, expected);
    QCOMPARE(::keptReachable(centred, QSize(748, 560), area), expected);
}

void TestForm1Layout::windowIsCentredAtLoad()
{
    const QRect screen = m_form->screen()->geometry();
    const QRect outer = m_form->frameGeometry();
    QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
}

void TestForm1Layout::exitClosesAndDestroysTheWindow()
{
    m_form->Text2->setText(u"[00:01.00]未保存的歌词\r\n"_s);
    m_form->closeItem->trigger();
    QTRY_VERIFY(m_form.isNull());
    QVERIFY(m_prompts.messages.isEmpty());
}

LRC_TEST_MAIN(TestForm1Layout)

#include "tst_form1layout.moc"
