// Removal of the empty time tags that uncommitted boxes leave in the sheet.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Removes every "[]" in one left-to-right pass. The pass does not look at its own output,
// so "[[]]" becomes "[]" and stays that way until the next export.
QString removeEmptyTags(const QString& sheet);

// Where that pass finds its pairs: the index of each removed "[", in order. An editor removes
// them from the last to the first, so the earlier indices stay valid.
QList<qsizetype> emptyTagPositions(QStringView sheet);
