// Sets LC_NUMERIC to "C" as the program does after QApplication: libmpv refuses to start otherwise.
#pragma once

#include <clocale>

// Call right after the application object is made, since its constructor sets the locale from
// the environment. Every test's main() does (testmain.h); benchmarks call it themselves.
inline void useCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}
