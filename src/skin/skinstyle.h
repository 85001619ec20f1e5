// Draws the controls of a skinned window on paper: buttons, frames, text boxes, menus.
#pragma once

#include "skin/skincolours.h"
#include "skin/skinimages.h"

#include <QFont>
#include <QProxyStyle>

struct SkinDescription;

class SkinStyle : public QProxyStyle
{
    Q_OBJECT
public:
    // Reads the skin's images from folder (see SkinImages for the errors it throws).
    SkinStyle(const QString& folder, const SkinDescription& description);

    // Draws window and every widget in it in this style, and gives the window and the windows it
    // owns (its menus) the skin's palette and font; widgets already in the style are left as they are.
    void dress(QWidget* window);

    const SkinColours& colours() const { return m_colours; }
    const SkinImages& images() const { return m_images; }

    // A one-pixel line just inside rect, filled rather than stroked so that it covers whole
    // device pixels at every scale.
    static void drawRing(QPainter* painter, const QRect& rect, const QColor& colour);

    // Covers rect with paper; the active sheet is the warmer one of the active window's caption.
    void fillPaper(QPainter* painter, const QRect& rect, bool active) const;

    void polish(QWidget* widget) override;
    using QProxyStyle::polish;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;

private:
    void drawButtonPanel(const QStyleOption* option, QPainter* painter) const;
    void drawPushButton(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawFocusRect(const QStyleOption* option, QPainter* painter) const;
    void drawLineFrame(const QStyleOption* option, QPainter* painter) const;
    void drawGroupFrame(const QStyleOption* option, QPainter* painter) const;
    void drawMenuBarItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawMenuBarEmptyArea(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawMenuItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawGroupBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    void drawLitPanel(QPainter* painter, const QRect& rect, const QColor& border) const;

    SkinColours m_colours;
    SkinImages m_images;
    QPalette m_palette;
    QFont m_font;
};
