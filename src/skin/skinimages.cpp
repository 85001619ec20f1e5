// The pictures of a stored skin, read and checked once when the skin is first applied.
#include "skin/skinimages.h"

#include "common/usererror.h"
#include "skin/skindescription.h"

#include <QFile>
#include <QImage>

using namespace Qt::StringLiterals;

namespace {

QPixmap loadPicture(const QString& folder, const QString& name)
{
    QFile file(folder + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(u"找不到皮肤图像“%1”"_s.arg(name));
    const QImage image = QImage::fromData(file.readAll());
    if (image.isNull())
        throw UserError(u"皮肤图像“%1”读取失败：无法解码"_s.arg(name));
    return QPixmap::fromImage(image);
}

} // namespace

SkinImages::SkinImages(const QString& folder, const SkinDescription& description)
    : m_paper(loadPicture(folder, description.paper))
    , m_paperActive(loadPicture(folder, description.paperActive))
{}
