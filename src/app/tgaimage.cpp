// Reads the TGA pictures of a skin without depending on an image-format plugin being installed.
#include "app/tgaimage.h"

#include "common/usererror.h"

#include <QString>


using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kHeaderSize = 18;
constexpr int kUncompressedTrueColour = 2;
constexpr unsigned char kRightToLeft = 0x10;
constexpr unsigned char kTopToBottom = 0x20;

int byteAt(const QByteArray& data, qsizetype offset)
{
    return static_cast<unsigned char>(data[offset]);
}

int wordAt(const QByteArray& data, qsizetype offset)
{
    return byteAt(data, offset) | byteAt(data, offset + 1) << 8;
}

QRgb pixelAt(const uchar* bytes, int bytesPerPixel)
{
    const int alpha = bytesPerPixel == 4 ? bytes[3] : 0xff;
    return qRgba(bytes[2], bytes[1], bytes[0], alpha);
}

} // namespace

QImage readTga(const QByteArray& data)
{
    if (data.size() < kHeaderSize)
        throw UserError(u"TGA 文件头不完整：只有 %1 字节"_s.arg(data.size()));
    const int idLength = byteAt(data, 0);
    const int colourMapType = byteAt(data, 1);
    const int imageType = byteAt(data, 2);
    const int width = wordAt(data, 12);
    const int height = wordAt(data, 14);
    const int bitsPerPixel = byteAt(data, 16);
    const auto descriptor = static_cast<unsigned char>(byteAt(data, 17));
    if (imageType != kUncompressedTrueColour || colourMapType != 0)
        throw UserError(u"不支持的 TGA 图像类型 %1：只能读取未压缩的真彩色图像"_s.arg(imageType));
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        throw UserError(u"不支持的 TGA 颜色深度：%1 位"_s.arg(bitsPerPixel));
    if (width == 0 || height == 0)
        throw UserError(u"TGA 图像的尺寸为空：%1×%2"_s.arg(width).arg(height));

    const int bytesPerPixel = bitsPerPixel / 8;
    const qsizetype offset = kHeaderSize + idLength;
    const qsizetype needed = qsizetype(width) * height * bytesPerPixel;
    const qsizetype available = qMax<qsizetype>(0, data.size() - offset);
    if (available < needed)
        throw UserError(u"TGA 图像数据不完整：需要 %1 字节，只有 %2 字节"_s.arg(needed).arg(available));

    QImage image(width, height, bytesPerPixel == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const uchar*>(data.constData() + offset);
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < width; ++column)
            line[column] = pixelAt(pixels + (qsizetype(row) * width + column) * bytesPerPixel, bytesPerPixel);
    }
    // Rows are stored from the bottom up unless the descriptor says otherwise.
    return image.mirrored(descriptor & kRightToLeft, !(descriptor & kTopToBottom));
}
