// The maker's web page, opened from the Help menu and from 反馈BUG.
#include "app/weblinks.h"

#include "common/usererror.h"

#include <QDesktopServices>

using namespace Qt::StringLiterals;

QUrl makerPageUrl()
{
    // A reserved example domain until the program has a home page of its own.
    return QUrl(u"http://www.example.com/?p=33"_s);
}

void openMakerPage(QWidget* /*parent*/)
{
    // Qt hands the address to the desktop, which has no use for a parent window here. It answers
    // false when it finds nothing to start (no xdg-open, no known browser); what a started
    // browser does afterwards is not reported back.
    if (QDesktopServices::openUrl(makerPageUrl()))
        return;
    throw UserError(u"无法打开网页 %1 ：没有找到可以打开网页的浏览器。可以复制这个地址，在浏览器中打开。"_s.arg(
        makerPageUrl().toString()));
}
