// The pictures of a stored skin, read and checked once when the skin is first applied.
#include "app/skinimages.h"

#include "app/skincolours.h"
#include "app/skindescription.h"
#include "app/tgaimage.h"
#include "common/usererror.h"

#include <QFile>
#include <QImage>
#include <QPainter>


using namespace Qt::StringLiterals;

namespace {

constexpr int kLooks = 4;
constexpr int kCheckBoxMarks = 3;
constexpr int kRadioButtonMarks = 2;

QImage readImage(const QString& folder, const QString& name)
{
    QFile file(folder + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(u"找不到皮肤图像“%1”"_s.arg(name));
    const QByteArray data = file.readAll();
    try {
        const QImage image = name.endsWith(u".tga"_s, Qt::CaseInsensitive) ? readTga(data) : QImage::fromData(data);
        if (image.isNull())
            throw UserError(u"无法解码"_s);
        return image;
    } catch (const std::exception& error) {
        throw UserError(u"皮肤图像“%1”读取失败：%2"_s.arg(name, QString::fromUtf8(error.what())));
    }
}

QPixmap loadPicture(const QString& folder, const QString& name, int hueShift)
{
    return QPixmap::fromImage(shiftHue(readImage(folder, name), hueShift));
}

// Indicator pictures are square cells: one column per look, one row per mark.
QPixmap loadIndicators(const QString& folder, const QString& name, int marks, int hueShift)
{
    const QPixmap strip = loadPicture(folder, name, hueShift);
    const int cell = strip.width() / kLooks;
    if (cell == 0 || strip.width() != cell * kLooks || strip.height() != cell * marks)
        throw UserError(u"皮肤图像“%1”的尺寸 %2×%3 不是 %4 列 %5 行的正方格"_s.arg(name)
                 .arg(strip.width())
                 .arg(strip.height())
                 .arg(kLooks)
                 .arg(marks));
    return strip;
}

} // namespace

SkinImages::SkinImages(const QString& folder, const SkinDescription& description)
    : paper_(loadPicture(folder, description.paper, description.hueShift))
    , paperActive_(loadPicture(folder, description.paperActive, description.hueShift))
    , checkBoxes_(loadIndicators(folder, description.checkBoxes, kCheckBoxMarks, description.hueShift))
    , radioButtons_(loadIndicators(folder, description.radioButtons, kRadioButtonMarks, description.hueShift))
{
}

void SkinImages::drawIndicator(QPainter* painter, const QRectF& target, Indicator indicator, Mark mark,
                               Look look) const
{
    const QPixmap& strip = indicator == Indicator::CheckBox ? checkBoxes_ : radioButtons_;
    const int cell = strip.width() / kLooks;
    const int row = indicator == Indicator::RadioButton && mark == Mark::PartlyChecked ? 0 : static_cast<int>(mark);
    const QRectF source(static_cast<int>(look) * cell, row * cell, cell, cell);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(target, strip, source);
    painter->restore();
}

QImage shiftHue(const QImage& image, int degrees)
{
    if (degrees == 0)
        return image;
    QImage shifted = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < shifted.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shifted.scanLine(y));
        for (int x = 0; x < shifted.width(); ++x)
            line[x] = shiftHue(QColor::fromRgba(line[x]), degrees).rgba();
    }
    return shifted;
}
