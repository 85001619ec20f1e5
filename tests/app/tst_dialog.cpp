// The About dialog and the two web links of the main window's menus.
#include "app/dialog.h"
#include "app/form1.h"
#include "app/sheetbox.h"
#include "skin/skin.h"
#include "skin/skinlabel.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

// Stands in for the desktop's web browser and records the addresses it is handed.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class TestDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void aboutTwiceGivesOneDialog();
    void escapeDoesNotCloseIt();
    void okUnloadsAndAboutLoadsAgain();
    void mainWindowKeepsWorkingWhileOpen();
    void bothLinksOpenTheSamePage();
    void withoutABrowserTheAddressIsShown();
    void programRunsOnUntilTheDialogCloses();

private:
    Dialog* openAbout();
    ScriptedPrompts m_prompts;
    QPointer<Form1> m_form;
};

// The windows are closed and made anew between tests; the run must not end with them.
void TestDialog::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestDialog::init()
{
    m_form = new Form1(m_prompts);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestDialog::cleanup()
{
    if (m_form && m_form->aboutDialog())
        delete m_form->aboutDialog();
    delete m_form;
}

Dialog* TestDialog::openAbout()
{
    m_form->about->trigger();
    Dialog* dialog = m_form->aboutDialog();
    if (dialog)
        (void)QTest::qWaitForWindowExposed(dialog);
    return dialog;
}

void TestDialog::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("SkinLabel3") << u"SkinLabel3"_s << u"www.example.com  欢迎关注"_s << QRect(24, 152, 185, 33);
    QTest::newRow("SkinLabel2") << u"SkinLabel2"_s << u"联系QQ：00000000   欢迎反馈BUG"_s << QRect(40, 80, 217, 33);
    QTest::newRow("SkinLabel1") << u"SkinLabel1"_s << u"作者：星舟"_s << QRect(40, 48, 233, 17);
    QTest::newRow("Frame1") << u"Frame1"_s << u"关于程序"_s << QRect(24, 16, 257, 113);
    QTest::newRow("OKButton") << u"OKButton"_s << u"确定"_s << QRect(216, 144, 81, 25);
}

void TestDialog::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    Dialog* dialog = openAbout();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), u"关于程序："_s);
    QCOMPARE(dialog->client->size(), QSize(309, 179));
    QVERIFY(dialog->windowFlags() & Qt::Tool);
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!dialog->isModal());

    auto* control = dialog->client->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    QVERIFY(control);
    const QString shown = qobject_cast<QGroupBox*>(control) ? qobject_cast<QGroupBox*>(control)->title()
                                                            : control->property("text").toString();
    QCOMPARE(shown, text);
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(dialog->OKButton->hasFocus());
    QVERIFY(!dialog->OKButton->isDefault() && !dialog->OKButton->autoDefault());
}

void TestDialog::aboutTwiceGivesOneDialog()
{
    Dialog* first = openAbout();
    QVERIFY(first);
    // Moved by the user: a second 关于 must neither open another dialog nor centre this one again.
    first->move(first->pos() + QPoint(40, 30));
    const QPoint moved = first->pos();
    Dialog* second = openAbout();
    QCOMPARE(second, first);
    QCOMPARE(first->pos(), moved);
    int dialogs = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        dialogs += qobject_cast<Dialog*>(window) && window->isVisible() ? 1 : 0;
    QCOMPARE(dialogs, 1);
}

void TestDialog::escapeDoesNotCloseIt()
{
    QPointer<Dialog> dialog = openAbout();
    QTest::keyClick(dialog->OKButton, Qt::Key_Escape);
    QTest::qWait(20);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
}

void TestDialog::okUnloadsAndAboutLoadsAgain()
{
    QPointer<Dialog> first = openAbout();
    first->move(first->pos() + QPoint(40, 30));
    first->OKButton->click();
    QTRY_VERIFY(first.isNull());

    Dialog* again = openAbout();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(again->Skin1->objectName(), u"Skin1"_s);
    QVERIFY(!again->styleSheet().isEmpty() || again->windowFlags() & Qt::FramelessWindowHint);
    const QRect screen = again->screen()->geometry();
    QVERIFY(qAbs(again->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(again->frameGeometry().center().y() - screen.center().y()) <= 1);
}

void TestDialog::mainWindowKeepsWorkingWhileOpen()
{
    QVERIFY(openAbout());
    m_form->Command6->click();
    QVERIFY(m_form->Text2->text().startsWith(u"[此处输入时间1]"_s));
    QVERIFY(m_form->Timer1->isActive() && m_form->Timer2->isActive());
    QVERIFY(m_form->aboutDialog()->isVisible());
}

void TestDialog::bothLinksOpenTheSamePage()
{
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(u"http"_s, &browser, "open");
    QDesktopServices::setUrlHandler(u"https"_s, &browser, "open");
    m_form->使用说明->trigger();
    m_form->bug->trigger();
    QDesktopServices::unsetUrlHandler(u"http"_s);
    QDesktopServices::unsetUrlHandler(u"https"_s);

    QCOMPARE(browser.opened.size(), 2);
    QCOMPARE(browser.opened[0], browser.opened[1]);
    QCOMPARE(browser.opened[0].path(), u"/"_s);
    QCOMPARE(browser.opened[0].query(), u"p=33"_s);
    QVERIFY(m_prompts.messages.isEmpty() && m_prompts.errors.isEmpty());
}

// Nothing on the PATH can show a web page: each command says so, with the address to copy.
void TestDialog::withoutABrowserTheAddressIsShown()
{
    QTemporaryDir emptyPath;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(emptyPath.path()));
    const QByteArray browser = qgetenv("BROWSER");
    const QByteArray defaultBrowser = qgetenv("DEFAULT_BROWSER");
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    m_form->使用说明->trigger();
    m_form->bug->trigger();
    qputenv("PATH", path);
    qputenv("BROWSER", browser);
    qputenv("DEFAULT_BROWSER", defaultBrowser);

    QCOMPARE(m_prompts.errors.size(), 2);
    for (const ShownMessage& error : std::as_const(m_prompts.errors)) {
        QCOMPARE(error.title, u"打开网页"_s);
        QVERIFY2(error.text.contains(u"http://www.example.com/?p=33"_s), qPrintable(error.text));
    }
}

void TestDialog::programRunsOnUntilTheDialogCloses()
{
    QPointer<Dialog> dialog = openAbout();
    QVERIFY(dialog);
    bool dialogOutlivedMainWindow = false;
    // The real event loop decides when the program ends, so run it: close the main window,
    // look a moment later, then close the dialog; the loop must end only after that.
    QTimer::singleShot(0, m_form, [this] { m_form->closeItem->trigger(); });
    QTimer look;
    look.setSingleShot(true);
    connect(&look, &QTimer::timeout, this, [&] {
        dialogOutlivedMainWindow = m_form.isNull() && dialog && dialog->isVisible();
        if (dialog)
            dialog->close();
    });
    look.start(300);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&giveUp, &QTimer::timeout, this, [] { QApplication::exit(1); });
    giveUp.start(10000);

    qApp->setQuitOnLastWindowClosed(true);
    const int exitCode = QApplication::exec();
    qApp->setQuitOnLastWindowClosed(false);

    QCOMPARE(exitCode, 0);
    QVERIFY(dialogOutlivedMainWindow);
    QTRY_VERIFY(dialog.isNull());
}

LRC_TEST_MAIN(TestDialog)

#include "tst_dialog.moc"
