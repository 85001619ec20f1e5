// The sheet lines that one page of the lyric grid adds when it is committed.
#include "lyrics/pagecommit.h"

using namespace Qt::StringLiterals;

QString pageCommitText(const QStringList& gridTexts)
{
    QString text;
    for (int first = 0; first < kGridBoxes; first += 3) {
        // value() rather than at(): a short list must not take the window down with it.
        text += u'[' + gridTexts.value(first) + u"]["_s + gridTexts.value(first + 1) + u']'
            + gridTexts.value(first + 2) + u"\r\n"_s;
    }
    return text;
}
