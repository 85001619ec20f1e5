// Start-up: the application object, the main window and the event loop.
#pragma once

#include <QStringList>

// The files named on the command line (the arguments as QCoreApplication::arguments() gives
// them), made absolute. --help and an unknown option end the program with a message.
QStringList commandLineFiles(const QStringList& arguments);

int runApplication(int argc, char* argv[]);
