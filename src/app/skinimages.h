// The pictures of a stored skin, read and checked once when the skin is first applied.
#pragma once

#include <QPixmap>
#include <QString>

struct SkinDescription;
class QPainter;

class SkinImages
{
public:
    enum class Indicator { CheckBox, RadioButton };
    enum class Look { Normal, Highlighted, Pressed, Disabled }; // the columns of the indicator pictures
    enum class Mark { Unchecked, Checked, PartlyChecked };      // their rows

    // Reads the images the description names from folder; a missing, unreadable or misshapen image
    // throws UserError.
    SkinImages(const QString& folder, const SkinDescription& description);

    const QPixmap& paper() const { return paper_; }
    const QPixmap& paperActive() const { return paperActive_; }

    // Draws one indicator cell scaled into target; the cells hold two device pixels per logical
    // pixel of the indicator, so it stays sharp at twice the scale.
    void drawIndicator(QPainter* painter, const QRectF& target, Indicator indicator, Mark mark, Look look) const;

private:
    QPixmap paper_;
    QPixmap paperActive_;
    QPixmap checkBoxes_;
    QPixmap radioButtons_;
};

// Every pixel turned round the colour wheel by degrees, alpha kept.
QImage shiftHue(const QImage& image, int degrees);
