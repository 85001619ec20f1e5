// The two windows' icons: a lyric sheet for the main window, a paper boat for the About dialog.
#include "app/windowicons.h"

using namespace Qt::StringLiterals;

// The resources live in a static library, so they are registered by hand before first use.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

QIcon mainWindowIcon()
{
    initIconResources();
    return QIcon(u":/icons/main.bmp"_s);
}

QIcon aboutDialogIcon()
{
    initIconResources();
    return QIcon(u":/icons/about.bmp"_s);
}
