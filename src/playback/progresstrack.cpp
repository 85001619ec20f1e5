// The clickable band over the player's progress bar: a click or a drag says where in the song to go.
#include "playback/progresstrack.h"

#include <QMouseEvent>

#include <algorithm>

using namespace Qt::StringLiterals;

ProgressTrack::ProgressTrack(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"progressTrack"_s);
    setAccessibleName(u"进度条"_s);
    setAccessibleDescription(u"单击或拖动进度条可跳到歌曲的该位置"_s);
    setFocusPolicy(Qt::NoFocus);
}

void ProgressTrack::setSeekable(bool seekable)
{
    m_seekable = seekable;
    if (seekable) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
        m_dragging = false;
    }
}

bool ProgressTrack::isSeekable() const
{
    return m_seekable;
}

double ProgressTrack::fractionAt(double x, int width)
{
    if (width <= 1)
        return 0.0;
    return std::clamp(x / double(width - 1), 0.0, 1.0);
}

double ProgressTrack::fractionOf(const QMouseEvent* event) const
{
    return fractionAt(event->position().x(), width());
}

void ProgressTrack::mousePressEvent(QMouseEvent* event)
{
    if (!m_seekable || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = true;
    Q_EMIT dragged(fractionOf(event));
}

void ProgressTrack::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        event->ignore();
        return;
    }
    Q_EMIT dragged(fractionOf(event));
}

void ProgressTrack::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = false;
    Q_EMIT released(fractionOf(event));
}
