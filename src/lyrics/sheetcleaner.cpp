// Removal of the empty time tags that uncommitted boxes leave in the sheet.
#include "lyrics/sheetcleaner.h"

using namespace Qt::StringLiterals;

QString removeEmptyTags(const QString& sheet)
{
    // QString::replace scans left to right, takes non-overlapping matches and resumes after
    // each one, which is exactly the single pass the export promises.
    return QString(sheet).replace(u"[]"_s, QString(), Qt::CaseSensitive);
}

QList<qsizetype> emptyTagPositions(QStringView sheet)
{
    QList<qsizetype> positions;
    for (qsizetype at = sheet.indexOf(u"[]"); at >= 0; at = sheet.indexOf(u"[]", at + 2))
        positions.append(at);
    return positions;
}
