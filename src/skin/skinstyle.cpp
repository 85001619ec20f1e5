// Draws the controls of a skinned window on paper: buttons, frames, text boxes, menus.
#include "skin/skinstyle.h"

#include "skin/chinesefonts.h"
#include "skin/skindescription.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>

using namespace Qt::StringLiterals;

namespace {

// The size of the classic window font: at it the grid's longest default text, "此处输入时间1",
// fits its 81-pixel box, which it does not at the 9 points of the usual Linux desktop font.
constexpr qreal kWindowPointSize = 8.25;
constexpr qreal kButtonRadius = 3.0;
constexpr qreal kLitRadius = 2.0;
constexpr int kFocusInset = 4;

QPainterPath roundedPath(const QRect& rect, qreal penWidth, qreal radius)
{
    QPainterPath path;
    const qreal inset = penWidth / 2;
    path.addRoundedRect(QRectF(rect).adjusted(inset, inset, -inset, -inset), radius, radius);
    return path;
}

// The desktop's own family, with Chinese faces behind it for the Han characters.
QFont windowFont(const QFont& platformFont)
{
    QFont font = platformFont;
    font.setFamilies(withChineseFallbacks(platformFont.families()));
    font.setPointSizeF(kWindowPointSize);
    return font;
}

} // namespace

SkinStyle::SkinStyle(const QString& folder, const SkinDescription& description)
    : QProxyStyle(QStyleFactory::create(u"Fusion"_s))
    , m_colours(skinColours())
    , m_images(folder, description)
    , m_palette(skinPalette(m_colours, m_images.paper()))
    , m_font(windowFont(QApplication::font()))
{}

void SkinStyle::dress(QWidget* window)
{
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : std::as_const(widgets)) {
        if (widget->style() == this)
            continue;
        widget->setStyle(this);
        // Palettes and fonts pass from a window to its controls, but not to the windows it owns (menus).
        if (widget->isWindow()) {
            widget->setPalette(m_palette);
            widget->setFont(m_font);
        }
    }
}

void SkinStyle::drawRing(QPainter* painter, const QRect& rect, const QColor& colour)
{
    painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    painter->fillRect(QRect(rect.left(), rect.top() + 1, 1, rect.height() - 2), colour);
    painter->fillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 2), colour);
}

void SkinStyle::fillPaper(QPainter* painter, const QRect& rect, bool active) const
{
    painter->fillRect(rect, QBrush(active ? m_images.paperActive() : m_images.paper()));
}

void SkinStyle::polish(QWidget* widget)
{
    QProxyStyle::polish(widget);
    // Buttons and menu-bar items light up under the mouse, which needs hover events.
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QMenuBar*>(widget))
        widget->setAttribute(Qt::WA_Hover);
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
    case PM_MenuPanelWidth:
    case PM_DefaultFrameWidth:
        return 1;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    switch (element) {
    case PE_PanelButtonCommand:
        drawButtonPanel(option, painter);
        return;
    case PE_FrameDefaultButton: // the panel draws the default button's stronger border itself
        return;
    case PE_FrameFocusRect:
        drawFocusRect(option, painter);
        return;
    case PE_PanelLineEdit:
        painter->fillRect(option->rect, option->palette.base());
        if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option); frame && frame->lineWidth > 0)
            drawLineFrame(option, painter);
        return;
    case PE_Frame:
    case PE_FrameLineEdit:
        drawLineFrame(option, painter);
        return;
    case PE_FrameGroupBox:
        drawGroupFrame(option, painter);
        return;
    case PE_PanelMenu:
    case PE_PanelMenuBar:
        fillPaper(painter, option->rect, false);
        return;
    case PE_FrameMenu:
        drawRing(painter, option->rect, m_colours.rule);
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    switch (element) {
    case CE_PushButton:
        drawPushButton(option, painter, widget);
        return;
    case CE_MenuBarEmptyArea:
        drawMenuBarEmptyArea(option, painter, widget);
        return;
    case CE_MenuBarItem:
        drawMenuBarItem(option, painter, widget);
        return;
    case CE_MenuItem:
        drawMenuItem(option, painter, widget);
        return;
    case CE_MenuEmptyArea:
        fillPaper(painter, option->rect, false);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                   const QWidget* widget) const
{
    if (control == CC_GroupBox)
        drawGroupBox(option, painter, widget);
    else
        QProxyStyle::drawComplexControl(control, option, painter, widget);
}

// Normal buttons are paper with a sheen, lit-up and pressed ones the warmer paper, disabled ones faded.
void SkinStyle::drawButtonPanel(const QStyleOption* option, QPainter* painter) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton);
    const bool enabled = option->state & State_Enabled;
    const bool pressed = enabled && (option->state & (State_Sunken | State_On));
    const bool highlighted = enabled && !pressed && (option->state & State_MouseOver);

    QColor border = m_colours.rule;
    QColor overlay = m_colours.sheen;
    if (!enabled) {
        border = m_colours.ruleFaded;
        overlay = m_colours.sheenDisabled;
    } else if (pressed) {
        border = m_colours.ruleStrong;
        overlay = m_colours.shade;
    } else if (highlighted) {
        border = m_colours.ruleHighlighted;
        overlay = Qt::transparent;
    }
    if (isDefault && enabled)
        border = m_colours.ruleStrong;
    const qreal penWidth = isDefault ? 2.0 : 1.0;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPainterPath face = roundedPath(option->rect, penWidth, kButtonRadius);
    painter->fillPath(face, QBrush(pressed || highlighted ? m_images.paperActive() : m_images.paper()));
    painter->fillPath(face, overlay);
    painter->strokePath(face, QPen(border, penWidth));
    painter->restore();
}

// The focused button shows a dotted rectangle inside its border, whether it got the focus by
// mouse or by keyboard.
void SkinStyle::drawPushButton(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (!button) {
        QProxyStyle::drawControl(CE_PushButton, option, painter, widget);
        return;
    }
    QStyleOptionButton unfocused(*button);
    unfocused.state &= ~State_HasFocus;
    QProxyStyle::drawControl(CE_PushButton, &unfocused, painter, widget);
    if ((button->state & State_HasFocus) && (button->state & State_Enabled)) {
        QStyleOption focus(*button);
        focus.rect = button->rect.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        drawFocusRect(&focus, painter);
    }
}

void SkinStyle::drawFocusRect(const QStyleOption* option, QPainter* painter) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(m_colours.ink, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void SkinStyle::drawLineFrame(const QStyleOption* option, QPainter* painter) const
{
    QColor line = m_colours.rule;
    if (!(option->state & State_Enabled))
        line = m_colours.ruleFaded;
    else if (option->state & State_HasFocus)
        line = m_colours.ruleStrong;
    drawRing(painter, option->rect, line);
}

// An etched line: a brown rule with a light edge below and to the right of it.
void SkinStyle::drawGroupFrame(const QStyleOption* option, QPainter* painter) const
{
    drawRing(painter, option->rect.adjusted(1, 1, 0, 0), m_colours.paperLight);
    drawRing(painter, option->rect.adjusted(0, 0, -1, -1), m_colours.ruleLight);
}

void SkinStyle::drawLitPanel(QPainter* painter, const QRect& rect, const QColor& border) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = roundedPath(rect, 1.0, kLitRadius);
    painter->fillPath(path, QBrush(m_images.paperActive()));
    painter->strokePath(path, QPen(border, 1.0));
    painter->restore();
}

void SkinStyle::drawMenuBarEmptyArea(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    fillPaper(painter, option->rect, false);
    // One rule under the whole bar, whichever part is being drawn.
    const int bottom = widget ? widget->rect().bottom() : option->rect.bottom();
    painter->fillRect(QRect(option->rect.left(), bottom, option->rect.width(), 1), m_colours.ruleLight);
}

void SkinStyle::drawMenuBarItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item) {
        QProxyStyle::drawControl(CE_MenuBarItem, option, painter, widget);
        return;
    }
    drawMenuBarEmptyArea(option, painter, widget);
    const bool enabled = option->state & State_Enabled;
    if (enabled && (option->state & (State_Selected | State_Sunken)))
        drawLitPanel(painter, option->rect.adjusted(1, 1, -1, -2),
                     option->state & State_Sunken ? m_colours.ruleStrong : m_colours.rule);
    drawItemText(painter, option->rect, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, option->palette,
                 enabled, item->text, QPalette::WindowText);
}

void SkinStyle::drawMenuItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item) {
        QProxyStyle::drawControl(CE_MenuItem, option, painter, widget);
        return;
    }
    fillPaper(painter, option->rect, false);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        const QRect line(option->rect.left() + 4, option->rect.center().y(), option->rect.width() - 8, 1);
        painter->fillRect(line, m_colours.ruleLight);
        painter->fillRect(line.translated(0, 1), m_colours.paperLight);
        return;
    }
    const bool enabled = option->state & State_Enabled;
    if (enabled && (option->state & State_Selected))
        drawLitPanel(painter, option->rect.adjusted(2, 0, -2, 0), m_colours.rule);
    // The base style lays out text, shortcut and submenu arrow; the highlight is already on the paper.
    QStyleOptionMenuItem plain(*item);
    plain.state &= ~State_Selected;
    QProxyStyle::drawControl(CE_MenuItem, &plain, painter, widget);
}

// The classic frame: the rule runs through the middle of the caption, which sits on the paper.
void SkinStyle::drawGroupBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (!box) {
        QProxyStyle::drawComplexControl(CC_GroupBox, option, painter, widget);
        return;
    }
    const QRect label = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    const bool hasText = !box->text.isEmpty();
    if (box->subControls & SC_GroupBoxFrame) {
        QStyleOption frame(*box);
        frame.rect.setTop(hasText ? label.center().y() : box->rect.top());
        painter->save();
        if (hasText)
            painter->setClipRegion(QRegion(box->rect) - QRegion(label.adjusted(-2, 0, 2, 0)));
        drawGroupFrame(&frame, painter);
        painter->restore();
    }
    if (hasText && (box->subControls & SC_GroupBoxLabel))
        drawItemText(painter, label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, box->palette,
                     box->state & State_Enabled, box->text, QPalette::WindowText);
}
