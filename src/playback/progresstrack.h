// The clickable band over the player's progress bar: a click or a drag says where in the song to go.
#pragma once

#include <QWidget>

// It draws nothing: the player paints the bar beneath it. It tells where the pointer is as a
// fraction of its width (0 at its left edge, 1 at its right); the player turns that into a
// position and seeks, so playing stays playing and paused stays paused.
class ProgressTrack : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressTrack(QWidget* parent = nullptr);

    // Whether there is a song to seek in: only then does the pointer change and a click count.
    void setSeekable(bool seekable);
    bool isSeekable() const;

    // x in the track's own coordinates as a fraction of its width, held to 0 … 1.
    static double fractionAt(double x, int width);

Q_SIGNALS:
    // The button is down, or moved with it down: the display may show this place.
    void dragged(double fraction);
    // The button came up here: go there.
    void released(double fraction);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double fractionOf(const QMouseEvent* event) const;

    bool m_seekable = false;
    bool m_dragging = false;
};
