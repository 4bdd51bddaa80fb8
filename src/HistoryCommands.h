// The command line's history actions (--export-history, --import-history,
// --forget-history, --progress): each runs instead of the game and returns the
// program's exit status. Only --progress needs a display.
#pragma once

#include "CommandLine.h"

namespace zv {

// True when the command line asks for one of them.
bool wantsHistoryCommand(const CommandLine& options);
int runHistoryCommand(const CommandLine& options, int& argc, char** argv);

}  // namespace zv
