// Removal of the empty time tags that uncommitted boxes leave in the sheet.
#include "lyrics/sheetcleaner.h"

QList<qsizetype> emptyTagPositions(QStringView sheet)
{
    QList<qsizetype> positions;
    for (qsizetype at = sheet.indexOf(u"[]"); at >= 0; at = sheet.indexOf(u"[]", at + 2))
        positions.append(at);
    return positions;
}
