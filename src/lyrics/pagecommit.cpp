// The sheet lines that one page of the lyric grid adds when it is committed.
#include "lyrics/pagecommit.h"

using namespace Qt::StringLiterals;

QString pageCommitText(const QStringList& gridTexts)
{
    QString text;
    for (int first = 0; first < kGridBoxes; first += 3) {
        // value() rather than at(): a short list must not take the window down with it.
        text += u'[' + gridTexts.value(first) + u"]["_s + gridTexts.value(first + 1) + u']' + gridTexts.value(first + 2)
            + u"\r\n"_s;
    }
    return text;
}

QString pageHintText(int element)
{
    switch ((element - 1) % 3) {
    case 0:
        return u"此处输入时间1"_s;
    case 1:
        return u"此处输入时间2"_s;
    default:
        return u"此处输入歌词信息"_s;
    }
}

bool pageHoldsTypedText(const QStringList& gridTexts)
{
    for (int element = 1; element <= kGridBoxes; ++element) {
        const QString text = gridTexts.value(element - 1);
        if (!text.isEmpty() && text != pageHintText(element))
            return true;
    }
    return false;
}
