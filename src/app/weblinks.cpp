// The maker's web page, opened from the Help menu and from 反馈BUG.
#include "app/weblinks.h"

#include <QDesktopServices>

using namespace Qt::StringLiterals;

QUrl makerPageUrl()
{
    // A reserved example domain until the program has a home page of its own.
    return QUrl(u"http://www.example.com/?p=33"_s);
}

void openMakerPage(QWidget* /*parent*/)
{
    // Qt hands the address to the desktop, which has no use for a parent window here.
    QDesktopServices::openUrl(makerPageUrl());
}
