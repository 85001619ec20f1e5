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

// What a grid box holds before the user types on the first page: "此处输入时间1",
// "此处输入时间2" or "此处输入歌词信息" by its column. element counts from 1.
QString pageHintText(int element);

// Whether the page holds something the user typed: a box whose text is neither empty nor its
// own hint. Hints left standing are not work that closing the window would lose.
bool pageHoldsTypedText(const QStringList& gridTexts);
