// The sheet lines that one page of the lyric grid adds when it is committed.
#pragma once

#include <QString>
#include <QStringList>

// The grid boxes Text1(1) … Text1(21): seven rows of first tag, second tag, lyric line.
constexpr int kGridBoxes = 21;

// One "[tag1][tag2]line\r\n" per row, exactly as the boxes hold it. An empty row still gives
// "[][]\r\n": the page keeps its seven lines in the sheet, and the export drops the empty tags.
// gridTexts must hold kGridBoxes texts; a missing one counts as empty, extra ones are ignored.
QString pageCommitText(const QStringList& gridTexts);
