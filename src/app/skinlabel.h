// A caption drawn straight onto the skinned window, in its own font.
#pragma once

#include <QLabel>

class SkinLabel : public QLabel
{
    Q_OBJECT
public:
    // The first installed family of the list is used, so a missing design font falls back
    // to one that still renders Chinese in a similar style.
    SkinLabel(const QString& caption, const QStringList& fontFamilies, qreal pointSize, QWidget* parent);
};
