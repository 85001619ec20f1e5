// What a stored skin says about itself: its name, and which image draws which part.
#include "skin/skindescription.h"

#include "common/usererror.h"

#include <QHash>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

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
    const QStringList keys = {u"Name"_s, u"Paper"_s, u"PaperActive"_s};
    const QHash<QString, QString> pairs = readPairs(text, keys);
    SkinDescription skin;
    skin.name = pairs[u"Name"_s];
    skin.paper = pairs[u"Paper"_s];
    skin.paperActive = pairs[u"PaperActive"_s];
    return skin;
}
