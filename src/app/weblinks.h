// The maker's web page, opened from the Help menu and from 反馈BUG.
#pragma once

#include <QUrl>

class QWidget;

// The one address both web commands open.
QUrl makerPageUrl();

// Hands the address to the desktop's web browser. Throws UserError, with the address in
// its message so the user can copy it, when no browser could be started.
void openMakerPage(QWidget* parent);
