// Removal of the empty time tags that uncommitted boxes leave in the sheet.
#pragma once

#include <QString>

// Removes every "[]" in one left-to-right pass. The pass does not look at its own output,
// so "[[]]" becomes "[]" and stays that way until the next export.
QString removeEmptyTags(const QString& sheet);
