// Sets LC_NUMERIC to "C" as the program does after QApplication: libmpv refuses to start otherwise.
#include "support/numericlocale.h"

#include <clocale>

void useCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}
