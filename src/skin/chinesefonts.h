// Font families that render Simplified Chinese, put behind a window's or a label's own choice.
#pragma once

#include <QStringList>

// fontFamilies followed by the Simplified Chinese faces it does not name yet. A Han character alone
// does not tell Chinese from Japanese glyph forms, and the system's own fallback may pick a Japanese
// face, so the Chinese faces are named explicitly; the first installed one draws what the families
// before it lack.
QStringList withChineseFallbacks(const QStringList& fontFamilies);
