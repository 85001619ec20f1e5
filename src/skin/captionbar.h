// The caption bar the skin puts on top of a frameless window: icon, title, title-bar buttons.
#pragma once

#include <QPoint>
#include <QWidget>

class CaptionButton;
class QMenu;
class SkinStyle;

class CaptionBar : public QWidget
{
    Q_OBJECT
public:
    // A child of window that shows its icon and title; it offers the buttons the window's flags
    // ask for (minimise and close; never maximise) and moves the window when it is dragged.
    CaptionBar(QWidget* window, const SkinStyle& skin);

    CaptionButton* minimiseButton() const { return m_minimise; }
    CaptionButton* closeButton() const { return m_close; }
    // The menu behind the icon (and a right click), made when first opened.
    QMenu* systemMenu() const { return m_systemMenu; }
    QRect iconRect() const;
    QRect titleRect() const;
    QFont titleFont() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showSystemMenu(const QPoint& globalPos);

    QWidget* m_window;
    const SkinStyle& m_skin;
    CaptionButton* m_minimise = nullptr;
    CaptionButton* m_close = nullptr;
    QMenu* m_systemMenu = nullptr;
    // Used only where the platform cannot move the window itself (no window manager).
    bool m_dragging = false;
    QPoint m_dragOffset;
};
