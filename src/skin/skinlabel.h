// A caption drawn straight onto the skinned window, in its own font.
#pragma once

#include <QLabel>

class SkinLabel : public QLabel
{
    Q_OBJECT
public:
    // The first installed family of the list is used; Simplified Chinese faces follow the list, so
    // a design font that is missing, or has no Chinese, still shows the caption in Chinese glyphs.
    SkinLabel(const QString& caption, const QStringList& fontFamilies, qreal pointSize, QWidget* parent);
};
