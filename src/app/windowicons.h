// The two windows' icons: a lyric sheet for the main window, a paper boat for the About dialog.
#pragma once

#include <QIcon>

// 32 × 32 pictures, 24 bits per pixel; the main window's also stands for the program in the task bar.
QIcon mainWindowIcon();
QIcon aboutDialogIcon();
