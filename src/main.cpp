// Starts the program: one main window, the event loop, nothing else.
#include "app/application.h"

int main(int argc, char* argv[])
{
    return runApplication(argc, argv);
}
