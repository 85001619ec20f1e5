// Removal of the empty time tags that uncommitted boxes leave in the sheet.
#pragma once

#include <QList>
#include <QStringView>

// Where the export's cleaning finds the "[]" it removes: the index of each such "[", in order, in
// one left-to-right pass that does not look at its own output, so "[[]]" becomes "[]" and stays that
// way until the next export. An editor removes them from the last to the first, so the earlier
// indices stay valid.
QList<qsizetype> emptyTagPositions(QStringView sheet);
