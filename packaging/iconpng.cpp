// Build-time tool: turns the main window's bitmap icon into the PNG files the desktop's icon theme takes.
#include <QCoreApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

namespace {

// Writes bitmapPath as a sizeText × sizeText PNG; returns why it could not, or "" when it did.
// The size must be a whole multiple of the bitmap's: the icon is pixel art, and repeating every
// pixel keeps its edges sharp where a smooth scale would blur them.
QString writeIcon(const QString& bitmapPath, const QString& pngPath, const QString& sizeText)
{
    const QImage bitmap(bitmapPath);
    if (bitmap.isNull() || bitmap.width() != bitmap.height())
        return bitmapPath + QStringLiteral(": not a square image");
    bool isNumber = false;
    const int size = sizeText.toInt(&isNumber);
    if (!isNumber || size < bitmap.width() || size % bitmap.width() != 0)
        return sizeText + QStringLiteral(": not a whole multiple of %1").arg(bitmap.width());
    const QImage icon = bitmap.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!icon.save(pngPath, "PNG"))
        return pngPath + QStringLiteral(": cannot write");
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fputs("usage: xiaoyun-lrc-iconpng <icon.bmp> <icon.png> <size>\n", stderr);
        return 2;
    }
    const QString error = writeIcon(args[1], args[2], args[3]);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "xiaoyun-lrc-iconpng: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
