#pragma once

// The painter's command line: what to open, where to save, how to show.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "files/depth_png.h"

namespace velmora::app {

struct Options {
    enum class Action { kRun, kHelp, kVersion, kError };
    Action action = Action::kRun;
    std::string error;       // with kError: one line, e.g. "unknown option '--x'"
    std::string openPath;    // --open FILE; empty when not given
    std::string saveFolder;  // --save-dir DIR; empty when not given
    bool windowed = false;   // --window
};

// Reads the arguments after the program's name. `windowAvailable` says
// whether this build can show a window of its own and the depth view.
Options ParseOptions(const std::vector<std::string>& arguments, bool windowAvailable);

struct Program;

// What has to happen before anything starts: --help and --version print
// and end the run (0), a bad command line or a map that cannot be opened
// ends it with one line on `err` (2). Nothing when the program may start;
// `opened` then holds the map to start from, if any.
std::optional<int> PrepareRun(const Options& options, bool windowAvailable,
                              files::DecodedDepth& opened, std::ostream& out, std::ostream& err);

// Hands the options to the program: the save folder (`defaultSaveFolder`
// when none was given) and the opened map.
void TakeOptions(Program& program, const Options& options, const std::string& defaultSaveFolder,
                 files::DecodedDepth opened);

// The --help text: options and keys.
std::string UsageText(bool windowAvailable);
std::string VersionText();

}  // namespace velmora::app
