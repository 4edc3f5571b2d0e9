#pragma once

#include <ostream>
#include <string>

namespace velmora::replay {

constexpr int kExitOk = 0;
constexpr int kExitStartUpFailed = 1;
constexpr int kExitBadScript = 2;
constexpr int kExitCannotWrite = 3;

// Runs the whole program headless on a script's text; message boxes go to
// `out` as "Velmora: ..." lines, errors to `err` as single lines. Returns the
// process exit status.
int RunReplay(const std::string& scriptText, const std::string& scriptName,
              const std::string& outputDirectory, std::ostream& out, std::ostream& err);

// The command line: velmora-replay [--out DIR] SCRIPT
int ReplayMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace velmora::replay
