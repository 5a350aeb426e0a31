#pragma once
// velmora-cli: the comparison engine for scripts and for studying the method.

#include <ostream>
#include <string>
#include <vector>

namespace velmora {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;     // bad arguments, unreadable files, invalid UTF-8
inline constexpr int kExitOverflow = 3;  // a text (or a file) or the call count past the limit
inline constexpr int kExitFailure = 1;   // anything else: an output that cannot be written, no memory

// Runs one command (args without the program name); prints one JSON line to out, or a
// message to err and nothing to out. Returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora
