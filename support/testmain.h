// The main() of every test program: the application object the test needs, the locale libmpv
// needs, then the test class, run by Qt Test.
#pragma once

#include "support/numericlocale.h"

#include <QCoreApplication>
#include <QTest>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif

// Application is QApplication for a test of widgets, QCoreApplication for one that needs no window.
template <typename Application, typename Test>
int runTest(int argc, char* argv[])
{
    Application app(argc, argv);
    useCNumericLocale();
    // Fonts measure the same whatever resolution the display claims, as under QTEST_MAIN.
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

#ifdef QT_WIDGETS_LIB
#define LRC_TEST_MAIN(Test)                                                                                            \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        return runTest<QApplication, Test>(argc, argv);                                                                \
    }
#endif

#define LRC_TEST_GUILESS_MAIN(Test)                                                                                    \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        return runTest<QCoreApplication, Test>(argc, argv);                                                            \
    }
