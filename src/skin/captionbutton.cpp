// A button of the skinned caption bar: minimise or close, drawn on the caption's paper.
#include "skin/captionbutton.h"

#include "skin/skinstyle.h"

#include <QPainter>
#include <QPainterPath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal kRadius = 2.0;
constexpr qreal kGlyphPen = 1.5;

} // namespace

CaptionButton::CaptionButton(Kind kind, const SkinStyle& skin, QWidget* parent)
    : QAbstractButton(parent)
    , m_kind(kind)
    , m_skin(skin)
{
    const QString name = kind == Kind::Close ? u"关闭"_s : u"最小化"_s;
    setObjectName(kind == Kind::Close ? u"closeButton"_s : u"minimiseButton"_s);
    setAccessibleName(name);
    setToolTip(name);
    // The caption bar is not a stop in the window's tab order.
    setFocusPolicy(Qt::NoFocus);
}

// Square-ish, as high as the caption's text so it grows with the font and the scale.
QSize CaptionButton::sizeHint() const
{
    const int height = fontMetrics().height() + 4;
    return {height * 5 / 4, height};
}

void CaptionButton::enterEvent(QEnterEvent* event)
{
    update();
    QAbstractButton::enterEvent(event);
}

void CaptionButton::leaveEvent(QEvent* event)
{
    update();
    QAbstractButton::leaveEvent(event);
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    const SkinColours& colours = m_skin.colours();
    const bool pressed = isDown();
    const bool highlighted = underMouse() || pressed;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor glyph = window()->isActiveWindow() ? colours.ink : colours.inkFaded;
    if (highlighted) {
        QPainterPath face;
        face.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
        if (m_kind == Kind::Close) {
            // The close button warns in the seal's red before it is let go.
            painter.fillPath(face, pressed ? colours.seal.darker(120) : colours.seal);
            glyph = colours.base;
        } else {
            painter.fillPath(face, QBrush(m_skin.images().paperActive()));
            if (pressed)
                painter.fillPath(face, colours.shade);
            painter.strokePath(face, QPen(pressed ? colours.ruleStrong : colours.rule, 1.0));
        }
    }
    drawGlyph(&painter, glyph);
}

void CaptionButton::drawGlyph(QPainter* painter, const QColor& colour) const
{
    const qreal side = qMin(width(), height()) * 0.42;
    QRectF glyph(0, 0, side, side);
    glyph.moveCenter(QRectF(rect()).center());
    painter->setPen(QPen(colour, kGlyphPen, Qt::SolidLine, Qt::RoundCap));
    if (m_kind == Kind::Close) {
        painter->drawLine(glyph.topLeft(), glyph.bottomRight());
        painter->drawLine(glyph.topRight(), glyph.bottomLeft());
    } else {
        painter->drawLine(glyph.bottomLeft(), glyph.bottomRight());
    }
}
