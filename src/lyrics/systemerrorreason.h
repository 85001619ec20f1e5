// The reasons the system gives for a failed file operation, told in Chinese.
#pragma once

#include <QString>

// What went wrong, for an errno value that opening, writing, syncing, renaming or changing the
// mode of a file can produce. An error this list does not know still comes out in Chinese,
// followed by the system's own words, so the user always reads a sentence of the program's.
QString systemErrorReason(int error);
