// What a stored skin says about itself: its name and fields, and which image draws which part.
#include "app/skindescription.h"

#include "common/usererror.h"

#include <QHash>
#include <QStringList>


using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxHueShift = 180;

int parseHueShift(const QString& value)
{
    bool ok = false;
    const int degrees = value.toInt(&ok);
    if (!ok || degrees < -kMaxHueShift || degrees > kMaxHueShift)
        throw UserError(u"皮肤描述的色相偏移“%1”不是 -180 到 180 之间的整数"_s.arg(value));
    return degrees;
}

QHash<QString, QString> readPairs(const QByteArray& text, const QStringList& keys)
{
    QHash<QString, QString> pairs;
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            throw UserError(u"皮肤描述第%1行缺少“=”：%2"_s.arg(i + 1).arg(line));
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            throw UserError(u"皮肤描述第%1行的键“%2”未知"_s.arg(i + 1).arg(key));
        if (pairs.contains(key))
            throw UserError(u"皮肤描述第%1行重复了键“%2”"_s.arg(i + 1).arg(key));
        pairs.insert(key, line.mid(equals + 1).trimmed());
    }
    for (const QString& key : keys) {
        if (!pairs.contains(key))
            throw UserError(u"皮肤描述缺少键“%1”"_s.arg(key));
    }
    return pairs;
}

} // namespace

SkinDescription parseSkinDescription(const QByteArray& text)
{
    const QStringList keys = {u"Name"_s,  u"Application"_s, u"Author"_s,     u"Description"_s, u"HueShift"_s,
                                     u"Paper"_s, u"PaperActive"_s, u"CheckBoxes"_s, u"RadioButtons"_s};
    const QHash<QString, QString> pairs = readPairs(text, keys);
    SkinDescription skin;
    skin.name = pairs[u"Name"_s];
    skin.application = pairs[u"Application"_s];
    skin.author = pairs[u"Author"_s];
    skin.description = pairs[u"Description"_s];
    skin.hueShift = parseHueShift(pairs[u"HueShift"_s]);
    skin.paper = pairs[u"Paper"_s];
    skin.paperActive = pairs[u"PaperActive"_s];
    skin.checkBoxes = pairs[u"CheckBoxes"_s];
    skin.radioButtons = pairs[u"RadioButtons"_s];
    return skin;
}
