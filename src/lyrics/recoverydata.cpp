// The work a recovery file keeps: the sheet, the grid's boxes and the loaded song, as versioned UTF-8 JSON.
#include "lyrics/recoverydata.h"

#include "common/usererror.h"
#include "lyrics/pagecommit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

using namespace Qt::StringLiterals;

namespace {

const auto kFormat = u"xiaoyun-lrc recovery"_s;
constexpr int kVersion = 1;

[[noreturn]] void unreadable(const QString& why)
{
    throw UserError(u"恢复文件无法读取：%1"_s.arg(why));
}

QString stringField(const QJsonObject& object, const QString& name)
{
    const QJsonValue value = object.value(name);
    if (!value.isString())
        unreadable(u"缺少“%1”部分"_s.arg(name));
    return value.toString();
}

} // namespace

QByteArray recoveryFileBytes(const RecoveryData& data)
{
    QJsonObject object;
    object.insert(u"format"_s, kFormat);
    object.insert(u"version"_s, kVersion);
    object.insert(u"sheet"_s, QString(data.sheet).replace(QChar::ParagraphSeparator, u'\n'));
    object.insert(u"grid"_s, QJsonArray::fromStringList(data.grid));
    object.insert(u"song"_s, data.song);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

RecoveryData parseRecoveryFile(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        unreadable(u"内容不完整或已损坏"_s);
    const QJsonObject object = document.object();
    if (object.value(u"format"_s).toString() != kFormat)
        unreadable(u"不是本程序的恢复文件"_s);
    const int version = object.value(u"version"_s).toInt(-1);
    if (version < 1)
        unreadable(u"缺少版本号"_s);
    if (version > kVersion)
        unreadable(u"它由更新版本的程序写成"_s);

    RecoveryData data;
    data.sheet = stringField(object, u"sheet"_s);
    data.song = stringField(object, u"song"_s);
    const QJsonArray grid = object.value(u"grid"_s).toArray();
    if (grid.size() != kGridBoxes)
        unreadable(u"歌词格子的数目不对"_s);
    for (const QJsonValue& box : grid) {
        if (!box.isString())
            unreadable(u"歌词格子的内容不是文字"_s);
        data.grid << box.toString();
    }
    return data;
}
