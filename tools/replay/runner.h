#pragma once

#include <ostream>
#include <string>

#include "files/depth_png.h"

namespace velmora::replay {

constexpr int kExitOk = 0;
constexpr int kExitStartUpFailed = 1;
constexpr int kExitBadScript = 2;
constexpr int kExitCannotWrite = 3;

// Runs the whole program headless on a script's text; message boxes go to
// `out` as "Velmora: ..." lines, errors to `err` as single lines. Returns the
// process exit status. A map in `opened` is where the picture starts from,
// as the painter's --open; F2 saves into the output directory.
int RunReplay(const std::string& scriptText, const std::string& scriptName,
              const std::string& outputDirectory, std::ostream& out, std::ostream& err,
              files::DecodedDepth opened = {});

// The command line: velmora-replay [--out DIR] [--open FILE] SCRIPT
int ReplayMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace velmora::replay
