// The caption bar the skin puts on top of a frameless window: icon, title, title-bar buttons.
#include "skin/captionbar.h"

#include "skin/captionbutton.h"
#include "skin/skinstyle.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

constexpr int kIconSize = 16;
constexpr int kIconLeft = 6;
constexpr int kGap = 6;
constexpr int kButtonMargin = 3;
constexpr int kMinimumHeight = 24;

} // namespace

CaptionBar::CaptionBar(QWidget* window, const SkinStyle& skin)
    : QWidget(window)
    , m_window(window)
    , m_skin(skin)
{
    setObjectName(u"captionBar"_s);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    const Qt::WindowFlags flags = window->windowFlags();
    // A window that does not pick its buttons gets the usual ones, bar maximise.
    const bool chosen = flags & Qt::CustomizeWindowHint;
    auto* buttons = new QHBoxLayout(this);
    buttons->setContentsMargins(0, kButtonMargin, kButtonMargin + 1, kButtonMargin);
    buttons->setSpacing(2);
    buttons->addStretch();
    if (!chosen || (flags & Qt::WindowMinimizeButtonHint)) {
        m_minimise = new CaptionButton(CaptionButton::Kind::Minimise, skin, this);
        buttons->addWidget(m_minimise);
        connect(m_minimise, &QAbstractButton::clicked, window, &QWidget::showMinimized);
    }
    if (!chosen || (flags & Qt::WindowCloseButtonHint)) {
        m_close = new CaptionButton(CaptionButton::Kind::Close, skin, this);
        buttons->addWidget(m_close);
        connect(m_close, &QAbstractButton::clicked, window, &QWidget::close);
    }
    window->installEventFilter(this);
}

QFont CaptionBar::titleFont() const
{
    QFont bold = font();
    bold.setBold(true);
    return bold;
}

// Room for the icon and the buttons only: a long title is cut short rather than widening the window.
QSize CaptionBar::sizeHint() const
{
    const int height = qMax(kMinimumHeight, QFontMetrics(titleFont()).height() + 2 * kButtonMargin + 4);
    return {kIconLeft + kIconSize + kGap + layout()->sizeHint().width(), height};
}

QSize CaptionBar::minimumSizeHint() const
{
    return sizeHint();
}

QRect CaptionBar::iconRect() const
{
    return {kIconLeft, (height() - kIconSize) / 2, kIconSize, kIconSize};
}

QRect CaptionBar::titleRect() const
{
    int right = width();
    for (const CaptionButton* button : {m_minimise, m_close}) {
        if (button)
            right = qMin(right, button->x());
    }
    const int left = iconRect().right() + 1 + kGap;
    return {left, 0, qMax(0, right - kGap - left), height()};
}

bool CaptionBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window
        && (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::WindowIconChange))
        update();
    return QWidget::eventFilter(watched, event);
}

void CaptionBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        update();
    QWidget::changeEvent(event);
}

void CaptionBar::paintEvent(QPaintEvent*)
{
    const bool active = m_window->isActiveWindow();
    QPainter painter(this);
    m_skin.fillPaper(&painter, rect(), active);
    painter.fillRect(QRect(0, height() - 1, width(), 1), m_skin.colours().ruleLight);
    m_window->windowIcon().paint(&painter, iconRect());

    const QRect title = titleRect();
    painter.setFont(titleFont());
    painter.setPen(active ? m_skin.colours().ink : m_skin.colours().inkFaded);
    const QString text = painter.fontMetrics().elidedText(m_window->windowTitle(), Qt::ElideRight, title.width());
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void CaptionBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (iconRect().contains(event->position().toPoint())) {
        showSystemMenu(mapToGlobal(iconRect().bottomLeft() + QPoint(0, 1)));
        return;
    }
    // The window manager moves the window the way it moves every other one, snapping included.
    if (QWindow* handle = m_window->windowHandle(); handle && handle->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - m_window->pos();
}

void CaptionBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        m_window->move(event->globalPosition().toPoint() - m_dragOffset);
    else
        QWidget::mouseMoveEvent(event);
}

void CaptionBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

// A double click on a caption usually maximises; these windows keep their designed size.
void CaptionBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void CaptionBar::contextMenuEvent(QContextMenuEvent* event)
{
    showSystemMenu(event->globalPos());
}

void CaptionBar::showSystemMenu(const QPoint& globalPos)
{
    if (!m_systemMenu) {
        m_systemMenu = new QMenu(this);
        m_systemMenu->setObjectName(u"systemMenu"_s);
        m_systemMenu->setStyle(style());
        m_systemMenu->setPalette(palette());
        m_systemMenu->setFont(font());
        if (m_minimise)
            connect(m_systemMenu->addAction(u"最小化"_s), &QAction::triggered, m_window, &QWidget::showMinimized);
        connect(m_systemMenu->addAction(u"关闭"_s), &QAction::triggered, m_window, &QWidget::close);
    }
    m_systemMenu->popup(globalPos);
}
