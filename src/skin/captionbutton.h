// A button of the skinned caption bar: minimise or close, drawn on the caption's paper.
#pragma once

#include <QAbstractButton>

class SkinStyle;

class CaptionButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Kind { Minimise, Close };

    CaptionButton(Kind kind, const SkinStyle& skin, QWidget* parent);

    Kind kind() const { return m_kind; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void drawGlyph(QPainter* painter, const QColor& colour) const;

    Kind m_kind;
    const SkinStyle& m_skin;
};
