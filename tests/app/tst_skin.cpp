// The paper skin: the stored skin, how both windows wear it, and what it draws.
#include "app/captionbar.h"
#include "app/captionbutton.h"
#include "app/dialog.h"
#include "app/form1.h"
#include "app/skin.h"
#include "app/skincolours.h"
#include "app/skindescription.h"
#include "app/skinframe.h"
#include "app/skinimages.h"
#include "app/skinstyle.h"
#include "app/tgaimage.h"
#include "app/windowicons.h"
#include "app/windowcentring.h"
#include "scriptedprompts.h"

#include <QCheckBox>
#include <QFile>
#include <QGlyphRun>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QScreen>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QWindow>

#include <clocale>
#include <cmath>
#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

class TestSkin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void storedSkinFields_data();
    void storedSkinFields();
    void storedPictures_data();
    void storedPictures();
    void windowIcons();
    void descriptionErrors_data();
    void descriptionErrors();
    void descriptionWithCommentsAndHueShift();
    void tgaPictures_data();
    void tgaPictures();
    void tgaErrors_data();
    void tgaErrors();
    void hueShift_data();
    void hueShift();
    void brokenPictures_data();
    void brokenPictures();

    void appliedAtLoad_data();
    void appliedAtLoad();
    void layoutKeepsTheDesignedClientArea_data();
    void layoutKeepsTheDesignedClientArea();
    void centredByTheOuterSize_data();
    void centredByTheOuterSize();
    void applyingTwiceChangesNothing();
    void windowThatCannotTakeTheSkin_data();
    void windowThatCannotTakeTheSkin();

    void captionButtons_data();
    void captionButtons();
    void minimiseButtonMinimises();
    void closeButtonCloses_data();
    void closeButtonCloses();
    void systemMenu_data();
    void systemMenu();
    void draggingTheCaptionMovesTheWindow();
    void doubleClickDoesNotMaximise();

    void screenshot_data();
    void screenshot();
    void buttonStates_data();
    void buttonStates();
    void indicators_data();
    void indicators();
    void popupMenu();
    void skinLabels_data();
    void skinLabels();
    void textsFit_data();
    void textsFit();

private:
    QWidget* open(const QString& which);
    QWidget* showActive(const QString& which);
    QWidget* skinnedWindowWith(QWidget* content);

    ScriptedPrompts prompts_;
    QList<QPointer<QWidget>> windows_;
};

namespace {

const QColor kPaper(0xf3, 0xea, 0xd6);
const QColor kBase(0xff, 0xfd, 0xf6);
const QColor kFrameOuter(0x6b, 0x4f, 0x2e);
const QColor kFrameInner(0xc2, 0xab, 0x84);

CaptionBar* captionBarOf(QWidget* window)
{
    return window->findChild<CaptionBar*>(QString(), Qt::FindDirectChildrenOnly);
}

QWidget* clientOf(QWidget* window)
{
    return window->findChild<QWidget*>(u"client"_s, Qt::FindDirectChildrenOnly);
}

QString describe(const QColor& colour)
{
    return u"(%1, %2, %3)"_s.arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

bool isNear(const QColor& actual, const QColor& expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

// Logical pixels of a widget grab, whatever the scale it was grabbed at.
QRect devicePixels(const QImage& image, const QRectF& logical)
{
    const qreal scale = image.devicePixelRatio();
    return QRectF(logical.topLeft() * scale, logical.size() * scale).toAlignedRect() & image.rect();
}

QColor averageColour(const QImage& image, const QRectF& logical)
{
    const QRect area = devicePixels(image, logical);
    qint64 red = 0, green = 0, blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
        }
    }
    const qint64 count = qMax<qint64>(1, qint64(area.width()) * area.height());
    return QColor(int(red / count), int(green / count), int(blue / count));
}

// The device pixel under a logical point (not rounded: 0.5 is in the first pixel).
QColor pixelAt(const QImage& image, QPointF logical)
{
    const QPointF device = logical * image.devicePixelRatio();
    return image.pixelColor(int(std::floor(device.x())), int(std::floor(device.y())));
}

int darkPixels(const QImage& image, const QRectF& logical, int maxLightness)
{
    const QRect area = devicePixels(image, logical);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).lightness() <= maxLightness;
    }
    return count;
}

// Through the platform window, as a real mouse would: the widget under it gets its enter event.
void hover(QWidget* widget, QPoint pos)
{
    QTest::mouseMove(widget->window()->windowHandle(), widget->mapTo(widget->window(), pos));
}

QByteArray tgaHeader(int type, int width, int height, int bits, int descriptor)
{
    QByteArray header(18, '\0');
    header[2] = char(type);
    header[12] = char(width & 0xff);
    header[13] = char(width >> 8);
    header[14] = char(height & 0xff);
    header[15] = char(height >> 8);
    header[16] = char(bits);
    header[17] = char(descriptor);
    return header;
}

// Four pixels, stored in file order: blue, green, red, grey (alpha 0x80 where there is alpha).
QByteArray tgaPixels(int bits)
{
    const QList<QList<int>> pixels = {{0xff, 0, 0}, {0, 0xff, 0}, {0, 0, 0xff}, {0x80, 0x80, 0x80}};
    QByteArray bytes;
    for (const QList<int>& bgr : pixels) {
        for (int channel : bgr)
            bytes += char(channel);
        if (bits == 32)
            bytes += char(0x80);
    }
    return bytes;
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    return u"(no error)"_s;
}

const char* const kValidDescription = "Name=Paper-2\nApplication=Standard Skin\nAuthor=\nDescription=\nHueShift=0\n"
                                      "Paper=paper.bmp\nPaperActive=paper-active.bmp\nCheckBoxes=checkboxes.tga\n"
                                      "RadioButtons=radiobuttons.tga\n";

} // namespace

void TestSkin::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    // Registers the compiled-in resources, which the checks of the stored pictures read directly.
    Skin registration;
    mainWindowIcon();
}

void TestSkin::cleanup()
{
    for (const QPointer<QWidget>& window : std::as_const(windows_))
        delete window.data();
    windows_.clear();
}

QWidget* TestSkin::open(const QString& which)
{
    QWidget* window = nullptr;
    if (which == u"main"_s)
        window = new Form1(prompts_);
    else
        window = new Dialog;
    windows_ << window;
    return window;
}

QWidget* TestSkin::showActive(const QString& which)
{
    QWidget* window = open(which);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window) || !QTest::qWaitForWindowActive(window))
        return nullptr;
    return window;
}

// A plain window of the kind the program builds: a top-to-bottom layout, skinned, shown and active.
QWidget* TestSkin::skinnedWindowWith(QWidget* content)
{
    auto* window = new QWidget;
    windows_ << window;
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(content);
    auto* skin = new Skin(window);
    skin->applySkin(window);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window) || !QTest::qWaitForWindowActive(window))
        return nullptr;
    // The mouse rests on the border, off every control, until a test moves it.
    QTest::mouseMove(window->windowHandle(), QPoint(window->width() - 2, window->height() - 2));
    return window;
}

// ---------------------------------------------------------------- the stored skin

void TestSkin::storedSkinFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name") << u"name"_s << u"Paper-2"_s;
    QTest::newRow("application") << u"application"_s << u"Standard Skin"_s;
    QTest::newRow("author") << u"author"_s << u""_s;
    QTest::newRow("description") << u"description"_s << u""_s;
    QTest::newRow("hue shift") << u"hueShift"_s << u"0"_s;
    QTest::newRow("images") << u"images"_s << u"paper.bmp paper-active.bmp checkboxes.tga radiobuttons.tga"_s;
}

void TestSkin::storedSkinFields()
{
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const Skin skin;
    const QHash<QString, QString> fields = {
        {u"name"_s, skin.name()},
        {u"application"_s, skin.application()},
        {u"author"_s, skin.author()},
        {u"description"_s, skin.description()},
        {u"hueShift"_s, QString::number(skin.hueShift())},
        {u"images"_s, skin.imageNames().join(u' ')},
    };
    QCOMPARE(fields.value(field), expected);
}

void TestSkin::storedPictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::newRow("paper") << u":/skin/paper.bmp"_s << QSize(128, 128) << 24;
    QTest::newRow("active paper") << u":/skin/paper-active.bmp"_s << QSize(128, 128) << 24;
    QTest::newRow("check boxes") << u":/skin/checkboxes.tga"_s << QSize(104, 78) << 32;
    QTest::newRow("radio buttons") << u":/skin/radiobuttons.tga"_s << QSize(104, 52) << 32;
    QTest::newRow("main window icon") << u":/icons/main.bmp"_s << QSize(32, 32) << 24;
    QTest::newRow("About dialog icon") << u":/icons/about.bmp"_s << QSize(32, 32) << 24;
}

void TestSkin::storedPictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, bitsPerPixel);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray data = file.readAll();
    const bool tga = path.endsWith(u".tga"_s);
    const QImage image = tga ? readTga(data) : QImage::fromData(data);
    QCOMPARE(image.size(), size);
    // The depth as stored in the file: byte 16 of a TGA header, the word at 28 of a BMP one.
    const int storedBits = tga ? quint8(data[16]) : quint8(data[28]) | quint8(data[29]) << 8;
    QCOMPARE(storedBits, bitsPerPixel);
}

void TestSkin::windowIcons()
{
    QWidget* form = open(u"main"_s);
    QWidget* about = open(u"about"_s);
    const QImage mainIcon = form->windowIcon().pixmap(32).toImage();
    const QImage aboutIcon = about->windowIcon().pixmap(32).toImage();
    QCOMPARE(mainIcon.size(), QSize(32, 32));
    QCOMPARE(aboutIcon.size(), QSize(32, 32));
    QCOMPARE(mainIcon, mainWindowIcon().pixmap(32).toImage());
    QCOMPARE(aboutIcon, aboutDialogIcon().pixmap(32).toImage());
    QVERIFY(mainIcon != aboutIcon);
    // The task bar shows the icon of the platform window.
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->windowHandle()->icon().pixmap(32).toImage(), mainIcon);
}

void TestSkin::descriptionErrors_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray valid(kValidDescription);
    QTest::newRow("line without =") << valid + "Colour red\n" << u"皮肤描述第10行缺少“=”：Colour red"_s;
    QTest::newRow("unknown key") << "Nmae=Paper-2\n" + valid << u"皮肤描述第1行的键“Nmae”未知"_s;
    QTest::newRow("repeated key") << valid + "Author=someone\n" << u"皮肤描述第10行重复了键“Author”"_s;
    QTest::newRow("missing key") << QByteArray(valid).replace("Description=\n", "")
                                 << u"皮肤描述缺少键“Description”"_s;
    QTest::newRow("hue shift not a number") << QByteArray(valid).replace("HueShift=0", "HueShift=warm")
                                            << u"皮肤描述的色相偏移“warm”不是 -180 到 180 之间的整数"_s;
    QTest::newRow("hue shift too far") << QByteArray(valid).replace("HueShift=0", "HueShift=181")
                                       << u"皮肤描述的色相偏移“181”不是 -180 到 180 之间的整数"_s;
    QTest::newRow("empty") << QByteArray() << u"皮肤描述缺少键“Name”"_s;
}

void TestSkin::descriptionErrors()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QCOMPARE(errorOf([&] { parseSkinDescription(text); }), error);
}

void TestSkin::descriptionWithCommentsAndHueShift()
{
    const QByteArray text = "# a skin\n\n  Name = Paper 3  \nApplication=Standard Skin\nAuthor=星舟\nDescription=\n"
                            "HueShift=-30\nPaper=a.bmp\nPaperActive=b.bmp\nCheckBoxes=c.tga\nRadioButtons=d.tga";
    const SkinDescription skin = parseSkinDescription(text);
    QCOMPARE(skin.name, u"Paper 3"_s);
    QCOMPARE(skin.author, u"星舟"_s);
    QCOMPARE(skin.hueShift, -30);
    QCOMPARE(skin.radioButtons, u"d.tga"_s);
}

void TestSkin::tgaPictures_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<QRgb>>("expected"); // top-left, top-right, bottom-left, bottom-right

    const QRgb blue = qRgba(0, 0, 0xff, 0x80), green = qRgba(0, 0xff, 0, 0x80), red = qRgba(0xff, 0, 0, 0x80),
               grey = qRgba(0x80, 0x80, 0x80, 0x80);
    QTest::newRow("32 bits, from the bottom") << tgaHeader(2, 2, 2, 32, 0x08) + tgaPixels(32)
                                              << QList<QRgb>{red, grey, blue, green};
    QTest::newRow("32 bits, from the top") << tgaHeader(2, 2, 2, 32, 0x28) + tgaPixels(32)
                                           << QList<QRgb>{blue, green, red, grey};
    QTest::newRow("32 bits, from the top right") << tgaHeader(2, 2, 2, 32, 0x38) + tgaPixels(32)
                                                 << QList<QRgb>{green, blue, grey, red};
    QTest::newRow("24 bits, opaque") << tgaHeader(2, 2, 2, 24, 0x20) + tgaPixels(24)
                                     << QList<QRgb>{qRgb(0, 0, 0xff), qRgb(0, 0xff, 0), qRgb(0xff, 0, 0),
                                                    qRgb(0x80, 0x80, 0x80)};
    QByteArray withId = tgaHeader(2, 2, 2, 32, 0x28);
    withId[0] = 3;
    QTest::newRow("ID field and footer skipped") << withId + "abc" + tgaPixels(32) + "TRUEVISION-XFILE.\0"
                                                 << QList<QRgb>{blue, green, red, grey};
}

void TestSkin::tgaPictures()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<QRgb>, expected);
    const QImage image = readTga(data);
    QCOMPARE(image.size(), QSize(2, 2));
    const QList<QRgb> actual = {image.pixel(0, 0), image.pixel(1, 0), image.pixel(0, 1), image.pixel(1, 1)};
    QCOMPARE(actual, expected);
}

void TestSkin::tgaErrors_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty file") << QByteArray() << u"TGA 文件头不完整：只有 0 字节"_s;
    QTest::newRow("cut-off header") << tgaHeader(2, 2, 2, 32, 0).left(10) << u"TGA 文件头不完整：只有 10 字节"_s;
    QTest::newRow("run-length encoded") << tgaHeader(10, 2, 2, 32, 0) + tgaPixels(32)
                                        << u"不支持的 TGA 图像类型 10：只能读取未压缩的真彩色图像"_s;
    QTest::newRow("colour-mapped") << tgaHeader(1, 2, 2, 8, 0) + QByteArray(4, '\0')
                                   << u"不支持的 TGA 图像类型 1：只能读取未压缩的真彩色图像"_s;
    QTest::newRow("16 bits") << tgaHeader(2, 2, 2, 16, 0) + QByteArray(8, '\0') << u"不支持的 TGA 颜色深度：16 位"_s;
    QTest::newRow("no pixels") << tgaHeader(2, 0, 2, 32, 0) << u"TGA 图像的尺寸为空：0×2"_s;
    QByteArray longId = tgaHeader(2, 1, 1, 24, 0);
    longId[0] = char(200);
    QTest::newRow("ID field past the end") << longId + "abc" << u"TGA 图像数据不完整：需要 3 字节，只有 0 字节"_s;
    QTest::newRow("cut-off pixels") << tgaHeader(2, 2, 2, 32, 0) + tgaPixels(32).left(9)
                                    << u"TGA 图像数据不完整：需要 16 字节，只有 9 字节"_s;
}

void TestSkin::tgaErrors()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, error);
    QCOMPARE(errorOf([&] { readTga(data); }), error);
}

void TestSkin::hueShift_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("degrees");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("none") << QColor(0xa8, 0x8d, 0x63) << 0 << QColor(0xa8, 0x8d, 0x63);
    QTest::newRow("red to green") << QColor(255, 0, 0) << 120 << QColor(0, 255, 0);
    QTest::newRow("red back to blue") << QColor(255, 0, 0) << -120 << QColor(0, 0, 255);
    QTest::newRow("grey has no hue") << QColor(128, 128, 128) << 90 << QColor(128, 128, 128);
    QTest::newRow("alpha kept") << QColor(0, 0, 255, 60) << 180 << QColor(255, 255, 0, 60);
}

void TestSkin::hueShift()
{
    QFETCH(QColor, colour);
    QFETCH(int, degrees);
    QFETCH(QColor, expected);
    QCOMPARE(shiftHue(colour, degrees).rgba(), expected.rgba());
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixelColor(0, 0, colour);
    QCOMPARE(shiftHue(image, degrees).pixel(0, 0), expected.rgba());
}

void TestSkin::brokenPictures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // a null array: the file is missing
    QTest::addColumn<QString>("error");
    QTest::newRow("paper missing") << u"paper.bmp"_s << QByteArray() << u"找不到皮肤图像“paper.bmp”"_s;
    QTest::newRow("paper not a picture") << u"paper.bmp"_s << QByteArray("not a bitmap")
                                         << u"皮肤图像“paper.bmp”读取失败：无法解码"_s;
    QTest::newRow("check boxes cut off") << u"checkboxes.tga"_s << tgaHeader(2, 104, 78, 32, 8).left(10)
                                         << u"皮肤图像“checkboxes.tga”读取失败：TGA 文件头不完整：只有 10 字节"_s;
    QTest::newRow("radio cells not square") << u"radiobuttons.tga"_s
                                            << tgaHeader(2, 104, 50, 32, 8) + QByteArray(104 * 50 * 4, '\xff')
                                            << u"皮肤图像“radiobuttons.tga”的尺寸 104×50 不是 4 列 2 行的正方格"_s;
}

// A skin folder with one picture broken: reading it stops with a message that names the picture.
void TestSkin::brokenPictures()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const SkinDescription description = parseSkinDescription(kValidDescription);
    for (const QString& name : {description.paper, description.paperActive, description.checkBoxes,
                                description.radioButtons}) {
        if (name != file)
            QVERIFY(QFile::copy(u":/skin/"_s + name, folder.filePath(name)));
    }
    if (!content.isNull()) {
        QFile broken(folder.filePath(file));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(content);
    }
    QCOMPARE(errorOf([&] { SkinImages images(folder.path(), description); }), error);
}

// ---------------------------------------------------------------- both windows wear it

void TestSkin::appliedAtLoad_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("tool");
    QTest::newRow("main window") << u"main"_s << false;
    QTest::newRow("About dialog") << u"about"_s << true;
}

void TestSkin::appliedAtLoad()
{
    QFETCH(QString, which);
    QFETCH(bool, tool);
    QWidget* window = open(which);
    // Loading applies it: before the window is first shown.
    QVERIFY(!window->isVisible());
    QVERIFY(Skin::isApplied(window));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::FramelessWindowHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->windowType() == Qt::Tool, tool);
    QCOMPARE(window->layout()->itemAt(0)->widget(), captionBarOf(window));

    // Shown, every control is in the skin, including menus made while the window loaded.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : std::as_const(widgets)) {
        QVERIFY2(qobject_cast<SkinStyle*>(widget->style()),
                 qPrintable(widget->objectName() + u' ' + QString::fromUtf8(widget->metaObject()->className())));
        // Menus are windows of their own: they get the paper explicitly.
        QVERIFY2(widget->palette().window().style() == Qt::TexturePattern, qPrintable(widget->objectName()));
    }
}

void TestSkin::layoutKeepsTheDesignedClientArea_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("outerWidth");
    QTest::newRow("main window") << u"main"_s << QSize(748, 509) << 756;
    QTest::newRow("About dialog") << u"about"_s << QSize(309, 179) << 317;
}

void TestSkin::layoutKeepsTheDesignedClientArea()
{
    QFETCH(QString, which);
    QFETCH(QSize, client);
    QFETCH(int, outerWidth);
    QWidget* window = showActive(which);
    QVERIFY(window);
    QWidget* area = clientOf(window);
    CaptionBar* bar = captionBarOf(window);
    QCOMPARE(area->size(), client);
    QCOMPARE(window->width(), outerWidth);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(bar->geometry().topLeft(), QPoint(SkinFrame::kWidth, SkinFrame::kWidth));
    QCOMPARE(bar->width(), client.width());
    // Below the caption bar, and below the menu bar where there is one.
    auto* menuBar = window->findChild<QMenuBar*>();
    const int above = menuBar ? menuBar->geometry().bottom() : bar->geometry().bottom();
    QCOMPARE(area->y(), above + 1);
    QCOMPARE(window->height(), area->geometry().bottom() + 1 + SkinFrame::kWidth);
}

void TestSkin::centredByTheOuterSize_data()
{
    appliedAtLoad_data();
}

void TestSkin::centredByTheOuterSize()
{
    QFETCH(QString, which);
    QWidget* window = open(which);
    const QSize outer = window->frameGeometry().size();
    // Frameless: the outer size is the drawn one, caption bar and border included.
    QCOMPARE(outer, window->size());
    QVERIFY(outer.height() > clientOf(window)->height() + captionBarOf(window)->height());
    QCOMPARE(window->pos(), window->screen()->geometry().topLeft()
                                + centredPosition(window->screen()->geometry().size(), outer));
}

void TestSkin::applyingTwiceChangesNothing()
{
    auto* dialog = static_cast<Dialog*>(open(u"about"_s));
    const QSize size = dialog->size();
    dialog->Skin1->applySkin(dialog);
    QCOMPARE(dialog->findChildren<CaptionBar*>().size(), 1);
    QCOMPARE(dialog->findChildren<SkinFrame*>().size(), 1);
    QCOMPARE(dialog->size(), size);
}

void TestSkin::windowThatCannotTakeTheSkin_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("error");
    QTest::newRow("no window") << u"none"_s << u"没有要换肤的窗口"_s;
    QTest::newRow("no layout") << u""_s << u"窗口“歌词窗口”没有自上而下的布局，放不下皮肤的标题栏"_s;
    QTest::newRow("grid layout") << u"grid"_s << u"窗口“歌词窗口”没有自上而下的布局，放不下皮肤的标题栏"_s;
    QTest::newRow("side-by-side layout") << u"row"_s << u"窗口“歌词窗口”没有自上而下的布局，放不下皮肤的标题栏"_s;
}

void TestSkin::windowThatCannotTakeTheSkin()
{
    QFETCH(QString, layout);
    QFETCH(QString, error);
    Skin skin;
    if (layout == u"none"_s) {
        QCOMPARE(errorOf([&] { skin.applySkin(nullptr); }), error);
        return;
    }
    QWidget window;
    window.setWindowTitle(u"歌词窗口"_s);
    if (layout == u"grid"_s)
        new QGridLayout(&window);
    else if (layout == u"row"_s)
        new QHBoxLayout(&window);
    const Qt::WindowFlags flags = window.windowFlags();
    QStyle* style = window.style();
    QCOMPARE(errorOf([&] { skin.applySkin(&window); }), error);
    // Nothing of the skin is left behind.
    QCOMPARE(window.windowFlags(), flags);
    QCOMPARE(window.style(), style);
    QVERIFY(!Skin::isApplied(&window));
}

// ---------------------------------------------------------------- the caption bar

void TestSkin::captionButtons_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("minimise");
    QTest::newRow("main window") << u"main"_s << true;
    QTest::newRow("About dialog") << u"about"_s << false;
}

void TestSkin::captionButtons()
{
    QFETCH(QString, which);
    QFETCH(bool, minimise);
    CaptionBar* bar = captionBarOf(open(which));
    QCOMPARE(bar->minimiseButton() != nullptr, minimise);
    QVERIFY(bar->closeButton());
    QCOMPARE(bar->findChildren<CaptionButton*>().size(), minimise ? 2 : 1);
    QCOMPARE(bar->closeButton()->accessibleName(), u"关闭"_s);
}

void TestSkin::minimiseButtonMinimises()
{
    QWidget* form = showActive(u"main"_s);
    QVERIFY(form);
    const QSize size = form->size();
    QTest::mouseClick(captionBarOf(form)->minimiseButton(), Qt::LeftButton);
    QTRY_VERIFY(form->isMinimized());
    form->showNormal();
    QTRY_VERIFY(!form->isMinimized());
    QCOMPARE(form->size(), size);
}

void TestSkin::closeButtonCloses_data()
{
    appliedAtLoad_data();
}

void TestSkin::closeButtonCloses()
{
    QFETCH(QString, which);
    QPointer<QWidget> window = showActive(which);
    QVERIFY(window);
    QTest::mouseClick(captionBarOf(window)->closeButton(), Qt::LeftButton);
    // Closing unloads: the window is destroyed.
    QTRY_VERIFY(window.isNull());
}

void TestSkin::systemMenu_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("main window") << u"main"_s << QStringList{u"最小化"_s, u"关闭"_s};
    QTest::newRow("About dialog") << u"about"_s << QStringList{u"关闭"_s};
}

void TestSkin::systemMenu()
{
    QFETCH(QString, which);
    QFETCH(QStringList, items);
    QPointer<QWidget> window = showActive(which);
    QVERIFY(window);
    CaptionBar* bar = captionBarOf(window);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->iconRect().center());
    QVERIFY(bar->systemMenu());
    QTRY_VERIFY(bar->systemMenu()->isVisible());
    QVERIFY(qobject_cast<SkinStyle*>(bar->systemMenu()->style()));
    QStringList texts;
    for (QAction* action : bar->systemMenu()->actions())
        texts << action->text();
    QCOMPARE(texts, items);
    bar->systemMenu()->actions().constLast()->trigger();
    QTRY_VERIFY(window.isNull());
}

void TestSkin::draggingTheCaptionMovesTheWindow()
{
    QWidget* dialog = showActive(u"about"_s);
    QVERIFY(dialog);
    CaptionBar* bar = captionBarOf(dialog);
    const QPoint start = dialog->pos();
    // The bar moves with the window, so every point is fixed on the screen first.
    const QPoint grip = bar->mapToGlobal(bar->titleRect().center());
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->mapFromGlobal(grip));
    QTest::mouseMove(bar, bar->mapFromGlobal(grip + QPoint(20, 10)));
    QTest::mouseMove(bar, bar->mapFromGlobal(grip + QPoint(40, 30)));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(grip + QPoint(40, 30)));
    QTRY_COMPARE(dialog->pos(), start + QPoint(40, 30));
}

void TestSkin::doubleClickDoesNotMaximise()
{
    QWidget* form = showActive(u"main"_s);
    QVERIFY(form);
    const QSize size = form->size();
    CaptionBar* bar = captionBarOf(form);
    QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->titleRect().center());
    QTest::qWait(50);
    QVERIFY(!form->isMaximized());
    QCOMPARE(form->size(), size);
}

// ---------------------------------------------------------------- what it draws

void TestSkin::screenshot_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QRect>("emptyPaper");  // a stretch of the client area with no control on it
    QTest::addColumn<QString>("textBox");   // a text box whose right end is empty, or none
    QTest::newRow("main window") << u"main"_s << QRect(4, 460, 160, 40) << u"Text1(3)"_s;
    QTest::newRow("About dialog") << u"about"_s << QRect(286, 20, 20, 100) << QString();
}

void TestSkin::screenshot()
{
    QFETCH(QString, which);
    QFETCH(QRect, emptyPaper);
    QFETCH(QString, textBox);
    QWidget* window = showActive(which);
    QVERIFY(window);
    const QImage shot = window->grab().toImage();
    QCOMPARE(shot.size(), window->size() * shot.devicePixelRatio());

    const QRect paper = emptyPaper.translated(clientOf(window)->mapTo(window, QPoint()));
    const QColor average = averageColour(shot, paper);
    QVERIFY2(isNear(average, kPaper, 6), qPrintable(describe(average)));

    const int middle = window->height() / 2;
    QCOMPARE(pixelAt(shot, QPointF(0.5, middle)), kFrameOuter);
    QCOMPARE(pixelAt(shot, QPointF(SkinFrame::kWidth - 0.5, middle)), kFrameInner);

    // The caption in ink, the icon in its own colours, on the active paper.
    CaptionBar* bar = captionBarOf(window);
    const QRect title = bar->titleRect().translated(bar->pos());
    QVERIFY2(darkPixels(shot, title, 90) > 40, qPrintable(QString::number(darkPixels(shot, title, 90))));
    const QRect icon = bar->iconRect().translated(bar->pos());
    QVERIFY(!isNear(averageColour(shot, icon), QColor(0xec, 0xdb, 0xb5), 12));

    if (!textBox.isEmpty()) {
        auto* box = window->findChild<QLineEdit*>(textBox);
        const QPoint inside = box->mapTo(window, QPoint(box->width() - 20, box->height() / 2));
        QCOMPARE(pixelAt(shot, QPointF(inside) + QPointF(0.5, 0.5)), kBase);
    }
}

void TestSkin::buttonStates_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QColor>("face");
    QTest::addColumn<QColor>("border");
    QTest::addColumn<int>("borderWidth");
    QTest::newRow("normal") << u"normal"_s << QColor(246, 239, 224) << QColor(0xa8, 0x8d, 0x63) << 1;
    QTest::newRow("highlighted") << u"highlighted"_s << QColor(236, 219, 181) << QColor(0x7a, 0x5c, 0x3a) << 1;
    QTest::newRow("pressed") << u"pressed"_s << QColor(211, 192, 155) << QColor(0x6b, 0x4f, 0x2e) << 1;
    QTest::newRow("disabled") << u"disabled"_s << QColor(248, 243, 232) << QColor(0xcb, 0xbb, 0x9f) << 1;
    QTest::newRow("default") << u"default"_s << QColor(246, 239, 224) << QColor(0x6b, 0x4f, 0x2e) << 2;
    QTest::newRow("focused") << u"focused"_s << QColor(246, 239, 224) << QColor(0xa8, 0x8d, 0x63) << 1;
}

void TestSkin::buttonStates()
{
    QFETCH(QString, state);
    QFETCH(QColor, face);
    QFETCH(QColor, border);
    QFETCH(int, borderWidth);
    auto* button = new QPushButton;
    button->setFixedSize(120, 40);
    auto* other = new QLineEdit;
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(other);
    layout->addWidget(button);
    QVERIFY(skinnedWindowWith(content));
    other->setFocus();
    if (state == u"highlighted"_s)
        hover(button, QPoint(60, 20));
    else if (state == u"pressed"_s)
        button->setDown(true);
    else if (state == u"disabled"_s)
        button->setEnabled(false);
    else if (state == u"default"_s)
        button->setDefault(true);
    else if (state == u"focused"_s)
        button->setFocus();
    QTRY_VERIFY(state != u"highlighted"_s || button->underMouse());
    QTRY_VERIFY(state != u"focused"_s || button->hasFocus());

    const QImage shot = button->grab().toImage();
    // The middle of the face, clear of the focus rectangle, which runs a few pixels inside the border.
    const QColor middle = averageColour(shot, QRect(10, 10, 100, 20));
    QVERIFY2(isNear(middle, face, 4), qPrintable(describe(middle)));
    for (int x = 0; x < borderWidth; ++x) {
        const QColor line = pixelAt(shot, QPointF(x + 0.5, 20));
        QVERIFY2(isNear(line, border, 2), qPrintable(describe(line)));
    }
    const QColor inside = pixelAt(shot, QPointF(borderWidth + 0.5, 20));
    QVERIFY2(!isNear(inside, border, 20), qPrintable(describe(inside)));
    const int inked = darkPixels(shot, QRect(3, 19, 6, 2), 90);
    QCOMPARE(inked > 0, state == u"focused"_s);
}

void TestSkin::indicators_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QColor>("centre");
    QTest::newRow("check box, normal") << u"check"_s << u"normal"_s << QColor(255, 253, 246);
    QTest::newRow("check box, highlighted") << u"check"_s << u"highlighted"_s << QColor(250, 238, 208);
    QTest::newRow("check box, pressed") << u"check"_s << u"pressed"_s << QColor(228, 208, 166);
    QTest::newRow("check box, disabled") << u"check"_s << u"disabled"_s << QColor(241, 235, 222);
    QTest::newRow("check box, partly checked") << u"check"_s << u"partly"_s << QColor(150, 52, 34);
    QTest::newRow("radio button, normal") << u"radio"_s << u"normal"_s << QColor(255, 253, 246);
    QTest::newRow("radio button, checked") << u"radio"_s << u"checked"_s << QColor(150, 52, 34);
    QTest::newRow("radio button, checked and disabled") << u"radio"_s << u"checked disabled"_s
                                                        << QColor(184, 160, 140);
}

void TestSkin::indicators()
{
    QFETCH(QString, kind);
    QFETCH(QString, state);
    QFETCH(QColor, centre);
    QAbstractButton* button = nullptr;
    if (kind == u"check"_s) {
        auto* box = new QCheckBox(u"选择"_s);
        box->setTristate(state == u"partly"_s);
        if (state == u"partly"_s)
            box->setCheckState(Qt::PartiallyChecked);
        button = box;
    } else {
        button = new QRadioButton(u"选择"_s);
        button->setChecked(state.startsWith(u"checked"_s));
    }
    button->setEnabled(!state.endsWith(u"disabled"_s));
    QVERIFY(skinnedWindowWith(button));
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle::SubElement element =
        kind == u"check"_s ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator;
    const QRect indicator = button->style()->subElementRect(element, &option, button);
    QCOMPARE(indicator.size(), QSize(13, 13));
    if (state == u"highlighted"_s)
        hover(button, indicator.center());
    else if (state == u"pressed"_s)
        button->setDown(true);
    QTRY_VERIFY(state != u"highlighted"_s || button->underMouse());

    const QImage shot = button->grab().toImage();
    const QColor middle = averageColour(shot, QRectF(indicator).adjusted(6, 6, -6, -6));
    QVERIFY2(isNear(middle, centre, 3), qPrintable(describe(middle)));
}

void TestSkin::popupMenu()
{
    auto* form = static_cast<Form1*>(showActive(u"main"_s));
    QVERIFY(form);
    QMenu* menu = form->文件;
    menu->popup(form->mapToGlobal(QPoint(20, 60)));
    QTRY_VERIFY(menu->isVisible());
    menu->setActiveAction(menu->actions().constFirst());
    const QImage shot = menu->grab().toImage();
    const QRect lit = menu->actionGeometry(menu->actions().constFirst());
    const QRect plain = menu->actionGeometry(menu->actions().constLast());
    // Right of the texts: the lit item on the warm paper, the other on the plain one.
    const QColor litColour = averageColour(shot, QRect(lit.right() - 14, lit.top() + 3, 8, lit.height() - 6));
    const QColor plainColour = averageColour(shot, QRect(plain.right() - 14, plain.top() + 3, 8, plain.height() - 6));
    QVERIFY2(isNear(litColour, QColor(0xec, 0xdb, 0xb5), 8), qPrintable(describe(litColour)));
    QVERIFY2(isNear(plainColour, kPaper, 8), qPrintable(describe(plainColour)));
    QCOMPARE(pixelAt(shot, QPointF(0.5, menu->height() / 2)), QColor(0xa8, 0x8d, 0x63));
    QVERIFY(darkPixels(shot, plain, 90) > 20);
    menu->hide();
}

void TestSkin::skinLabels_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("chineseFace");
    QTest::newRow("main window, SkinLabel1") << u"main"_s << u"SkinLabel1"_s << u"AR PL UKai CN"_s;
    QTest::newRow("main window, SkinLabel2") << u"main"_s << u"SkinLabel2"_s << u"Noto Sans CJK SC"_s;
    QTest::newRow("main window, SkinLabel3") << u"main"_s << u"SkinLabel3"_s << u"AR PL UKai CN"_s;
    QTest::newRow("About dialog, SkinLabel1") << u"about"_s << u"SkinLabel1"_s << u"Noto Sans CJK SC"_s;
    QTest::newRow("About dialog, SkinLabel2") << u"about"_s << u"SkinLabel2"_s << u"Noto Sans CJK SC"_s;
    QTest::newRow("About dialog, SkinLabel3") << u"about"_s << u"SkinLabel3"_s << u"Noto Sans CJK SC"_s;
}

void TestSkin::skinLabels()
{
    QFETCH(QString, which);
    QFETCH(QString, label);
    QFETCH(QString, chineseFace);
    QWidget* window = showActive(which);
    QVERIFY(window);
    auto* skinLabel = window->findChild<QLabel*>(label);
    QVERIFY(skinLabel);

    // Every glyph of the Han characters comes from the expected Chinese face, not a stand-in.
    QTextLayout layout(skinLabel->text(), skinLabel->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int hanGlyphs = 0;
    const QString text = skinLabel->text();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).script() != QChar::Script_Han)
            continue;
        for (const QGlyphRun& run : layout.glyphRuns(i, 1)) {
            QCOMPARE(run.rawFont().familyName(), chineseFace);
            QVERIFY(!run.glyphIndexes().contains(0));
            ++hanGlyphs;
        }
    }
    QVERIFY(hanGlyphs >= 2);

    const QImage shot = skinLabel->grab().toImage();
    QVERIFY(darkPixels(shot, skinLabel->rect(), 100) > 30);
}

void TestSkin::textsFit_data()
{
    appliedAtLoad_data();
}

// At any scale every caption and text of the window shows whole: nothing is cut off or elided.
void TestSkin::textsFit()
{
    QFETCH(QString, which);
    QWidget* window = showActive(which);
    QVERIFY(window);
    int checked = 0;
    for (auto* button : window->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QFontMetrics metrics(button->font());
        QVERIFY2(metrics.horizontalAdvance(button->text()) <= room.width() && metrics.height() <= room.height(),
                 qPrintable(button->objectName()));
        ++checked;
    }
    for (auto* edit : window->findChildren<QLineEdit*>()) {
        if (!edit->isVisibleTo(window))
            continue;
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        // A line edit keeps two pixels of its own on either side of the text.
        const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                               .marginsRemoved(edit->textMargins())
                               .adjusted(2, 0, -2, 0);
        const QFontMetrics metrics(edit->font());
        QVERIFY2(metrics.horizontalAdvance(edit->text()) <= room.width() && metrics.height() <= room.height(),
                 qPrintable(edit->objectName() + u' ' + QString::number(metrics.horizontalAdvance(edit->text()))
                            + u'/' + QString::number(room.width())));
        ++checked;
    }
    for (auto* label : window->findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = QFontMetrics(label->font()).boundingRect(room, flags, label->text());
        QVERIFY2(room.contains(needed), qPrintable(label->objectName()));
        ++checked;
    }
    for (auto* box : window->findChildren<QGroupBox*>()) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        QVERIFY2(QFontMetrics(box->font()).horizontalAdvance(box->title()) <= label.width()
                     && box->rect().contains(label),
                 qPrintable(box->objectName()));
        ++checked;
    }
    CaptionBar* bar = captionBarOf(window);
    QVERIFY(QFontMetrics(bar->titleFont()).horizontalAdvance(window->windowTitle()) <= bar->titleRect().width());
    QVERIFY(checked >= 5);
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
