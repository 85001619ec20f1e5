// A position readout pasted into a time box of the lyric page arrives as its tag, by every way of
// pasting into a line edit, on a real X server with its clipboard and mouse selection.
#include "app/form1.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTimeBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void paste_data();
    void paste();
    void typingIsNeverChanged();
    void lyricBoxPastesAsItIs();

private:
    QString pasted(QLineEdit* box, const QString& way, const QString& text);

    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

namespace {

const QStringList kWays = {u"Ctrl+V"_s, u"Shift+Insert"_s, u"context menu"_s, u"middle button"_s, u"drop"_s};

void sendDrop(QLineEdit* box, const QString& text)
{
    QMimeData data;
    data.setText(text);
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    QVERIFY(drop.isAccepted());
}

void pasteFromContextMenu(QLineEdit* box)
{
    const QPoint at = box->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, box->mapToGlobal(at));
    QApplication::sendEvent(box, &request);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QCoreApplication::translate("QLineEdit", "&Paste")))
            paste = action;
    }
    QVERIFY(paste);
    QVERIFY(paste->isEnabled());
    paste->trigger();
    menu->close();
}

} // namespace

void TestTimeBox::initTestCase()
{
    QVERIFY2(QGuiApplication::clipboard()->supportsSelection(), "the X server has a mouse selection");
    m_form = new Form1(m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestTimeBox::cleanupTestCase()
{
    delete m_form;
}

QString TestTimeBox::pasted(QLineEdit* box, const QString& way, const QString& text)
{
    box->clear();
    box->activateWindow();
    box->setFocus();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Selection);
    if (way == u"Ctrl+V"_s)
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    else if (way == u"Shift+Insert"_s)
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    else if (way == u"context menu"_s)
        pasteFromContextMenu(box);
    else if (way == u"middle button"_s)
        QTest::mouseClick(box, Qt::MiddleButton, {}, box->rect().center());
    else
        sendDrop(box, text);
    return box->text();
}

void TestTimeBox::paste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QString& text, const QString& expected) {
        QTest::newRow(name) << text << expected;
    };
    row("readout", u"1:5:34"_s, u"01:05.34"_s);
    row("one digit of fraction is tenths", u"0:5:5"_s, u"00:05.50"_s);
    row("whole seconds", u"0:12:0"_s, u"00:12.00"_s);
    row("over an hour", u"61:6:16"_s, u"61:06.16"_s);
    row("fraction with a leading zero", u"10:0:05"_s, u"10:00.05"_s);
    row("below a second", u"0:0:25"_s, u"00:00.25"_s);
    row("with the line break a copy carries", u" 1:5:34\n"_s, u"01:05.34"_s);
    row("a tag stays", u"01:05.34"_s, u"01:05.34"_s);
    row("padded seconds are no readout", u"1:05:34"_s, u"1:05:34"_s);
    row("padded minutes are no readout", u"01:5:34"_s, u"01:5:34"_s);
    row("sixty seconds", u"1:60:00"_s, u"1:60:00"_s);
    row("three digits of fraction", u"1:5:345"_s, u"1:5:345"_s);
    row("no fraction", u"1:5:"_s, u"1:5:"_s);
    row("two fields", u"1:5"_s, u"1:5"_s);
    row("text around it", u"1:5:34 副歌"_s, u"1:5:34 副歌"_s);
    row("full-width digits", u"１:５:３４"_s, u"１:５:３４"_s);
}

void TestTimeBox::paste()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    // Both time boxes of a row, in the first and the last row.
    for (int element : {1, 20}) {
        for (const QString& way : kWays)
            QVERIFY2(pasted(m_form->Text1[element], way, text) == expected,
                     qPrintable(
                         u"%1 into Text1(%2) gave \"%3\""_s.arg(way).arg(element).arg(m_form->Text1[element]->text())));
    }
}

void TestTimeBox::typingIsNeverChanged()
{
    QLineEdit* box = m_form->Text1[2];
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, u"1:5:34"_s);
    QCOMPARE(box->text(), u"1:5:34"_s);
}

void TestTimeBox::lyricBoxPastesAsItIs()
{
    for (const QString& way : kWays)
        QCOMPARE(pasted(m_form->Text1[3], way, u"1:5:34"_s), u"1:5:34"_s);
}

LRC_TEST_MAIN(TestTimeBox)

#include "tst_timebox.moc"
