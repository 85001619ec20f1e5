// A caption drawn straight onto the skinned window, in its own font.
#include "skin/skinlabel.h"

#include "skin/chinesefonts.h"

SkinLabel::SkinLabel(const QString& caption, const QStringList& fontFamilies, qreal pointSize, QWidget* parent)
    : QLabel(caption, parent)
{
    QFont captionFont = font();
    captionFont.setFamilies(withChineseFallbacks(fontFamilies));
    captionFont.setPointSizeF(pointSize);
    captionFont.setWeight(QFont::Normal);
    setFont(captionFont);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}
