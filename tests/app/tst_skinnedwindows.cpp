// Both windows in the paper skin: how they wear it, what a user does with its caption bar, and what it draws.
#include "app/dialog.h"
#include "app/form1.h"
#include "app/windowcentring.h"
#include "skin/captionbar.h"
#include "skin/captionbutton.h"
#include "skin/skin.h"
#include "skin/skinstyle.h"
#include "support/scriptedprompts.h"
#include "support/testmain.h"

#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QStyleOption>
#include <QTest>
#include <QTextLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

class TestSkinnedWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void appliedAtLoad_data();
    void appliedAtLoad();
    void captionBar_data();
    void captionBar();
    void drawnOnPaper_data();
    void drawnOnPaper();
    void textsFit_data();
    void textsFit();

private:
    QWidget* open(const QString& which);
    QWidget* showActive(const QString& which);

    ScriptedPrompts m_prompts;
    QList<QPointer<QWidget>> m_windows;
};

namespace {

// Both windows, with what the skin gives each.
void addWindowRows()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("captionButtons"); // also the items of the menu behind the icon
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("outerWidth");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QRect>("emptyPaper"); // a stretch of the client area with no control on it
    QTest::addColumn<QStringList>("labelFaces"); // the Chinese face of SkinLabel1, 2 and 3
    const QString kai = u"AR PL UKai CN"_s, sans = u"Noto Sans CJK SC"_s;
    QTest::newRow("main window") << u"main"_s << QStringList{u"最小化"_s, u"关闭"_s} << QSize(748, 509) << 756
                                 << u":/icons/main.bmp"_s << QRect(4, 460, 160, 40) << QStringList{kai, sans, kai};
    QTest::newRow("About dialog") << u"about"_s << QStringList{u"关闭"_s} << QSize(309, 179) << 317
                                  << u":/icons/about.bmp"_s << QRect(286, 20, 20, 100) << QStringList{sans, sans, sans};
}

CaptionBar* captionBarOf(QWidget* window)
{
    return window->findChild<CaptionBar*>(QString(), Qt::FindDirectChildrenOnly);
}

QWidget* clientOf(QWidget* window)
{
    return window->findChild<QWidget*>(u"client"_s, Qt::FindDirectChildrenOnly);
}

// The device pixels of a logical rectangle of a grab, whatever the scale it was grabbed at.
QRect devicePixels(const QImage& image, const QRectF& logical)
{
    const qreal scale = image.devicePixelRatio();
    return QRectF(logical.topLeft() * scale, logical.size() * scale).toAlignedRect() & image.rect();
}

int darkPixels(const QImage& image, const QRectF& logical)
{
    const QRect area = devicePixels(image, logical);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).lightness() <= 100;
    }
    return count;
}

// The faces that draw the Han characters of a label, "(missing)" for a glyph that no face has.
QStringList hanFaces(const QLabel* label)
{
    const QString text = label->text();
    QTextLayout layout(text, label->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList faces;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).script() != QChar::Script_Han)
            continue;
        for (const QGlyphRun& run : layout.glyphRuns(i, 1)) {
            const QString face = run.glyphIndexes().contains(0) ? u"(missing)"_s : run.rawFont().familyName();
            if (!faces.contains(face))
                faces << face;
        }
    }
    return faces;
}

} // namespace

void TestSkinnedWindows::cleanup()
{
    for (const QPointer<QWidget>& window : std::as_const(m_windows))
        delete window.data();
    m_windows.clear();
}

QWidget* TestSkinnedWindows::open(const QString& which)
{
    QWidget* window = which == u"main"_s ? static_cast<QWidget*>(new Form1(m_prompts)) : new Dialog;
    m_windows << window;
    return window;
}

QWidget* TestSkinnedWindows::showActive(const QString& which)
{
    QWidget* window = open(which);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window) || !QTest::qWaitForWindowActive(window))
        return nullptr;
    return window;
}

void TestSkinnedWindows::appliedAtLoad_data()
{
    addWindowRows();
}

void TestSkinnedWindows::appliedAtLoad()
{
    QFETCH(QString, which);
    QFETCH(QStringList, captionButtons);
    QFETCH(QSize, client);
    QFETCH(int, outerWidth);
    QFETCH(QString, icon);
    QWidget* window = open(which);
    // Loading applies it: before the window is first shown.
    QVERIFY(!window->isVisible());
    QVERIFY(Skin::isApplied(window));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    CaptionBar* bar = captionBarOf(window);
    QCOMPARE(window->layout()->itemAt(0)->widget(), bar);
    QStringList names;
    for (const CaptionButton* button : bar->findChildren<CaptionButton*>())
        names << button->accessibleName();
    QCOMPARE(names, captionButtons);
    QCOMPARE(window->windowIcon().pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_RGB32),
             QImage(icon).convertToFormat(QImage::Format_RGB32));

    // Frameless, the outer size is the drawn one, and that is what is centred on the screen; at
    // twice the scale the screen is smaller than the window, whose caption bar stays on it.
    const QRect screen = window->screen()->geometry();
    QCOMPARE(window->frameGeometry().size(), window->size());
    QCOMPARE(window->pos(),
             keptReachable(screen.topLeft() + centredPosition(screen.size(), window->size()), window->size(),
                           window->screen()->availableGeometry()));
    QVERIFY(window->screen()->availableGeometry().contains(window->pos()));

    // Shown, the client area keeps its designed size inside the border, and every control is in
    // the skin, including menus made while the window loaded (windows of their own, given the paper).
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(clientOf(window)->size(), client);
    QCOMPARE(window->width(), outerWidth);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : std::as_const(widgets)) {
        QVERIFY2(qobject_cast<SkinStyle*>(widget->style()), widget->metaObject()->className());
        QVERIFY2(widget->palette().window().style() == Qt::TexturePattern, qPrintable(widget->objectName()));
    }
}

void TestSkinnedWindows::captionBar_data()
{
    addWindowRows();
}

// What a user does with the caption bar: drag it, double-click it, open the menu behind the icon,
// minimise, close.
void TestSkinnedWindows::captionBar()
{
    QFETCH(QString, which);
    QFETCH(QStringList, captionButtons);
    QPointer<QWidget> window = showActive(which);
    QVERIFY(window);
    CaptionBar* bar = captionBarOf(window);
    const QPoint start = window->pos();
    const QSize size = window->size();

    // The bar moves with the window, so every point is fixed on the screen first.
    const QPoint grip = bar->mapToGlobal(bar->titleRect().center());
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->mapFromGlobal(grip));
    QTest::mouseMove(bar, bar->mapFromGlobal(grip + QPoint(20, 10)));
    QTest::mouseMove(bar, bar->mapFromGlobal(grip + QPoint(40, 30)));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(grip + QPoint(40, 30)));
    QTRY_COMPARE(window->pos(), start + QPoint(40, 30));

    QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->titleRect().center());
    QTest::qWait(50);
    QVERIFY(!window->isMaximized());
    QCOMPARE(window->size(), size);

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->iconRect().center());
    QVERIFY(bar->systemMenu());
    QTRY_VERIFY(bar->systemMenu()->isVisible());
    QStringList items;
    for (const QAction* action : bar->systemMenu()->actions())
        items << action->text();
    QCOMPARE(items, captionButtons);
    bar->systemMenu()->hide();

    if (bar->minimiseButton()) {
        QTest::mouseClick(bar->minimiseButton(), Qt::LeftButton);
        QTRY_VERIFY(window->isMinimized());
        window->showNormal();
        QTRY_VERIFY(!window->isMinimized());
        QCOMPARE(window->size(), size);
    }
    // Closing unloads: the window is destroyed.
    QTest::mouseClick(bar->closeButton(), Qt::LeftButton);
    QTRY_VERIFY(window.isNull());
}

void TestSkinnedWindows::drawnOnPaper_data()
{
    addWindowRows();
}

// The client area on the paper, the caption and the labels in ink, the labels' Chinese in the face chosen for it.
void TestSkinnedWindows::drawnOnPaper()
{
    QFETCH(QString, which);
    QFETCH(QRect, emptyPaper);
    QFETCH(QStringList, labelFaces);
    QWidget* window = showActive(which);
    QVERIFY(window);
    const QImage shot = window->grab().toImage();
    const QRect paperArea = devicePixels(shot, emptyPaper.translated(clientOf(window)->mapTo(window, QPoint())));
    // Scaled down smoothly to one pixel: the average colour of the texture.
    const QColor paper
        = shot.copy(paperArea).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    QVERIFY2(qAbs(paper.red() - 0xf3) <= 6 && qAbs(paper.green() - 0xea) <= 6 && qAbs(paper.blue() - 0xd6) <= 6,
             qPrintable(paper.name()));
    CaptionBar* bar = captionBarOf(window);
    const int inked = darkPixels(shot, bar->titleRect().translated(bar->pos()));
    QVERIFY2(inked > 40, qPrintable(QString::number(inked)));

    for (int i = 0; i < labelFaces.size(); ++i) {
        const auto* label = window->findChild<QLabel*>(u"SkinLabel%1"_s.arg(i + 1));
        QVERIFY(label);
        QCOMPARE(hanFaces(label), QStringList{labelFaces[i]});
        QVERIFY(darkPixels(shot, QRect(label->mapTo(window, QPoint()), label->size())) > 30);
    }
}

void TestSkinnedWindows::textsFit_data()
{
    addWindowRows();
}

// At any scale every caption and text of the window shows whole: nothing is cut off or elided.
void TestSkinnedWindows::textsFit()
{
    QFETCH(QString, which);
    QWidget* window = showActive(which);
    QVERIFY(window);
    int checked = 0;
    const auto verifyFits = [&checked](const QWidget* widget, const QString& text, const QRect& room) {
        const QFontMetrics metrics(widget->font());
        const int width = metrics.horizontalAdvance(text);
        QVERIFY2(width <= room.width() && metrics.height() <= room.height(),
                 qPrintable(u"%1: %2 in %3"_s.arg(widget->objectName()).arg(width).arg(room.width())));
        ++checked;
    };
    for (auto* button : window->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        verifyFits(button, button->text(),
                   button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button));
    }
    for (auto* edit : window->findChildren<QLineEdit*>()) {
        if (!edit->isVisibleTo(window))
            continue;
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        // A line edit keeps two pixels of its own on either side of the text.
        verifyFits(edit, edit->text(),
                   edit->style()
                       ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                       .marginsRemoved(edit->textMargins())
                       .adjusted(2, 0, -2, 0));
    }
    for (auto* label : window->findChildren<QLabel*>()) {
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = QFontMetrics(label->font()).boundingRect(label->contentsRect(), flags, label->text());
        QVERIFY2(label->contentsRect().contains(needed), qPrintable(label->objectName()));
        ++checked;
    }
    for (auto* box : window->findChildren<QGroupBox*>()) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect room = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        QVERIFY(box->rect().contains(room));
        verifyFits(box, box->title(), room);
    }
    CaptionBar* bar = captionBarOf(window);
    QVERIFY(QFontMetrics(bar->titleFont()).horizontalAdvance(window->windowTitle()) <= bar->titleRect().width());
    QVERIFY(checked >= 5);
}

LRC_TEST_MAIN(TestSkinnedWindows)
#include "tst_skinnedwindows.moc"
