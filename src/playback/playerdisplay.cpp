// The player's own display (mpv draws nothing here): title, state, position, length, progress.
#include "playback/playerdisplay.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QRect>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPadding = 6;
constexpr int kMinBarHeight = 3;
constexpr int kMaxBarHeight = 8;

QRectF progressTrack(const QRect& inner, int barHeight)
{
    return QRectF(inner.left(), inner.bottom() + 1 - barHeight, inner.width(), barHeight);
}

void paintProgress(QPainter& painter, const QRectF& track, const QPalette& palette, double fraction)
{
    const double radius = track.height() / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.color(QPalette::Midlight));
    painter.drawRoundedRect(track, radius, radius);
    if (fraction <= 0.0)
        return;
    QRectF done = track;
    done.setWidth(std::max(track.height(), track.width() * fraction));
    painter.setBrush(palette.color(QPalette::Highlight));
    painter.drawRoundedRect(done, radius, radius);
}

void paintTexts(QPainter& painter, const QRect& line, const QPalette& palette, const PlayerDisplayState& state)
{
    const QString clock = u"%1  %2 / %3"_s.arg(state.status, lrcClockText(state.position),
                                                lrcClockText(state.duration));
    const QFontMetrics metrics = painter.fontMetrics();
    const int clockWidth = metrics.horizontalAdvance(clock);
    painter.setPen(palette.color(QPalette::Text));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, clock);
    QRect titleLine = line;
    titleLine.setRight(line.right() - clockWidth - 2 * kPadding);
    painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(state.title, Qt::ElideRight, titleLine.width()));
}

} // namespace

QString lrcClockText(double seconds)
{
    const qint64 hundredths = std::isfinite(seconds) && seconds > 0.0
        ? static_cast<qint64>(std::floor(seconds * 100.0 + 1e-6))
        : 0;
    return u"%1:%2.%3"_s.arg(hundredths / 6000, 2, 10, QChar(u'0'))
        .arg(hundredths / 100 % 60, 2, 10, QChar(u'0'))
        .arg(hundredths % 100, 2, 10, QChar(u'0'));
}

void paintPlayerDisplay(QPainter& painter, const QRect& area, const QPalette& palette,
                        const PlayerDisplayState& state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette.color(QPalette::Mid));
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));

    const QRect inner = area.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    const int barHeight = std::clamp(inner.height() / 6, kMinBarHeight, kMaxBarHeight);
    const QRectF track = progressTrack(inner, barHeight);
    const double fraction = state.duration > 0.0 ? std::clamp(state.position / state.duration, 0.0, 1.0) : 0.0;
    paintProgress(painter, track, palette, fraction);

    QRect textLine = inner;
    textLine.setBottom(int(track.top()) - kPadding / 2);
    paintTexts(painter, textLine, palette, state);
    painter.restore();
}
