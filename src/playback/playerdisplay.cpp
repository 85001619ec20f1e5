// The player's own display (mpv draws nothing here): title, state, position, length, progress, lyric lines.
#include "playback/playerdisplay.h"

#include "playback/positionreadout.h"

#include <QColor>
#include <QFont>
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

QRect innerArea(const QRect& area)
{
    return area.adjusted(kPadding, kPadding, -kPadding, -kPadding);
}

int barHeightOf(const QRect& inner)
{
    return std::clamp(inner.height() / 6, kMinBarHeight, kMaxBarHeight);
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

QString clockText(const PlayerDisplayState& state)
{
    QString text = u"%1  %2 / %3"_s.arg(state.status, lrcClockText(state.position), lrcClockText(state.duration));
    if (state.volume)
        text += u"  音量 %1"_s.arg(*state.volume);
    return text;
}

void paintTexts(QPainter& painter, const QRect& line, const QPalette& palette, const PlayerDisplayState& state)
{
    const QString clock = clockText(state);
    const QFontMetrics metrics = painter.fontMetrics();
    const int clockWidth = metrics.horizontalAdvance(clock);
    painter.setPen(palette.color(QPalette::Text));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, clock);
    QRect titleLine = line;
    titleLine.setRight(line.right() - clockWidth - 2 * kPadding);
    painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(state.title, Qt::ElideRight, titleLine.width()));
}

// The painter's font scaled by factor, or less where a line of it would not fit into height.
QFont scaledFont(const QPainter& painter, double factor, int height)
{
    QFont font = painter.font();
    const int naturalHeight = painter.fontMetrics().height();
    if (naturalHeight > 0)
        factor = std::min(factor, double(height) / naturalHeight);
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(font.pixelSize() * factor)));
    else
        font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

// Text over ground, faded by amount (0 is the text's colour, 1 the ground's).
QColor fadedText(const QPalette& palette, double amount)
{
    const QColor text = palette.color(QPalette::Text);
    const QColor ground = palette.color(QPalette::Base);
    const auto mix = [amount](int from, int to) { return int(from + (to - from) * amount + 0.5); };
    return QColor(mix(text.red(), ground.red()), mix(text.green(), ground.green()), mix(text.blue(), ground.blue()));
}

void drawElided(QPainter& painter, const QRect& line, Qt::Alignment alignment, const QString& text)
{
    painter.drawText(line, alignment | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, line.width()));
}

// Two rows: the current line and the clock over the next line and the title.
void paintLyricTexts(QPainter& painter, const QRect& area, const QPalette& palette, const PlayerDisplayState& state,
                     const LyricMoment& lyric)
{
    const QString clock = clockText(state);
    const QFont plain = painter.font();
    const QFontMetrics metrics = painter.fontMetrics();
    const int clockWidth = metrics.horizontalAdvance(clock);
    const int titleWidth = std::min(metrics.horizontalAdvance(state.title), std::max(clockWidth, area.width() / 3));
    QRect upper = area;
    upper.setBottom(area.top() + area.height() * 11 / 20);
    QRect lower = area;
    lower.setTop(upper.bottom() + 1);

    painter.setPen(palette.color(QPalette::Text));
    painter.drawText(upper, Qt::AlignRight | Qt::AlignVCenter, clock);
    painter.setPen(fadedText(palette, 0.3));
    drawElided(painter, lower.adjusted(lower.width() - titleWidth, 0, 0, 0), Qt::AlignRight, state.title);

    QFont current = scaledFont(painter, 1.25, upper.height());
    current.setBold(true);
    painter.setFont(current);
    painter.setPen(palette.color(QPalette::Text));
    drawElided(painter, upper.adjusted(0, 0, -clockWidth - 2 * kPadding, 0), Qt::AlignLeft, lyric.line);
    painter.setFont(plain);
    painter.setFont(scaledFont(painter, 1.0, lower.height()));
    painter.setPen(fadedText(palette, 0.45));
    drawElided(painter, lower.adjusted(0, 0, -titleWidth - 2 * kPadding, 0), Qt::AlignLeft, lyric.next);
    painter.setFont(plain);
}

} // namespace

QString lrcClockText(double seconds)
{
    const CutPosition cut
        = std::isfinite(seconds) && seconds > 0.0 ? cutToHundredths(seconds) : CutPosition{0, QString()};
    return u"%1:%2.%3"_s.arg(cut.wholeSeconds / 60, 2, 10, QChar(u'0'))
        .arg(cut.wholeSeconds % 60, 2, 10, QChar(u'0'))
        .arg(cut.fraction.leftJustified(2, u'0'));
}

QRect progressTrackArea(const QRect& area)
{
    const QRect inner = innerArea(area);
    const QRect track = progressTrack(inner, barHeightOf(inner)).toRect();
    return QRect(QPoint(track.left(), track.top() - kPadding), QPoint(track.right(), area.bottom()));
}

void paintPlayerDisplay(QPainter& painter, const QRect& area, const QPalette& palette, const PlayerDisplayState& state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette.color(QPalette::Mid));
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));

    const QRect inner = innerArea(area);
    const QRectF track = progressTrack(inner, barHeightOf(inner));
    const double fraction = state.duration > 0.0 ? std::clamp(state.position / state.duration, 0.0, 1.0) : 0.0;
    paintProgress(painter, track, palette, fraction);

    QRect textLine = inner;
    textLine.setBottom(int(track.top()) - kPadding / 2);
    if (state.lyric)
        paintLyricTexts(painter, textLine, palette, state, *state.lyric);
    else
        paintTexts(painter, textLine, palette, state);
    painter.restore();
}
