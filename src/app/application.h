// Start-up: the application object, the main window and the event loop.
#pragma once

int runApplication(int argc, char* argv[]);
