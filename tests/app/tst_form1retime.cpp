// Moving the sheet's time tags through 工具 > 调整时间…: the real dialog, the shift of each tag form
// in the real sheet box, the box about tags put at zero, and one undo taking it all back.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/timeshiftdialog.h"
#include "skin/skin.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

class TestForm1Retime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void dialogAsDesigned();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void shift_data();
    void shift();
    void typedAmountAndTheSelectionKept();

private:
    // Runs 调整时间… and hands the open dialog to user, who must close it.
    void retime(const std::function<void(TimeShiftDialog&)>& user);
    void retimeBy(int milliseconds);

    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

namespace {

template <typename Widget>
Widget* childOf(QWidget& dialog, const char* name)
{
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("the dialog has no %s", name);
    return widget;
}

} // namespace

void TestForm1Retime::init()
{
    m_prompts = ScriptedPrompts();
    m_form = new Form1(m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestForm1Retime::cleanup()
{
    delete m_form;
}

void TestForm1Retime::retime(const std::function<void(TimeShiftDialog&)>& user)
{
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<TimeShiftDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seen = true;
        // A failed check inside user must not leave the modal dialog waiting.
        const auto closeLeftOpen = qScopeGuard([&] {
            if (dialog->isVisible())
                dialog->reject();
        });
        user(*dialog);
    });
    m_form->调整时间->trigger();
    QVERIFY(seen);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestForm1Retime::retimeBy(int milliseconds)
{
    retime([&](TimeShiftDialog& dialog) {
        childOf<QSpinBox>(dialog, "amount")->setValue(milliseconds);
        QTest::mouseClick(childOf<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    });
}

void TestForm1Retime::dialogAsDesigned()
{
    retime([](TimeShiftDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), u"调整时间"_s);
        QVERIFY(Skin::isApplied(&dialog));
        QCOMPARE(childOf<QLabel>(dialog, "prompt")->text(), u"把时间标签提前或推后（选中几行时只改这几行）："_s);
        auto* amount = childOf<QSpinBox>(dialog, "amount");
        QCOMPARE(amount->minimum(), -600000);
        QCOMPARE(amount->maximum(), 600000);
        QCOMPARE(amount->suffix(), u" 毫秒"_s);
        QCOMPARE(amount->value(), 0);
        QCOMPARE(dialog.focusWidget(), amount);
        QCOMPARE(childOf<QPushButton>(dialog, "okButton")->text(), u"确定"_s);
        QCOMPARE(childOf<QPushButton>(dialog, "cancelButton")->text(), u"取消"_s);
        // Beyond the range the box stops at its ends.
        amount->setValue(-700000);
        QCOMPARE(amount->value(), -600000);
        dialog.reject();
    });
}

void TestForm1Retime::cancelChangesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("取消") << u"button"_s;
    QTest::newRow("Escape") << u"escape"_s;
}

void TestForm1Retime::cancelChangesNothing()
{
    QFETCH(QString, how);
    const QString sheet = u"[00:01.00]一\r\n[00:02.00]二\r\n"_s;
    m_form->Text2->setText(sheet);
    retime([&](TimeShiftDialog& dialog) {
        childOf<QSpinBox>(dialog, "amount")->setValue(-1500);
        if (how == u"button"_s)
            QTest::mouseClick(childOf<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
        else
            QTest::keyClick(childOf<QSpinBox>(dialog, "amount"), Qt::Key_Escape);
    });
    QCOMPARE(m_form->Text2->text(), sheet);
    QVERIFY(!m_form->Text2->document()->isUndoAvailable());
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestForm1Retime::shift_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("selectionStart"); // in the editor's text, one character a break; -1: none
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");

    const auto row = [](const char* name, const QString& sheet, int milliseconds, const QString& expected,
                        const QString& message = {}) {
        QTest::newRow(name) << sheet << -1 << -1 << milliseconds << expected << message;
    };
    row("whole seconds, rounded half up", u"[00:05]五秒"_s, 1500, u"[00:07]五秒"_s);
    row("tenths", u"[00:05.5]半"_s, -120, u"[00:05.4]半"_s);
    row("hundredths", u"[01:05.34]一分"_s, 150, u"[01:05.49]一分"_s);
    row("hundredths, rounded", u"[01:05.34]一分"_s, 155, u"[01:05.50]一分"_s);
    row("thousandths", u"[00:01.005]毫秒"_s, -6, u"[00:00.999]毫秒"_s);
    row("into the next minute", u"[00:59.90]过"_s, 200, u"[01:00.10]过"_s);
    row("one-digit minutes get two", u"[1:05]短"_s, 1000, u"[01:06]短"_s);
    row("three-digit minutes", u"[100:00.00]长"_s, -500, u"[99:59.50]长"_s);
    row("the whole range", u"[00:00]始"_s, 600000, u"[10:00]始"_s);
    row("several tags and lines", u"[00:10.00][00:30.00]副歌\r\n[00:20.00]主歌\r\n"_s, 250,
        u"[00:10.25][00:30.25]副歌\r\n[00:20.25]主歌\r\n"_s);
    row("empty tags stay", u"[00:12.50][]第一句\r\n[][00:15.00]第二句\r\n[][]\r\n"_s, -500,
        u"[00:12.00][]第一句\r\n[][00:14.50]第二句\r\n[][]\r\n"_s);
    row("header tags stay", u"[ti:月光]\r\n[ar:歌手]\r\n[offset:100]\r\n[00:01.00]第一句"_s, 1000,
        u"[ti:月光]\r\n[ar:歌手]\r\n[offset:100]\r\n[00:02.00]第一句"_s);
    row("a header tag ends the tags", u"[ar:歌手][00:01.00]不算"_s, 1000, u"[ar:歌手][00:01.00]不算"_s);
    row("brackets inside a lyric stay", u"  [00:01.00]我[副歌] [00:02.00]唱"_s, 1000,
        u"  [00:02.00]我[副歌] [00:02.00]唱"_s);
    row("page hints and malformed tags stay", u"[此处输入时间1][此处输入时间2]此处\r\n[00:60.00]坏\r\n[00:5.00]坏"_s,
        1000, u"[此处输入时间1][此处输入时间2]此处\r\n[00:60.00]坏\r\n[00:5.00]坏"_s);
    row("clamped at zero in each form", u"[00:00.10]甲\r\n[00:00.50][00:02.00]乙\r\n[00:00]丙\r\n[00:00.1]丁"_s, -300,
        u"[00:00.00]甲\r\n[00:00.20][00:01.70]乙\r\n[00:00]丙\r\n[00:00.0]丁"_s, u"有2个时间标签已提前到0。"_s);
    row("a tag at zero already is not counted", u"[00:00.00]歌名\r\n[00:03.00]一"_s, -1000,
        u"[00:00.00]歌名\r\n[00:02.00]一"_s);

    // Editor positions: each line "[00:0n.00]x" is 11 characters and its break; line n starts at 12 × (n − 1).
    const QString four = u"[00:01.00]一\r\n[00:02.00]二\r\n[00:03.00]三\r\n[00:04.00]四"_s;
    QTest::newRow("a selection within two lines")
        << four << 15 << 27 << 1000 << u"[00:01.00]一\r\n[00:03.00]二\r\n[00:04.00]三\r\n[00:04.00]四"_s << QString();
    QTest::newRow("two whole lines, up to the next line's start")
        << four << 36 << 12 << -500 << u"[00:01.00]一\r\n[00:01.50]二\r\n[00:02.50]三\r\n[00:04.00]四"_s << QString();
    QTest::newRow("a selection inside one line")
        << four << 40 << 42 << 500 << u"[00:01.00]一\r\n[00:02.00]二\r\n[00:03.00]三\r\n[00:04.50]四"_s << QString();
}

void TestForm1Retime::shift()
{
    QFETCH(QString, sheet);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(int, milliseconds);
    QFETCH(QString, expected);
    QFETCH(QString, message);

    m_form->Text1[1]->setText(u"01:00.00"_s);
    m_form->Text2->setText(sheet);
    if (selectionStart >= 0) {
        QTextCursor selection(m_form->Text2->document());
        selection.setPosition(selectionStart);
        selection.setPosition(selectionEnd, QTextCursor::KeepAnchor);
        m_form->Text2->setTextCursor(selection);
    }
    retimeBy(milliseconds);

    QCOMPARE(m_form->Text2->text(), expected);
    QCOMPARE(m_form->Text1[1]->text(), u"01:00.00"_s);
    if (message.isEmpty()) {
        QVERIFY(m_prompts.messages.isEmpty());
    } else {
        QCOMPARE(m_prompts.messages.size(), 1);
        QCOMPARE(m_prompts.messages[0].title, u"调整时间"_s);
        QCOMPARE(m_prompts.messages[0].text, message);
    }

    // One undo takes the whole shift back, and there was nothing more to undo.
    if (expected != sheet) {
        m_form->Text2->setFocus();
        QTest::keyClick(m_form->Text2, Qt::Key_Z, Qt::ControlModifier);
    }
    QCOMPARE(m_form->Text2->text(), sheet);
    QVERIFY(!m_form->Text2->document()->isUndoAvailable());
}

// The amount typed into the box as the user does; the lines stay selected for a second shift.
void TestForm1Retime::typedAmountAndTheSelectionKept()
{
    m_form->Text2->setText(u"[00:01.00]一\r\n[00:02.00]二\r\n[00:03.00]三"_s);
    QTextCursor selection(m_form->Text2->document());
    selection.setPosition(12);
    selection.setPosition(35, QTextCursor::KeepAnchor);
    m_form->Text2->setTextCursor(selection);
    const auto type = [](const QString& keys) {
        return [keys](TimeShiftDialog& dialog) {
            auto* amount = childOf<QSpinBox>(dialog, "amount");
            QTest::keyClicks(amount, keys);
            QTest::keyClick(amount, Qt::Key_Return);
        };
    };
    retime(type(u"-250"_s));
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]一\r\n[00:01.75]二\r\n[00:02.75]三"_s);
    QCOMPARE(m_form->Text2->textCursor().selectedText(), u"[00:01.75]二\u2029[00:02.75]三"_s);
    retime(type(u"1000"_s));
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]一\r\n[00:02.75]二\r\n[00:03.75]三"_s);
    QTest::keyClick(m_form->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_form->Text2->text(), u"[00:01.00]一\r\n[00:01.75]二\r\n[00:02.75]三"_s);
}

LRC_TEST_MAIN(TestForm1Retime)

#include "tst_form1retime.moc"
