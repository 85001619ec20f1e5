// The sheet the export benchmark and its floor both export: 10,000 lines as pages of the grid
// leave them. Qt only, so that the floor stays linked to nothing of the program.
#pragma once

#include "sheets.h"

#include <QString>

namespace exportbench {

constexpr int kLines = 10000;
// Exports timed in each round; the program and the floor take turns for kRounds rounds.
constexpr int kExportsPerRound = 5;
constexpr int kRounds = 6;

inline QString sheet()
{
    return sheets::pageSheet(kLines);
}

} // namespace exportbench
