// The maker's web page, opened from the Help menu and from 反馈BUG.
#pragma once

#include <QUrl>

class QWidget;

// The one address both web commands open.
QUrl makerPageUrl();

// Hands the address to the desktop's web browser; the outcome is not looked at.
void openMakerPage(QWidget* parent);
