#pragma once

#include <ostream>
#include <string>
#include <vector>

// The whole command-line tool: `args` are the arguments after the program's name.
// Returns the exit code: 0 done, 1 a file could not be read or written or a value was refused
// (diff: the files differ), 2 wrong usage (diff: trouble).
int RunKestraCfg(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
