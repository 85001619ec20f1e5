// Font families that render Simplified Chinese, put behind a window's or a label's own choice.
#include "skin/chinesefonts.h"

#include <QFontDatabase>

using namespace Qt::StringLiterals;

QStringList withChineseFallbacks(const QStringList& fontFamilies)
{
    const QStringList chinese
        = {u"Noto Sans CJK SC"_s, u"Source Han Sans SC"_s, u"WenQuanYi Micro Hei"_s, u"WenQuanYi Zen Hei"_s,
           u"AR PL UKai CN"_s,    u"AR PL UMing CN"_s,     u"Droid Sans Fallback"_s};
    QStringList families = fontFamilies;
    for (const QString& family : chinese) {
        if (!families.contains(family, Qt::CaseInsensitive))
            families << family;
    }
    // Qt asks fontconfig for stand-ins of each family it does not find, for every font and script
    // anew, which costs a good part of the program's start; the ones not installed are of no use.
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const QString& family : std::as_const(families)) {
        if (installed.contains(family, Qt::CaseInsensitive))
            present << family;
    }
    return present.isEmpty() ? families : present;
}
