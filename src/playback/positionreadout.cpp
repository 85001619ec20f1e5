// The text shown when playback pauses: minutes, seconds and the first two digits of the fraction.
#include "playback/positionreadout.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSignificantDigits = 15;

QString withoutTrailingZeros(QString text)
{
    if (!text.contains(u'.'))
        return text;
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

QString positionText(double seconds)
{
    if (seconds == 0.0 || !std::isfinite(seconds))
        return u"0"_s;
    // Fixed notation with exactly as many decimals as 15 significant digits need, so that
    // tiny values come out as 0.00001 rather than 1e-05 and no binary noise shows.
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(seconds))));
    const int decimals = std::max(0, kSignificantDigits - 1 - exponent);
    QString text = withoutTrailingZeros(QString::number(seconds, 'f', decimals));
    if (text == u"-0"_s)
        text = u"0"_s;
    return text;
}

CutPosition cutToHundredths(double seconds)
{
    const QString text = positionText(seconds);
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return {text.toLongLong(), QString()};
    return {text.left(point).toLongLong(), text.mid(point + 1, 2)};
}

QString positionReadout(double seconds)
{
    const CutPosition cut = cutToHundredths(seconds);
    // 64-bit arithmetic: a 16-bit minutes × 60 would overflow from 547 minutes on.
    const qint64 minutes = cut.wholeSeconds / 60;
    const qint64 secs = cut.wholeSeconds - minutes * 60;
    return u"%1:%2:%3"_s.arg(minutes).arg(secs).arg(cut.fraction.isEmpty() ? u"0"_s : cut.fraction);
}
