// Sets LC_NUMERIC to "C" as the program does after QApplication: libmpv refuses to start otherwise.
#pragma once

// Call after the application object exists (in initTestCase), since its constructor sets the
// locale from the environment.
void useCNumericLocale();
