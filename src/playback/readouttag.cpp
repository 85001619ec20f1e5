// A position readout ("m:s:ff", as the pause box shows it) turned into the time tag it means.
#include "playback/readouttag.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// As long a minute field as a time tag of the sheet may have.
constexpr qsizetype kMaxMinuteDigits = 7;

bool isDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A number as the readout writes it: no leading zero except in "0" itself.
bool isPlainNumber(QStringView text, qsizetype maxDigits)
{
    return isDigits(text) && text.size() <= maxDigits && (text.size() == 1 || text.front() != u'0');
}

} // namespace

std::optional<QString> tagFromReadout(QStringView text)
{
    const QStringView readout = text.trimmed();
    const qsizetype first = readout.indexOf(u':');
    const qsizetype second = first < 0 ? -1 : readout.indexOf(u':', first + 1);
    if (second < 0)
        return std::nullopt;
    const QStringView minutes = readout.first(first);
    const QStringView seconds = readout.sliced(first + 1, second - first - 1);
    const QStringView fraction = readout.sliced(second + 1);
    if (!isPlainNumber(minutes, kMaxMinuteDigits) || !isPlainNumber(seconds, 2) || seconds.toInt() >= 60
        || !isDigits(fraction) || fraction.size() > 2)
        return std::nullopt;
    // The fraction is the start of the decimals, so "5" is five tenths.
    return u"%1:%2.%3"_s.arg(minutes, 2, u'0').arg(seconds, 2, u'0').arg(fraction.toString().leftJustified(2, u'0'));
}
