// Undo and redo with real keys: a commit undone in the sheet puts the page back into the grid, its
// redo takes it out again, and Ctrl+Y redoes as Ctrl+Shift+Z does.
#include "app/form1.h"
#include "app/sheetbox.h"
#include "lyrics/pagecommit.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"
#include "support/xtestkeyboard.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <X11/keysym.h>

using namespace Qt::StringLiterals;

namespace {

const QString kCommitted = u"[01:05.34][]第一行\n[][01:07.00]第二行\n[][]\n[][]\n[][]\n[][]\n[][]\n"_s;

QStringList typedPage()
{
    QStringList page(kGridBoxes, QString());
    page[0] = u"01:05.34"_s;
    page[2] = u"第一行"_s;
    page[4] = u"01:07.00"_s;
    page[5] = u"第二行"_s;
    return page;
}

} // namespace

class TestPageUndo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void commitUndoneAndRedone_data();
    void commitUndoneAndRedone();
    void ctrlYRedoesTyping_data();
    void ctrlYRedoesTyping();

private:
    void showPage(const QStringList& texts);
    void chord(unsigned long keySym, bool shift);

    XTestKeyboard m_keyboard;
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

void TestPageUndo::initTestCase()
{
    QVERIFY2(m_keyboard.isOpen(), "needs an X server with XTEST");
}

void TestPageUndo::init()
{
    m_form = new Form1(m_prompts);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestPageUndo::cleanup()
{
    m_prompts.confirmAnswers << true;
    delete m_form;
}

void TestPageUndo::showPage(const QStringList& texts)
{
    for (int element = 1; element <= kGridBoxes; ++element)
        m_form->Text1[element]->setText(texts.value(element - 1));
}

// Ctrl (with Shift if asked) held around one key, each event handled by the server before the next.
void TestPageUndo::chord(unsigned long keySym, bool shift)
{
    m_keyboard.press(XK_Control_L);
    if (shift)
        m_keyboard.press(XK_Shift_L);
    m_keyboard.press(keySym);
    m_keyboard.release(keySym);
    if (shift)
        m_keyboard.release(XK_Shift_L);
    m_keyboard.release(XK_Control_L);
}

void TestPageUndo::commitUndoneAndRedone_data()
{
    QTest::addColumn<bool>("ctrlY");
    QTest::addColumn<QString>("nextPage");
    QTest::newRow("Ctrl+Y") << true << QString();
    QTest::newRow("Ctrl+Shift+Z") << false << QString();
    // What was begun on the next page comes back with the redo.
    QTest::newRow("Ctrl+Y, next page begun") << true << u"01:09.00"_s;
}

void TestPageUndo::commitUndoneAndRedone()
{
    QFETCH(bool, ctrlY);
    QFETCH(QString, nextPage);
    showPage(typedPage());
    m_form->Command6->click();
    QCOMPARE(m_form->Text2->toPlainText(), kCommitted);
    QStringList afterCommit(kGridBoxes, QString());
    afterCommit[0] = nextPage;
    m_form->Text1[1]->setText(nextPage);

    m_form->Text2->setFocus();
    QTRY_VERIFY(m_form->Text2->hasFocus());
    chord(XK_z, false);
    QTRY_COMPARE(m_form->gridTexts(), typedPage());
    QCOMPARE(m_form->Text2->toPlainText(), QString());

    chord(ctrlY ? XK_y : XK_z, !ctrlY);
    QTRY_COMPARE(m_form->Text2->toPlainText(), kCommitted);
    QCOMPARE(m_form->gridTexts(), afterCommit);

    // And once more: the history holds both directions as often as asked.
    chord(XK_z, false);
    QTRY_COMPARE(m_form->gridTexts(), typedPage());
    QCOMPARE(m_form->Text2->toPlainText(), QString());
}

void TestPageUndo::ctrlYRedoesTyping_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("grid box") << u"Text1(5)"_s;
    QTest::newRow("sheet") << u"Text2"_s;
}

void TestPageUndo::ctrlYRedoesTyping()
{
    QFETCH(QString, box);
    auto* target = m_form->findChild<QWidget*>(box);
    QVERIFY(target);
    const auto text = [&] {
        if (auto* line = qobject_cast<QLineEdit*>(target))
            return line->text();
        return m_form->Text2->toPlainText();
    };
    if (auto* line = qobject_cast<QLineEdit*>(target))
        line->clear();
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    m_keyboard.press(XK_q);
    m_keyboard.release(XK_q);
    QTRY_COMPARE(text(), u"q"_s);
    chord(XK_z, false);
    QTRY_COMPARE(text(), QString());
    chord(XK_y, false);
    QTRY_COMPARE(text(), u"q"_s);
}

LRC_TEST_MAIN(TestPageUndo)
#include "tst_pageundo.moc"
